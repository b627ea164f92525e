# GoogleTest from Debian's sources, built for whichever target this is.
if(NOT TARGET GTest::gmock_main)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(LQ_SANITIZE)
    foreach(t gtest gtest_main gmock gmock_main)
      target_compile_options(${t} PRIVATE -fsanitize=address,undefined)
    endforeach()
  endif()
endif()

# JPEG and PNG decoding: Debian's libraries natively, static builds from scripts/build-deps on Windows.
if(WIN32)
  # The import library libz.dll.a would need zlib1.dll beside the exe.
  find_library(ZLIB_LIBRARY NAMES libz.a REQUIRED)
endif()
find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
set(LQ_PICTURE_LIBS PNG::PNG JPEG::JPEG ZLIB::ZLIB)
