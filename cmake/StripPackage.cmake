# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
#
# Run by CPack on the files it is about to package: the programs lose their
# symbols and the .comment and .note sections, as Debian's dh_strip leaves
# them. The build folder's own programs keep their debug information.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_ZENTROVA_STRIP} --remove-section=.comment --remove-section=.note ${program}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()
