# Fails when a source includes against the layering:
#   win/    Windows layer: handle wrappers, window base, errors, text helpers
#   scheme/ the model: may use win/
#   editor/ the editor control: may use win/ and scheme/
#   app/    the main window: may use win/, scheme/ and editor/
#   cmd/    the console program: may use win/ and scheme/, never the window
#           code of editor/ or app/
# The portable checkers and parsers (PORTABLE: their sources, relative to
# ROOT) include no Windows header and nothing of ours but each other.
# Run as a build step: cmake -DROOT=<source dir> -DPORTABLE=a.cpp,b.cpp -DSTAMP=<file> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" PORTABLE "${PORTABLE}")

set(allowed_win "win")
set(allowed_scheme "win;scheme")
set(allowed_editor "win;scheme;editor")
set(allowed_app "win;scheme;editor;app")
set(allowed_cmd "win;scheme;cmd")

# The portable set: the portable sources, their headers, and every header of
# ours they include (which is then held to the same rule).
set(portable_files "")
foreach(source ${PORTABLE})
  string(REGEX REPLACE "\\.cpp$" ".h" header "${source}")
  list(APPEND portable_files "${source}" "${header}")
endforeach()
set(pending ${portable_files})
while(pending)
  list(POP_FRONT pending file)
  if(NOT EXISTS ${ROOT}/${file})
    continue()
  endif()
  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    if(line MATCHES "\"((scheme|cmd)/[^\"]+)\"")
      list(FIND portable_files ${CMAKE_MATCH_1} known)
      if(known EQUAL -1)
        list(APPEND portable_files ${CMAKE_MATCH_1})
        list(APPEND pending ${CMAKE_MATCH_1})
      endif()
    endif()
  endforeach()
endwhile()

set(problems "")
foreach(layer win scheme editor app cmd)
  file(GLOB files RELATIVE ${ROOT} ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.h)
  foreach(file ${files})
    file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
    list(FIND portable_files ${file} portable)
    foreach(line ${includes})
      if(line MATCHES "\"([a-z]+)/([^\"]+)\"")
        set(room ${CMAKE_MATCH_1})
        set(target "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
        if(portable GREATER -1)
          list(FIND portable_files ${target} allowed)
          if(allowed EQUAL -1)
            string(APPEND problems "  ${file}: portable code includes ${target}\n")
          endif()
        else()
          list(FIND allowed_${layer} ${room} allowed)
          if(allowed EQUAL -1)
            string(APPEND problems "  ${file}: ${layer}/ may not include ${target}\n")
          endif()
        endif()
      elseif(portable GREATER -1 AND line MATCHES "<(windows|win[a-z0-9_]*|objbase|shlobj|shellapi|commctrl|commdlg|tchar)\\.h>")
        string(APPEND problems "  ${file}: portable code includes <${CMAKE_MATCH_1}.h>\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes against the layering (win <- scheme <- editor <- app, scheme <- cmd; portable code stands alone):\n${problems}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
