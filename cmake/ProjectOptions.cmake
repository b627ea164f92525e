# Compile options shared by every target of the project (not by third-party code).
add_library(lq_options INTERFACE)
target_compile_options(lq_options INTERFACE -Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Sources are UTF-8; narrow literals carry the program's texts as GBK bytes.
  target_compile_options(lq_options INTERFACE -finput-charset=UTF-8 -fexec-charset=GBK)
elseif(NOT LQ_FUZZ)
  message(FATAL_ERROR "The program's texts need g++ (-fexec-charset=GBK); clang only builds the fuzz targets")
endif()
target_include_directories(lq_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(lq_options INTERFACE
  LQ_DOWNLOAD_HOST="${LQ_DOWNLOAD_HOST}"
  LQ_SHARE_LISTING_ADDRESS="${LQ_SHARE_LISTING_ADDRESS}")
if(WIN32)
  target_compile_definitions(lq_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601)
  # One static exe: no libstdc++ or libgcc DLL beside it.
  target_link_options(lq_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
if(LQ_SANITIZE)
  target_compile_options(lq_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(lq_options INTERFACE -fsanitize=address,undefined)
endif()

# lq_add_library(name [PORTABLE src...] [WINDOWS src...] [POSIX src...] [DEPS lib...])
# Portable sources build everywhere; Windows sources only in the Windows build, POSIX sources only
# elsewhere (what the Windows sources give, done the other system's way or not at all).
function(lq_add_library name)
  cmake_parse_arguments(A "" "" "PORTABLE;WINDOWS;POSIX;DEPS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(WIN32)
    list(APPEND srcs ${A_WINDOWS})
  else()
    list(APPEND srcs ${A_POSIX})
  endif()
  add_library(${name} STATIC ${srcs})
  target_link_libraries(${name} PUBLIC lq_options ${A_DEPS})
endfunction()

# lq_add_gtest_cases(name [PROPERTIES prop value...])
# The CTest tests of GoogleTest program `name`. Where the program runs as built, each case is a
# test of its own, listed at test time. In the cross build, whose tests run under Wine, where
# starting a program takes longer than most cases, the program is one test that runs all its cases
# (GoogleTest's output names a case that fails). The end-to-end programs, whose cases take seconds
# each, list their cases in every build.
function(lq_add_gtest_cases name)
  cmake_parse_arguments(A "" "" "PROPERTIES" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 ${A_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 120 ${A_PROPERTIES})
  endif()
endfunction()

# lq_add_test(name SOURCES src... [DEPS lib...] [PROPERTIES prop value...])
# A GoogleTest program and its tests (lq_add_gtest_cases).
function(lq_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PROPERTIES" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE lq_options ${A_DEPS} GTest::gmock_main)
  lq_add_gtest_cases(${name}
    PROPERTIES ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}" ${A_PROPERTIES})
endfunction()

# lq_speed_up_test_builds(dir)
# For every program and helper library in `dir` and below it that links GoogleTest:
# - natively, GoogleTest's and GoogleMock's headers, which take longer to read than most test
#   files take to compile, are compiled once (in lq_test_headers) and read from there. A file
#   compiled with other macros reads the headers itself; the compiler checks that.
# - in the Windows build, whose compiler reports warnings of the standard library's own headers
#   once they come from a precompiled header, the test code is optimised less than the program
#   instead: the product's libraries that the tests link stay as the program is built.
function(lq_speed_up_test_builds dir)
  if(NOT WIN32 AND NOT TARGET lq_test_headers)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/lq_test_headers.cpp CONTENT "")
    add_library(lq_test_headers OBJECT ${CMAKE_BINARY_DIR}/lq_test_headers.cpp)
    target_link_libraries(lq_test_headers PRIVATE lq_options GTest::gmock)
    target_precompile_headers(lq_test_headers PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY)$" OR NOT "${libs}" MATCHES "GTest::")
      continue()
    endif()
    if(WIN32)
      target_compile_options(${t} PRIVATE $<$<CONFIG:Release>:-O1>)
    else()
      target_precompile_headers(${t} REUSE_FROM lq_test_headers)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    lq_speed_up_test_builds(${sub})
  endforeach()
endfunction()
