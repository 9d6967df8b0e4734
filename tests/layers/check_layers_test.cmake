# The layer check itself (cmake/CheckLayers.cmake), run over small trees made
# here: a sound tree passes, and each row adds one include that the check
# must refuse (or, for the last rows, accept).
#   cmake -DCHECK=<CheckLayers.cmake> -DWORK=<scratch folder> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)

# A sound tree: every room includes what it may.
function(make_tree root)
  file(REMOVE_RECURSE ${root})
  file(WRITE ${root}/win/Text.h "#pragma once\n#include <windows.h>\n")
  file(WRITE ${root}/scheme/formats/Reader.h "#pragma once\n#include <string>\n")
  file(WRITE ${root}/scheme/formats/Order.h "#pragma once\n")
  file(WRITE ${root}/scheme/formats/Reader.cpp "#include \"Reader.h\"\n#include \"scheme/formats/Order.h\"\n#include <zlib.h>\n")
  file(WRITE ${root}/scheme/Apply.h "#pragma once\n#include <windows.h>\n#include \"win/Text.h\"\n#include \"scheme/formats/Reader.h\"\n")
  file(WRITE ${root}/editor/Kong.h "#pragma once\n#include \"scheme/Apply.h\"\n")
  file(WRITE ${root}/app/Main.cpp "#include \"editor/Kong.h\"\n")
  file(WRITE ${root}/cmd/CommandLine.h "#pragma once\n#include <string>\n")
  file(WRITE ${root}/cmd/CommandLine.cpp "#include \"cmd/CommandLine.h\"\n")
  file(WRITE ${root}/cmd/Run.cpp "#include \"cmd/CommandLine.h\"\n#include \"scheme/Apply.h\"\n")
endfunction()

# Rows: name | file added or replaced | its text | PASS or FAIL
set(rows
  "sound tree|scheme/formats/Reader.h|#pragma once|PASS"
  "Windows header in a portable header included without a folder|scheme/formats/Order.h|#include <windows.h>|FAIL"
  "Windows header in upper case|scheme/formats/Order.h|#include <Windows.h>|FAIL"
  "portable reader includes the command line|scheme/formats/Order.h|#include \"cmd/CommandLine.h\"|FAIL"
  "portable reader includes the model|scheme/formats/Order.h|#include \"scheme/Apply.h\"|FAIL"
  "portable reader reaches up a folder|scheme/formats/Order.h|#include \"../Apply.h\"|FAIL"
  "command line includes the Windows layer|cmd/CommandLine.h|#include \"win/Text.h\"|FAIL"
  "command line includes windows.h|cmd/CommandLine.h|#include <windows.h>|FAIL"
  "model includes the editor without a folder|scheme/Apply.h|#include \"../editor/Kong.h\"|FAIL"
  "model includes the editor|scheme/Apply.h|#include \"editor/Kong.h\"|FAIL"
  "console program includes the editor|cmd/Run.cpp|#include \"editor/Kong.h\"|FAIL"
  "Windows layer includes the model|win/Text.h|#include \"scheme/Apply.h\"|FAIL"
  "include of a file that is not there|editor/Kong.h|#include \"Missing.h\"|FAIL"
  "model includes a portable reader without a folder|scheme/Apply.h|#include \"formats/Reader.h\"|PASS"
  "console program includes the parser beside it|cmd/Run.cpp|#include \"CommandLine.h\"|PASS"
)

set(failures "")
set(index 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 path)
  list(GET fields 2 text)
  list(GET fields 3 expected)
  math(EXPR index "${index} + 1")
  set(root ${WORK}/tree${index})
  make_tree(${root})
  file(APPEND ${root}/${path} "${text}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${root} -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(result EQUAL 0)
    set(got PASS)
  else()
    set(got FAIL)
  endif()
  if(NOT got STREQUAL expected)
    string(APPEND failures "  ${name}: expected ${expected}, got ${got}\n${err}\n")
  elseif(got STREQUAL "FAIL" AND NOT err MATCHES "${path}")
    string(APPEND failures "  ${name}: refused, but the message does not name ${path}:\n${err}\n")
  endif()
  file(REMOVE_RECURSE ${root})
endforeach()

if(failures)
  message(FATAL_ERROR "Layer check:\n${failures}")
endif()
message(STATUS "Layer check: ${index} trees as expected")
