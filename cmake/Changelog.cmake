# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
#
# CHANGELOG.md is the one place a release is written down. From it the build
# takes the release date of the manual pages, the Debian changelog of the
# package and the AppStream metadata's releases. The newest version there must
# be the project's version: a release cannot be built without its entry.
#
# A version's heading reads "## VERSION - YYYY-MM-DD"; its lines start with
# "- " and go on indented by two spaces.

# The day of the week of a date, as RFC 2822 names it (Sakamoto's method).
function(zentrova_weekday year month day out)
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
  set(names Sun Mon Tue Wed Thu Fri Sat)
  list(GET names ${weekday} name)
  set(${out} ${name} PARENT_SCOPE)
endfunction()

function(zentrova_month_name month out)
  set(names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR index "${month} - 1")
  list(GET names ${index} name)
  set(${out} ${name} PARENT_SCOPE)
endfunction()

function(zentrova_xml_escape text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Reads CHANGELOG_FILE and sets, in the caller's scope:
#   ZENTROVA_RELEASE_DATE      the newest version's date, YYYY-MM-DD
#   ZENTROVA_DEBIAN_CHANGELOG  the whole change log in Debian's format
#   ZENTROVA_APPSTREAM_RELEASES the <release> elements, newest first
function(zentrova_read_changelog changelog_file maintainer)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_file})
  file(READ ${changelog_file} text)
  # One list element per line; the characters a CMake list treats
  # specially stand in for themselves until a line is written out.
  string(REPLACE ";" "@SEMICOLON@" text "${text}")
  string(REPLACE "[" "@OPEN@" text "${text}")
  string(REPLACE "]" "@CLOSE@" text "${text}")
  string(REPLACE "\\" "@BACKSLASH@" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")

  set(version "")
  set(debian "")
  set(appstream "")
  set(items "")
  set(item "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^## ([0-9][0-9.]*) - ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
      set(next_version ${CMAKE_MATCH_1})
      set(next_date ${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4})
      set(next_year ${CMAKE_MATCH_2})
      math(EXPR next_month "1${CMAKE_MATCH_3} - 100")
      math(EXPR next_day "1${CMAKE_MATCH_4} - 100")
      if(version)
        _zentrova_close_version()
      endif()
      set(version ${next_version})
      set(date ${next_date})
      set(year ${next_year})
      set(month ${next_month})
      set(day ${next_day})
      if(NOT ZENTROVA_RELEASE_DATE)
        set(ZENTROVA_RELEASE_DATE ${date})
        set(newest ${version})
      endif()
      string(APPEND debian "zentrova (${version}) unstable@SEMICOLON@ urgency=medium\n\n")
      set(items "")
      set(item "")
    elseif(line MATCHES "^## ")
      message(FATAL_ERROR "${changelog_file}: a version's heading reads \"## VERSION - YYYY-MM-DD\": ${line}")
    elseif(version AND line MATCHES "^- (.*)$")
      if(NOT item STREQUAL "")
        list(APPEND items "${item}")
      endif()
      set(item "${CMAKE_MATCH_1}")
      string(APPEND debian "  * ${CMAKE_MATCH_1}\n")
    elseif(version AND line MATCHES "^  +(.*)$")
      string(APPEND item " ${CMAKE_MATCH_1}")
      string(APPEND debian "    ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  if(NOT version)
    message(FATAL_ERROR "${changelog_file} names no version")
  endif()
  _zentrova_close_version()
  if(NOT newest STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${changelog_file}: the newest entry is ${newest}, the project is ${PROJECT_VERSION}")
  endif()

  string(REGEX REPLACE "\n+$" "\n" debian "${debian}")
  foreach(var debian appstream)
    string(REPLACE "@SEMICOLON@" ";" ${var} "${${var}}")
    string(REPLACE "@OPEN@" "[" ${var} "${${var}}")
    string(REPLACE "@CLOSE@" "]" ${var} "${${var}}")
    string(REPLACE "@BACKSLASH@" "\\" ${var} "${${var}}")
  endforeach()
  set(ZENTROVA_RELEASE_DATE ${ZENTROVA_RELEASE_DATE} PARENT_SCOPE)
  set(ZENTROVA_DEBIAN_CHANGELOG "${debian}" PARENT_SCOPE)
  set(ZENTROVA_APPSTREAM_RELEASES "${appstream}" PARENT_SCOPE)
endfunction()

# Ends the version being read: its trailer line in the Debian change log
# and its <release> element.
macro(_zentrova_close_version)
  if(NOT item STREQUAL "")
    list(APPEND items "${item}")
  endif()
  zentrova_weekday(${year} ${month} ${day} weekday)
  zentrova_month_name(${month} month_name)
  if(day LESS 10)
    set(day_text 0${day})
  else()
    set(day_text ${day})
  endif()
  string(APPEND debian "\n -- ${maintainer}  ${weekday}, ${day_text} ${month_name} ${year} 00:00:00 +0000\n\n")
  string(APPEND appstream "    <release version=\"${version}\" date=\"${date}\">\n"
    "      <description>\n        <ul>\n")
  foreach(entry IN LISTS items)
    zentrova_xml_escape("${entry}" entry)
    string(APPEND appstream "          <li>${entry}</li>\n")
  endforeach()
  string(APPEND appstream "        </ul>\n      </description>\n    </release>\n")
  set(items "")
  set(item "")
endmacro()
