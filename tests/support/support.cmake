# Shared test helpers. Include from a tests/<layer>/CMakeLists.txt:
#
#   include(${PROJECT_SOURCE_DIR}/tests/support/support.cmake)
#
# lq_add_endpoint_fixture(<fixture> ROOT <dir> [PORT <n>])
#   Two CTest tests, <fixture>_start (FIXTURES_SETUP) and <fixture>_stop (FIXTURES_CLEANUP), that
#   start the local HTTP endpoint (tools/endpoint/endpoint.py) on 127.0.0.1 from Linux before the
#   first test needing it and stop it after the last. PORT 0 (the default) picks a free port, so
#   build trees and engineers running tests at the same time never collide; give a fixed port only
#   where a program has the address compiled in. The server's state (port, pid, log and every
#   request as JSON lines in requests.jsonl) is in ${CMAKE_BINARY_DIR}/endpoints/<fixture>/.
#
# lq_add_endpoint_test(<name> FIXTURE <fixture> SOURCES <src>... [DEPS <lib>...])
#   lq_add_test's GoogleTest program that requires the fixture and finds the endpoint with
#   lq::test::FixtureEndpoint() (tests/support/endpoint_client.h).
include_guard(GLOBAL)

# Cached: the file is read once, but its functions are called from other directories.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(LQ_PYTHON3 "${Python3_EXECUTABLE}" CACHE INTERNAL "Interpreter of the test endpoint")
set(LQ_ENDPOINT_SCRIPT "${PROJECT_SOURCE_DIR}/tools/endpoint/endpoint.py" CACHE INTERNAL
  "The local HTTP test endpoint")

add_library(lq_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/endpoint_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scratch_dir.cpp)
target_link_libraries(lq_test_support PUBLIC lq_options GTest::gtest)

function(lq_endpoint_state_dir fixture out)
  set(${out} "${CMAKE_BINARY_DIR}/endpoints/${fixture}" PARENT_SCOPE)
endfunction()

function(lq_add_endpoint_fixture fixture)
  cmake_parse_arguments(A "" "ROOT;PORT" "" ${ARGN})
  if(NOT A_ROOT)
    message(FATAL_ERROR "lq_add_endpoint_fixture(${fixture}): ROOT is required")
  endif()
  if(NOT DEFINED A_PORT)
    set(A_PORT 0)
  endif()
  lq_endpoint_state_dir(${fixture} state)
  # A plain path as COMMAND: the cross build's emulator must not run the interpreter.
  add_test(NAME ${fixture}_start COMMAND ${LQ_PYTHON3} ${LQ_ENDPOINT_SCRIPT} --background
    --port ${A_PORT} --root ${A_ROOT} --state-dir ${state} --record ${state}/requests.jsonl)
  set_tests_properties(${fixture}_start PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 30)
  add_test(NAME ${fixture}_stop
    COMMAND ${LQ_PYTHON3} ${LQ_ENDPOINT_SCRIPT} --stop --state-dir ${state})
  set_tests_properties(${fixture}_stop PROPERTIES FIXTURES_CLEANUP ${fixture} TIMEOUT 30)
endfunction()

function(lq_add_endpoint_test name)
  cmake_parse_arguments(A "" "FIXTURE" "SOURCES;DEPS" ${ARGN})
  lq_endpoint_state_dir(${A_FIXTURE} state)
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE lq_options ${A_DEPS} lq_test_support GTest::gmock_main)
  target_compile_definitions(${name} PRIVATE LQ_ENDPOINT_STATE_DIR="${state}")
  lq_add_gtest_cases(${name} PROPERTIES FIXTURES_REQUIRED ${A_FIXTURE}
    ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
