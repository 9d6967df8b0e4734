# Fails when a source includes against the layering. Each file belongs to a
# room, by its folder:
#   win/             Windows layer: handle wrappers, window base, errors, text helpers
#   scheme/formats/  the portable readers of the user's files: no Windows
#                    header, nothing of ours outside this folder
#   scheme/          the model and the window-less actions: may use win/ and formats/
#   editor/          the editor control: may use win/, scheme/ and formats/
#   app/             the main window: may use everything above
#   cmd/CommandLine  ShuBiaoCmd's command-line parser: portable, may use formats/
#   cmd/             the console program: win/, scheme/, formats/ and its parser,
#                    never the window code of editor/ or app/
# Every quoted include is resolved the way the compiler does: against the
# including file's own folder first, then against ROOT. One that resolves to
# no file of ours is an error too, so that no include slips past unseen.
# Run as a build step: cmake -DROOT=<source dir> [-DSTAMP=<file>] -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed_win "win")
set(allowed_formats "formats")
set(allowed_scheme "win;formats;scheme")
set(allowed_editor "win;formats;scheme;editor")
set(allowed_app "win;formats;scheme;editor;app")
set(allowed_cmdline "formats;cmdline")
set(allowed_cmd "win;formats;scheme;cmd;cmdline")
set(portable_rooms "formats;cmdline")

# The room of a path relative to ROOT; empty when it is in none.
function(room_of path out)
  if(path MATCHES "^scheme/formats/")
    set(room formats)
  elseif(path MATCHES "^cmd/CommandLine\\.(h|cpp)$")
    set(room cmdline)
  elseif(path MATCHES "^(win|scheme|editor|app|cmd)/")
    set(room ${CMAKE_MATCH_1})
  else()
    set(room "")
  endif()
  set(${out} "${room}" PARENT_SCOPE)
endfunction()

set(problems "")
file(GLOB_RECURSE files RELATIVE ${ROOT}
     ${ROOT}/win/*.cpp ${ROOT}/win/*.h ${ROOT}/scheme/*.cpp ${ROOT}/scheme/*.h
     ${ROOT}/editor/*.cpp ${ROOT}/editor/*.h ${ROOT}/app/*.cpp ${ROOT}/app/*.h
     ${ROOT}/cmd/*.cpp ${ROOT}/cmd/*.h)
foreach(file ${files})
  room_of(${file} room)
  get_filename_component(folder ${file} DIRECTORY)
  list(FIND portable_rooms ${room} portable)
  file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${includes})
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(name ${CMAKE_MATCH_1})
      # As the compiler looks: beside the including file, then from ROOT.
      set(target "")
      foreach(candidate "${folder}/${name}" "${name}")
        get_filename_component(full "${ROOT}/${candidate}" ABSOLUTE)
        if(EXISTS ${full} AND NOT IS_DIRECTORY ${full})
          file(RELATIVE_PATH target ${ROOT} ${full})
          break()
        endif()
      endforeach()
      if(target STREQUAL "")
        string(APPEND problems "  ${file}: includes \"${name}\", which is no file of ours\n")
        continue()
      endif()
      room_of(${target} target_room)
      if(target_room STREQUAL "")
        string(APPEND problems "  ${file}: includes ${target}, outside the layers\n")
        continue()
      endif()
      list(FIND allowed_${room} ${target_room} allowed)
      if(allowed EQUAL -1)
        if(portable GREATER -1)
          string(APPEND problems "  ${file}: portable code includes ${target}\n")
        else()
          string(APPEND problems "  ${file}: ${room}/ may not include ${target}\n")
        endif()
      endif()
    elseif(portable GREATER -1)
      string(TOLOWER "${line}" lower)
      if(lower MATCHES "<(windows|win[a-z0-9_]*|objbase|ole2|shlobj|shellapi|shlwapi|commctrl|commdlg|tchar|wtypes|basetsd)\\.h>")
        string(APPEND problems "  ${file}: portable code includes <${CMAKE_MATCH_1}.h>\n")
      endif()
    endif()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes against the layering (win <- scheme <- editor <- app, scheme <- cmd; "
                      "scheme/formats and cmd/CommandLine are portable):\n${problems}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
