# Warnings are errors for our own code; third-party code (GoogleTest) is left alone.
function(shubiao_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8 /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                           -Wno-missing-field-initializers -Wno-cast-function-type)
  endif()
endfunction()

# One executable that needs no DLL but Windows' own.
# Release executables drop their symbols and unused sections.
function(shubiao_static_runtime target)
  if(MINGW)
    # Release builds are stripped as they are linked, and carry no link time,
    # so that the same sources give the same bytes.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
                        $<$<CONFIG:Release,MinSizeRel>:-s -Wl,--gc-sections -Wl,--no-insert-timestamp>)
  endif()
endfunction()
