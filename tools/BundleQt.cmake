# Copies the Qt libraries and plugins Notavo needs into the office folder, so every computer
# that starts Notavo from a shared folder runs the same Qt. System libraries below Qt (X11,
# fontconfig, the C++ runtime) come from each computer's own installation.
set(office "${CMAKE_INSTALL_PREFIX}")
set(plugins_to_bundle
    platforms/libqxcb.so
    platforms/libqoffscreen.so
    platforms/libqwayland-generic.so
    imageformats/libqsvg.so
    iconengines/libqsvgicon.so
    xcbglintegrations/libqxcb-glx-integration.so
    platformthemes/libqxdgdesktopportal.so)

set(executables "${NOTAVO_BUILT_EXECUTABLE}")
set(modules "")
foreach(plugin IN LISTS plugins_to_bundle)
    if(EXISTS "${NOTAVO_QT_PLUGINS_DIR}/${plugin}")
        get_filename_component(kind "${plugin}" DIRECTORY)
        file(INSTALL "${NOTAVO_QT_PLUGINS_DIR}/${plugin}" DESTINATION "${office}/lib/plugins/${kind}")
        list(APPEND modules "${NOTAVO_QT_PLUGINS_DIR}/${plugin}")
    endif()
endforeach()

file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${executables}
    MODULES ${modules}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved)
foreach(library IN LISTS resolved)
    get_filename_component(name "${library}" NAME)
    if(name MATCHES "^libQt6")
        file(INSTALL "${library}" DESTINATION "${office}/lib" FOLLOW_SYMLINK_CHAIN)
    endif()
endforeach()

file(WRITE "${office}/qt.conf" "[Paths]\nPrefix = .\nLibraries = lib\nPlugins = lib/plugins\n")
