# Fails when a source file includes a header from a layer above its own (src/Layers.cmake),
# spells a project header other than "layer/Name.h" or "Name.h" (a relative path or angle
# brackets would slip past the build's include roots), or a window below app/ includes another
# window's header. Run with
#   cmake -DSRC=<src folder> -P CheckLayers.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../src/Layers.cmake)
get_filename_component(SRC "${SRC}" ABSOLUTE)

# The windows of messages/ and accounts/ reach each other only through core/Windows.
set(windows Form2 Form4 newmes Form5 usopt)

set(violations "")
foreach(layer IN LISTS NOTAVO_LAYERS)
    file(GLOB_RECURSE sources "${SRC}/${layer}/*.h" "${SRC}/${layer}/*.cpp")
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH rel "${SRC}" "${source}")
        get_filename_component(folder "${source}" DIRECTORY)
        get_filename_component(own "${source}" NAME_WE)
        # Any spacing the preprocessor accepts: "  #  include".
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line IN LISTS lines)
            string(REGEX MATCH "include[ \t]*([<\"])([^>\"]*)" _ "${line}")
            set(quote "${CMAKE_MATCH_1}")
            set(path "${CMAKE_MATCH_2}")
            string(STRIP "${line}" shown)

            # Where the compiler would find it: beside the file (quotes only), else under src/.
            set(found "")
            if(quote STREQUAL "\"" AND EXISTS "${folder}/${path}")
                get_filename_component(found "${folder}/${path}" ABSOLUTE)
            elseif(EXISTS "${SRC}/${path}")
                get_filename_component(found "${SRC}/${path}" ABSOLUTE)
            endif()
            set(target "")
            if(found)
                file(RELATIVE_PATH inside "${SRC}" "${found}")
                if(NOT inside MATCHES "^\\.\\./" AND inside MATCHES "^([a-z]+)/")
                    set(target "${CMAKE_MATCH_1}")
                endif()
            elseif(path MATCHES "^([a-z]+)/")
                set(target "${CMAKE_MATCH_1}")
            endif()
            list(FIND NOTAVO_LAYERS "${target}" known)
            if(known EQUAL -1)
                set(target "")
            endif()

            if(path MATCHES "(^|/)\\.\\.?/")
                list(APPEND violations "${rel}: ${shown} (a relative path: write \"layer/Name.h\")")
            elseif(quote STREQUAL "<" AND target)
                list(APPEND violations "${rel}: ${shown} (a project header: write \"${path}\")")
            endif()
            if(target)
                list(FIND NOTAVO_LAYER_${layer} "${target}" allowed)
                if(allowed EQUAL -1)
                    list(APPEND violations "${rel}: ${shown} (${layer}/ may not include ${target}/)")
                endif()
            endif()
            get_filename_component(name "${path}" NAME_WE)
            list(FIND windows "${name}" window)
            if((layer STREQUAL "messages" OR layer STREQUAL "accounts") AND window GREATER -1
               AND NOT name STREQUAL own)
                list(APPEND violations "${rel}: ${shown} (windows meet through core/Windows)")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes that break the layers:\n  ${text}")
endif()
message(STATUS "Layers hold")
