# The layer check itself: a small source tree with one way of breaking the layers per file must
# have each of them reported, and the sound includes beside them must not be. Run with
#   cmake -DWORK=<scratch folder> -P CheckLayersCatches.cmake
set(src "${WORK}/src")
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${src}/app/Form1.h" "#pragma once\n")
file(WRITE "${src}/fs/Other.h" "#pragma once\n")
file(WRITE "${src}/messages/Form4.h" "#pragma once\n")
# file -> its include; every one of these must be reported.
set(broken
    "fs/Upward.cpp|#include \"app/Form1.h\""
    "fs/Relative.cpp|#include \"../app/Form1.h\""
    "store/ThroughSrc.cpp|#include \"../../src/app/Form1.h\""
    "fs/Beside.cpp|#include \"./Other.h\""
    "fs/Spaced.cpp|#  include \"app/Form1.h\""
    "fs/Indented.cpp|  #include \"app/Form1.h\""
    "fs/Tabbed.cpp|#include\t\"app/Form1.h\""
    "fs/Angled.cpp|#include <fs/Other.h>"
    "core/AngledUpward.cpp|#include <app/Form1.h>"
    "widgets/Missing.cpp|#include \"desktop/NotYetWritten.h\""
    "messages/Form2.cpp|#include \"Form4.h\""
    "accounts/usopt.cpp|#include \"messages/Form4.h\"")
foreach(entry IN LISTS broken)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 file)
    list(GET entry 1 line)
    file(WRITE "${src}/${file}" "${line}\n")
endforeach()
file(WRITE "${src}/fs/Sound.cpp"
     "#include \"Other.h\"\n#include \"fs/Other.h\"\n#include <QString>\n#include <vector>\n")
file(WRITE "${src}/messages/Form4.cpp" "#include \"Form4.h\"\n#include \"fs/Other.h\"\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${src} -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(faults "")
if(result EQUAL 0)
    list(APPEND faults "the check passed a tree that breaks the layers")
endif()
foreach(entry IN LISTS broken)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 file)
    string(FIND "${output}" "  ${file}: " at)
    if(at EQUAL -1)
        list(APPEND faults "not reported: ${file}")
    endif()
endforeach()
foreach(file fs/Sound.cpp messages/Form4.cpp)
    string(FIND "${output}" "  ${file}: " at)
    if(NOT at EQUAL -1)
        list(APPEND faults "reported although sound: ${file}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "${text}\nThe check said:\n${output}")
endif()
message(STATUS "The layer check catches every way round it")
