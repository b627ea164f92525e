# Tests of the zip check, the installation of skin packages and the skin window's behaviour.
# Included from skins/CMakeLists.txt.
# Zip archives built by the tests, game folders in memory with a fault injector, and a user folder
# in memory.
add_library(lq_skins_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/support/test_zip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/test_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/memory_user_folder.cpp)
target_link_libraries(lq_skins_test_support PUBLIC lq_options lq_skin_install ZLIB::ZLIB)

lq_add_test(zip_check_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_check_test.cpp
  DEPS lq_skin_install lq_skins_test_support
  PROPERTIES ENVIRONMENT "LQ_ZIP_REGRESSIONS=${CMAKE_CURRENT_LIST_DIR}/regressions")

lq_add_test(package_store_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/package_store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/repeated_loads_test.cpp
  DEPS lq_skin_install lq_skins_test_support)

lq_add_test(game_files_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_files_test.cpp
  DEPS lq_skin_install lq_skins_test_support)

if(WIN32)
  include(${PROJECT_SOURCE_DIR}/tests/support/support.cmake)
  # support.cmake may have been included from another folder first: its Python3 result is local
  # there.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  # The endpoint with the download host's routes (tools/endpoint/install_routes.py); its generated
  # packages need no files, so the root is an empty folder.
  set(install_endpoint_script ${PROJECT_SOURCE_DIR}/tools/endpoint/install_routes.py)
  set(install_endpoint_root ${CMAKE_CURRENT_BINARY_DIR}/install-endpoint-root)
  file(MAKE_DIRECTORY ${install_endpoint_root})
  lq_endpoint_state_dir(install_endpoint install_endpoint_state)
  add_test(NAME install_endpoint_start
    COMMAND ${Python3_EXECUTABLE} ${install_endpoint_script} --background --port 0
      --root ${install_endpoint_root} --state-dir ${install_endpoint_state}
      --record ${install_endpoint_state}/requests.jsonl)
  set_tests_properties(install_endpoint_start PROPERTIES FIXTURES_SETUP install_endpoint TIMEOUT 30)
  add_test(NAME install_endpoint_stop
    COMMAND ${Python3_EXECUTABLE} ${install_endpoint_script} --stop
      --state-dir ${install_endpoint_state})
  set_tests_properties(install_endpoint_stop PROPERTIES FIXTURES_CLEANUP install_endpoint TIMEOUT 30)

  lq_add_endpoint_test(install_tests FIXTURE install_endpoint
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/install_files_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/install_view_test.cpp
    DEPS lq_skin_window)
endif()

lq_add_test(install_window_actions_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/install_window_actions_test.cpp
  DEPS lq_skin_window lq_skins_test_support)

# On Windows also the program's user folder, in a scratch LOCALAPPDATA.
set(preview_cache_test_deps lq_skin_window lq_skins_test_support)
if(WIN32)
  list(APPEND preview_cache_test_deps lq_test_support)
endif()
lq_add_test(preview_cache_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/preview_cache_test.cpp
  DEPS ${preview_cache_test_deps})
