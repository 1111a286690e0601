# KDE's thumbnail plugin (kio/) is a project of its own, configured here once
# for each KDE Frameworks version whose KIO development files are found (6:
# libkf6kio-dev, Plasma 6; 5: libkf5kio-dev, Plasma 5), built with the viewer
# in kio6/ and kio5/ and installed as the component "kio". Not with the
# sanitizers: KIO's thumbnail worker, which loads it, is not built with them.
# Sets TRIVIEW_KIO_BUILT and TRIVIEW_KIO_VERSIONS (the versions built).
set(TRIVIEW_KIO_BUILT OFF)
set(TRIVIEW_KIO_VERSIONS)
if(TRIVIEW_KIO_PLUGIN STREQUAL "OFF" OR TRIVIEW_SANITIZE)
    return()
endif()

set(kio_flags -Wall -Wextra -Wpedantic)
if(TRIVIEW_WERROR)
    list(APPEND kio_flags -Werror)
endif()
list(JOIN kio_flags " " kio_flags)
set(kio_logs)
foreach(kf 6 5)
    set(kio_build ${PROJECT_BINARY_DIR}/kio${kf})
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/kio -B ${kio_build} -G ${CMAKE_GENERATOR}
                -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
                -DCMAKE_CXX_FLAGS=${kio_flags} -DTRIVIEW_TESTS=${TRIVIEW_TESTS} -DTRIVIEW_KF=${kf}
        RESULT_VARIABLE configured OUTPUT_VARIABLE kio_log ERROR_VARIABLE kio_log)
    if(NOT configured EQUAL 0)
        string(APPEND kio_logs "${kio_log}")
        file(REMOVE_RECURSE ${kio_build})
        continue()
    endif()
    message(STATUS "KDE's thumbnail plugin for KDE Frameworks ${kf} is built in ${kio_build}")
    list(APPEND TRIVIEW_KIO_VERSIONS ${kf})
    # Through $(MAKE) where make builds, so that it shares make's jobs.
    if(CMAKE_GENERATOR MATCHES "Makefiles")
        set(build_kio $(MAKE) -C ${kio_build})
    else()
        set(build_kio ${CMAKE_COMMAND} --build ${kio_build})
    endif()
    add_custom_target(kio${kf}_plugin ALL COMMAND ${build_kio}
                      COMMENT "Building KDE's thumbnail plugin for KDE Frameworks ${kf}")
    install(SCRIPT ${kio_build}/cmake_install.cmake COMPONENT kio)
endforeach()

if(TRIVIEW_KIO_VERSIONS)
    set(TRIVIEW_KIO_BUILT ON)
elseif(TRIVIEW_KIO_PLUGIN STREQUAL "ON")
    message(FATAL_ERROR "KDE's thumbnail plugin cannot be configured:\n${kio_logs}")
else()
    message(STATUS "KDE's thumbnail plugin is left out: neither KF6KIO 6 nor KF5KIO 5.100 is found "
                   "(libkf6kio-dev, libkf5kio-dev)")
endif()
