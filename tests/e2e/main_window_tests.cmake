# The main window's scenarios: layout, single instance, tray life, game directory, repair and the
# champion buttons. Each test works in a scratch folder with copies of the program under a name of
# its own, so tests can run side by side; the ones that start or look for LolClient.exe share a
# lock, since every Wine process of the prefix sees the same process list.
include(${PROJECT_SOURCE_DIR}/tests/support/support.cmake)

# Another program's window, for the raise of the tray menu's 显示.
add_executable(lq_e2e_cover WIN32 ${CMAKE_CURRENT_LIST_DIR}/main_window_cover.cpp)
target_link_libraries(lq_e2e_cover PRIVATE lq_options)
target_link_options(lq_e2e_cover PRIVATE -municode)

add_library(lq_main_window_harness STATIC ${CMAKE_CURRENT_LIST_DIR}/main_window_harness.cpp)
target_link_libraries(lq_main_window_harness PUBLIC lq_options lq_driver_lib lq_test_support
  GTest::gtest)
target_compile_definitions(lq_main_window_harness PUBLIC
  LQ_PROGRAM_EXE="$<TARGET_FILE:LOLQuillet>"
  LQ_STANDIN_EXE="$<TARGET_FILE:lq_standin_lolclient>"
  LQ_COVER_EXE="$<TARGET_FILE:lq_e2e_cover>")
add_dependencies(lq_main_window_harness LOLQuillet lq_standin_lolclient lq_e2e_cover)

function(lq_add_main_window_e2e name)
  cmake_parse_arguments(A "SERIAL" "LOCK;FIXTURE" "SOURCES" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE lq_main_window_harness lq_skins_core GTest::gmock_main)
  set(props TIMEOUT 60 ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}" LABELS e2e)
  if(A_LOCK)
    list(APPEND props RESOURCE_LOCK ${A_LOCK})
  endif()
  if(A_FIXTURE)
    list(APPEND props FIXTURES_REQUIRED ${A_FIXTURE})
  endif()
  if(A_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

lq_add_main_window_e2e(main_window_e2e
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/main_window_life_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_repair_test.cpp)
# The tray menu is a popup menu: another test's window coming to the front closes it.
lq_add_main_window_e2e(main_window_tray_menu_e2e SERIAL
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_tray_menu_test.cpp)

# The title's version notice comes from the share page at LQ_SHARE_LISTING_ADDRESS. Where that is
# the download host's /share/latest, the skin window tests' endpoint (skin_window_tests.cmake)
# serves it, a test chooses the page through /__share/latest, and the tests that see the title
# take turns (lq_share_page).
if(LQ_DOWNLOAD_HOST MATCHES "^http://127\\.0\\.0\\.1:[0-9]+$" AND
   LQ_SHARE_LISTING_ADDRESS STREQUAL "${LQ_DOWNLOAD_HOST}/share/latest")
  lq_add_main_window_e2e(main_window_layout_e2e LOCK lq_share_page FIXTURE skin_window_endpoint
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_layout_test.cpp)
  lq_add_main_window_e2e(version_notice_e2e LOCK lq_share_page FIXTURE skin_window_endpoint
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/version_notice_test.cpp)
  foreach(target main_window_layout_e2e version_notice_e2e)
    target_compile_definitions(${target} PRIVATE
      LQ_E2E_SHARE_CONTROL="${LQ_DOWNLOAD_HOST}/__share/latest")
    target_link_libraries(${target} PRIVATE lq_system)
  endforeach()
  target_compile_definitions(version_notice_e2e PRIVATE
    LQ_E2E_SHARE_CONNECTIONS="${LQ_DOWNLOAD_HOST}/__connections?path=/share/latest")
else()
  lq_add_main_window_e2e(main_window_layout_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_layout_test.cpp)
endif()
# The layout test compares the window with the program's own template.
target_link_libraries(main_window_layout_e2e PRIVATE lq_app)
lq_add_main_window_e2e(main_window_directory_e2e LOCK lq_game_client_processes
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_window_directory_test.cpp)
