# KDE's thumbnail plugin, installed as the component "kio", for each version
# of KDE Frameworks whose KIO development files are found:
# - 6 (libkf6kio-dev, Plasma 6): Qt 6 like the viewer, so built here, from
#   kio/InProcessThumbnailCreator.cpp, drawing with the viewer's libraries in
#   the worker's process; in kio6/, with its preview_job test client.
# - 5 (libkf5kio-dev, Plasma 5): kio/, a Qt 5 project of its own that runs
#   triview, configured here and built with the viewer in kio5/.
# Not with the sanitizers: KIO's thumbnail worker, which loads it, is not
# built with them. Sets TRIVIEW_KIO_BUILT and TRIVIEW_KIO_VERSIONS.
set(TRIVIEW_KIO_BUILT OFF)
set(TRIVIEW_KIO_VERSIONS)
if(TRIVIEW_KIO_PLUGIN STREQUAL "OFF" OR TRIVIEW_SANITIZE)
    return()
endif()

find_package(KF6KIO 6.0 CONFIG QUIET)
if(KF6KIO_FOUND)
    message(STATUS "KDE's thumbnail plugin for KDE Frameworks 6 is built in ${PROJECT_BINARY_DIR}/kio6")
    list(APPEND TRIVIEW_KIO_VERSIONS 6)
    # Static libraries linked into a plugin.
    set_target_properties(triview_picture triview_view triview_model triview_render
                          triview_render_software triview_runtime
                          PROPERTIES POSITION_INDEPENDENT_CODE ON)
    add_library(triviewthumbnail MODULE ${PROJECT_SOURCE_DIR}/kio/InProcessThumbnailCreator.cpp)
    # moc embeds the plugin's metadata, which moc's own dependencies miss
    # under Ninja: its hash among the target's settings runs moc again when
    # it changes.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/kio/triviewthumbnail.json)
    file(SHA256 ${PROJECT_SOURCE_DIR}/kio/triviewthumbnail.json metadata_hash)
    target_compile_definitions(triviewthumbnail PRIVATE TRIVIEW_METADATA_HASH=${metadata_hash})
    target_link_libraries(triviewthumbnail PRIVATE triview_picture triview_render_software KF6::KIOGui)
    # Laid out as in Qt's plugin folder, so QT_PLUGIN_PATH can point at the build.
    set_target_properties(triviewthumbnail PROPERTIES PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/kio6/plugins/kf6/thumbcreator)
    install(TARGETS triviewthumbnail LIBRARY DESTINATION ${QT6_INSTALL_PLUGINS}/kf6/thumbcreator
            COMPONENT kio)
    if(TRIVIEW_TESTS)
        add_executable(preview_job ${PROJECT_SOURCE_DIR}/tests/kio/preview_job.cpp)
        add_executable(service_menu ${PROJECT_SOURCE_DIR}/tests/kio/service_menu.cpp)
        foreach(client preview_job service_menu)
            target_link_libraries(${client} PRIVATE KF6::KIOWidgets)
            set_target_properties(${client} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/kio6)
        endforeach()
    endif()
endif()

set(kio_flags -Wall -Wextra -Wpedantic)
if(TRIVIEW_WERROR)
    list(APPEND kio_flags -Werror)
endif()
list(JOIN kio_flags " " kio_flags)
set(kio_build ${PROJECT_BINARY_DIR}/kio5)
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/kio -B ${kio_build} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
            -DCMAKE_CXX_FLAGS=${kio_flags} -DTRIVIEW_TESTS=${TRIVIEW_TESTS}
            -DTRIVIEW_BINDIR=${CMAKE_INSTALL_BINDIR}
    RESULT_VARIABLE configured OUTPUT_VARIABLE kio_log ERROR_VARIABLE kio_log)
if(configured EQUAL 0)
    message(STATUS "KDE's thumbnail plugin for KDE Frameworks 5 is built in ${kio_build}")
    list(APPEND TRIVIEW_KIO_VERSIONS 5)
    # Through $(MAKE) where make builds, so that it shares make's jobs.
    if(CMAKE_GENERATOR MATCHES "Makefiles")
        set(build_kio $(MAKE) -C ${kio_build})
    else()
        set(build_kio ${CMAKE_COMMAND} --build ${kio_build})
    endif()
    add_custom_target(kio5_plugin ALL COMMAND ${build_kio}
                      COMMENT "Building KDE's thumbnail plugin for KDE Frameworks 5")
    install(SCRIPT ${kio_build}/cmake_install.cmake COMPONENT kio)
else()
    file(REMOVE_RECURSE ${kio_build})
endif()

if(TRIVIEW_KIO_VERSIONS)
    set(TRIVIEW_KIO_BUILT ON)
elseif(TRIVIEW_KIO_PLUGIN STREQUAL "ON")
    message(FATAL_ERROR "KDE's thumbnail plugin cannot be built: neither KF6KIO 6 nor KF5KIO 5.100 "
                        "is found (libkf6kio-dev, libkf5kio-dev):\n${kio_log}")
else()
    message(STATUS "KDE's thumbnail plugin is left out: neither KF6KIO 6 nor KF5KIO 5.100 is found "
                   "(libkf6kio-dev, libkf5kio-dev)")
endif()
