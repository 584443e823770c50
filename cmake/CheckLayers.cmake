# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# Layers: each folder of src/ may include only its own headers and those of
# the folders below it. The core folders, lowest first:
#
#   base       settings access, prompts, progress, code page, text rules, file I/O
#   language   language files, interface texts, name tables, family profile
#   report     report pages, printout heading, grid data, composition of pages
#   structure  element tree, result table, structure file, results grid, export
#   comm       serial port, wire protocol, receiving from the instrument
#   history    the archive of inspections over the years, in SQLite or PostgreSQL
#   shell      the program's state and start-up
#
# Windows (a folder's windows/) sit above the whole core: each may include the
# core, the shared window pieces in shell/windows, the windows of the layers
# below its own (the history's draw with the structure's charts) and its own
# folder's windows.
# app/ (the program's entry and main window) may include everything, cli/ the
# whole core but no window, save the chart drawing of structure/windows and
# history/windows, which draws into files without showing anything.
#
# The check runs when the build is configured, so an include that reaches
# upwards or sideways fails at once with the file named.
set(ZENTROVA_CORE_LAYERS base language report structure comm history shell)

function(zentrova_allowed_includes folder out)
  list(FIND ZENTROVA_CORE_LAYERS "${folder}" level)
  if(folder MATCHES "^app")
    set(allowed ALL)
  elseif(level GREATER_EQUAL 0)
    list(SUBLIST ZENTROVA_CORE_LAYERS 0 ${level} allowed)
    list(APPEND allowed ${folder})
  elseif(folder MATCHES "^([a-z]+)/windows$")
    list(FIND ZENTROVA_CORE_LAYERS "${CMAKE_MATCH_1}" own)
    set(allowed ${ZENTROVA_CORE_LAYERS} shell/windows ${folder})
    if(own GREATER 0)
      list(SUBLIST ZENTROVA_CORE_LAYERS 0 ${own} below)
      foreach(layer ${below})
        list(APPEND allowed ${layer}/windows)
      endforeach()
    endif()
  elseif(folder STREQUAL "cli")
    set(allowed ${ZENTROVA_CORE_LAYERS} cli structure/windows history/windows)
  else()
    message(FATAL_ERROR "src/${folder}: a folder without a layer; add it to cmake/CheckLayers.cmake")
  endif()
  set(${out} "${allowed}" PARENT_SCOPE)
endfunction()

function(zentrova_check_layers)
  file(GLOB_RECURSE sources RELATIVE ${CMAKE_SOURCE_DIR}/src
    ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp)
  foreach(source ${sources})
    get_filename_component(folder ${source} DIRECTORY)
    zentrova_allowed_includes("${folder}" allowed)
    if(allowed STREQUAL "ALL")
      continue()
    endif()
    file(STRINGS ${CMAKE_SOURCE_DIR}/src/${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
      if(line MATCHES "^#include \"[a-z]+/windows/")
        set(used "${used}/windows")
      endif()
      if(NOT used IN_LIST allowed)
        message(FATAL_ERROR "src/${source}: ${folder}/ may not include ${used}/ (${line})")
      endif()
    endforeach()
  endforeach()
endfunction()
