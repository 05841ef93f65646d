# Copies into the office folder's lib/ the Qt plug-ins Notavo uses and every shared library the
# program and those plug-ins need, except the base every Linux desktop has (office/excludelist),
# so that the folder starts on any such computer, whatever Qt it has installed, or none.
# Runs at install time with NOTAVO_QT_PLUGINS_DIR, NOTAVO_BUILT_EXECUTABLE and NOTAVO_EXCLUDELIST.
set(lib "${CMAKE_INSTALL_PREFIX}/lib")
# Where those files are now: file(INSTALL) puts a packager's DESTDIR in front by itself, the
# other steps must be told.
set(staged "$ENV{DESTDIR}${lib}")
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

# Everything the program and its plug-ins load, as this computer resolves it.
file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${NOTAVO_BUILT_EXECUTABLE}"
    MODULES ${modules}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
    message(FATAL_ERROR "Libraries not found: ${unresolved}")
endif()

# The base (office/excludelist) is taken from the computer the folder runs on, and so is
# whatever a base library needs itself: bundling any of that would hand the computer's own
# libraries a copy of ours (the loader shares a library by name). The GL driver libraries
# that the dispatch libraries load count as base too.
file(STRINGS "${NOTAVO_EXCLUDELIST}" base REGEX "^[^# ]")
set(base_files "")
foreach(library IN LISTS resolved)
    get_filename_component(name "${library}" NAME)
    list(FIND base "${name}" in_base)
    if(in_base GREATER -1)
        list(APPEND base_files "${library}")
        if(name STREQUAL "libGLX.so.0" OR name STREQUAL "libEGL.so.1")
            get_filename_component(dir "${library}" DIRECTORY)
            file(GLOB vendors "${dir}/libGLX_*.so.0" "${dir}/libEGL_*.so.0")
            list(APPEND base_files ${vendors})
        endif()
    endif()
endforeach()
set(base_needs "")
if(base_files)
    file(GET_RUNTIME_DEPENDENCIES
        LIBRARIES ${base_files}
        RESOLVED_DEPENDENCIES_VAR base_needs
        UNRESOLVED_DEPENDENCIES_VAR base_unresolved)
endif()
foreach(library IN LISTS base_needs)
    get_filename_component(name "${library}" NAME)
    list(APPEND base "${name}")
endforeach()

find_program(PATCHELF patchelf)
if(NOT PATCHELF)
    message(FATAL_ERROR "patchelf is missing: install the Debian package patchelf.")
endif()
# Each bundled library finds what it needs beside itself (its own RUNPATH), and only it: the
# computer's libraries keep resolving theirs from the computer.
function(notavo_set_runpath file runpath)
    execute_process(COMMAND "${PATCHELF}" --set-rpath "${runpath}" "${file}"
                    RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
        message(FATAL_ERROR "patchelf ${file}: ${why}")
    endif()
endfunction()

set(bundled "")
foreach(library IN LISTS resolved)
    get_filename_component(name "${library}" NAME)
    list(FIND base "${name}" in_base)
    if(in_base GREATER -1)
        continue()
    endif()
    # Each under the name the loader asks for, as a plain file: no links to break on a share.
    get_filename_component(real "${library}" REALPATH)
    file(INSTALL "${real}" DESTINATION "${lib}" RENAME "${name}")
    notavo_set_runpath("${staged}/${name}" "\$ORIGIN")
    list(APPEND bundled "${staged}/${name}")
endforeach()
foreach(plugin IN LISTS plugins_to_bundle)
    notavo_set_runpath("${staged}/plugins/${plugin}" "\$ORIGIN/../..")
endforeach()

# What the launcher checks before it starts the program: the newest C library and C++
# runtime versions that the program or a bundled library asks for (their version names are
# plain strings in the files), and the loader that resolves the rest.
set(glibc "0")
set(glibcxx "0")
set(cxxabi "0")
foreach(file IN LISTS bundled ITEMS "${NOTAVO_BUILT_EXECUTABLE}")
    file(STRINGS "${file}" versions REGEX "^(GLIBC_2|GLIBCXX_3\\.4|CXXABI_1\\.3)(\\.[0-9]+)*$")
    foreach(version IN LISTS versions)
        string(REGEX REPLACE "^[A-Z]+_" "" number "${version}")
        if(version MATCHES "^GLIBC_" AND number VERSION_GREATER glibc)
            set(glibc "${number}")
        elseif(version MATCHES "^GLIBCXX_" AND number VERSION_GREATER glibcxx)
            set(glibcxx "${number}")
        elseif(version MATCHES "^CXXABI_" AND number VERSION_GREATER cxxabi)
            set(cxxabi "${number}")
        endif()
    endforeach()
endforeach()
execute_process(COMMAND "${PATCHELF}" --print-interpreter "${NOTAVO_BUILT_EXECUTABLE}"
                OUTPUT_VARIABLE loader OUTPUT_STRIP_TRAILING_WHITESPACE)
# The system it was built on has all of that: the sentence names it.
set(built "")
if(EXISTS /etc/os-release)
    file(STRINGS /etc/os-release name REGEX "^NAME=")
    file(STRINGS /etc/os-release version REGEX "^VERSION_ID=")
    string(REGEX REPLACE "^[A-Z_]+=\"?([^\"]*)\"?$" "\\1" name "${name}")
    string(REGEX REPLACE "^[A-Z_]+=\"?([^\"]*)\"?$" "\\1" version "${version}")
    set(built "${name} ${version}")
endif()
file(WRITE "${staged}/requirements"
     "loader ${loader}\nglibc ${glibc}\nglibcxx ${glibcxx}\ncxxabi ${cxxabi}\nbuilt ${built}\n")
