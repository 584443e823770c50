# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# The corpus replay test: every input of every fuzz target's corpus goes
# through the same harness function the fuzzer runs. Part of the ordinary
# build and of `make test`; included from tests/CMakeLists.txt.
file(GLOB fuzz_harnesses CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*Harness.cpp)
add_executable(test_fuzz_replay
  ${CMAKE_CURRENT_LIST_DIR}/ReplayTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FuzzSupport.cpp
  ${fuzz_harnesses}
  ${CMAKE_CURRENT_LIST_DIR}/../comm/ScriptedPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../support/gtest_main.cpp)
target_link_libraries(test_fuzz_replay PRIVATE test_support GTest::gtest)
target_compile_definitions(test_fuzz_replay PRIVATE ZENTROVA_FUZZ_DIR="${CMAKE_CURRENT_LIST_DIR}")
gtest_discover_tests(test_fuzz_replay
  DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
