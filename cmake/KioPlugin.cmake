# KDE's thumbnail plugin (kio/) is a Qt 5 project of its own: configured here,
# built with the viewer and installed as the component "kio". AUTO builds it
# where KIO's development files are found. Not with the sanitizers: KIO's
# thumbnail worker, which loads it, is not built with them.
set(TRIVIEW_KIO_BUILD ${PROJECT_BINARY_DIR}/kio)
set(TRIVIEW_KIO_BUILT OFF)
if(TRIVIEW_KIO_PLUGIN STREQUAL "OFF" OR TRIVIEW_SANITIZE)
    return()
endif()

set(kio_flags -Wall -Wextra -Wpedantic)
if(TRIVIEW_WERROR)
    list(APPEND kio_flags -Werror)
endif()
list(JOIN kio_flags " " kio_flags)
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/kio -B ${TRIVIEW_KIO_BUILD} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
            -DCMAKE_CXX_FLAGS=${kio_flags} -DTRIVIEW_TESTS=${TRIVIEW_TESTS}
    RESULT_VARIABLE configured OUTPUT_VARIABLE kio_log ERROR_VARIABLE kio_log)
if(NOT configured EQUAL 0)
    if(TRIVIEW_KIO_PLUGIN STREQUAL "ON")
        message(FATAL_ERROR "KDE's thumbnail plugin cannot be configured:\n${kio_log}")
    endif()
    message(STATUS "KDE's thumbnail plugin is left out: KF5KIO 5.100 or later is not found (libkf5kio-dev)")
    return()
endif()
message(STATUS "KDE's thumbnail plugin is built in ${TRIVIEW_KIO_BUILD}")
set(TRIVIEW_KIO_BUILT ON)
# Through $(MAKE) where make builds, so that it shares make's jobs.
if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_kio $(MAKE) -C ${TRIVIEW_KIO_BUILD})
else()
    set(build_kio ${CMAKE_COMMAND} --build ${TRIVIEW_KIO_BUILD})
endif()
add_custom_target(kio_plugin ALL COMMAND ${build_kio} COMMENT "Building KDE's thumbnail plugin")
install(SCRIPT ${TRIVIEW_KIO_BUILD}/cmake_install.cmake COMPONENT kio)
