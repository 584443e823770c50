# Layers: a folder of src/ may include only its own headers and those of the
# folders listed for it. The check runs when the build is configured, so a
# new include that reaches upwards fails at once with the file named.
#
# base: settings access, prompts, progress, code page, text rules, file I/O.
set(ZENTROVA_LAYER_base base)

function(zentrova_check_layers)
  foreach(folder base)
    file(GLOB_RECURSE sources ${CMAKE_SOURCE_DIR}/src/${folder}/*.h ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    foreach(source ${sources})
      file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
        if(NOT used IN_LIST ZENTROVA_LAYER_${folder})
          file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${source})
          message(FATAL_ERROR "${shown}: ${folder}/ may not include ${used}/ (${line})")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()
