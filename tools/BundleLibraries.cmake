# Copies into the office folder's lib/ the Qt plug-ins Notavo uses and every shared library the
# program and those plug-ins need, except the base every Linux desktop has (office/excludelist),
# so that the folder starts on any such computer, whatever Qt it has installed, or none.
# Runs at install time with NOTAVO_QT_PLUGINS_DIR, NOTAVO_BUILT_EXECUTABLE and NOTAVO_EXCLUDELIST.
set(lib "${CMAKE_INSTALL_PREFIX}/lib")
set(plugins_to_bundle
    platforms/libqxcb.so
    platforms/libqoffscreen.so
    xcbglintegrations/libqxcb-glx-integration.so
    xcbglintegrations/libqxcb-egl-integration.so
    # Dead keys and compose sequences (é from ´ then e); ibus where the desktop runs it.
    platforminputcontexts/libcomposeplatforminputcontextplugin.so
    platforminputcontexts/libibusplatforminputcontextplugin.so
    imageformats/libqsvg.so
    iconengines/libqsvgicon.so)

set(modules "")
foreach(plugin IN LISTS plugins_to_bundle)
    set(file "${NOTAVO_QT_PLUGINS_DIR}/${plugin}")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "The Qt plug-in ${file} is missing: install qt6-qpa-plugins and libqt6svg6.")
    endif()
    get_filename_component(kind "${plugin}" DIRECTORY)
    file(INSTALL "${file}" DESTINATION "${lib}/plugins/${kind}")
    list(APPEND modules "${file}")
endforeach()

# A library of the base is not looked into: it brings what it needs itself.
file(STRINGS "${NOTAVO_EXCLUDELIST}" base REGEX "^[^# ]")
set(base_patterns "")
foreach(name IN LISTS base)
    string(REGEX REPLACE "([.+])" "\\\\\\1" escaped "${name}")
    list(APPEND base_patterns "^${escaped}$")
endforeach()

file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${NOTAVO_BUILT_EXECUTABLE}"
    MODULES ${modules}
    PRE_EXCLUDE_REGEXES ${base_patterns}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
    message(FATAL_ERROR "Libraries not found: ${unresolved}")
endif()
foreach(library IN LISTS resolved)
    # Each under the name the loader asks for, as a plain file: no links to break on a share.
    get_filename_component(name "${library}" NAME)
    get_filename_component(real "${library}" REALPATH)
    file(INSTALL "${real}" DESTINATION "${lib}" RENAME "${name}")
endforeach()
