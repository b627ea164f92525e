# The skin window's scenarios: previews, installation from each load button, faults of the
# download host, a window closed during a download, concurrent installations and the repair after
# them. The real program runs against the local endpoint (tools/endpoint/install_routes.py) on the
# port that LQ_DOWNLOAD_HOST names, serving the demo content of every catalogue URL. The tests
# share that endpoint and its fault modes, and use 自动获取 with a LolClient.exe stand-in, so they
# run one at a time and hold the lock of the main window's tests that look for game clients (one
# lock for both: a list inside gtest_discover_tests' PROPERTIES is split into separate words, which
# left only the first lock in force).
include_guard(GLOBAL)
include(${PROJECT_SOURCE_DIR}/tests/support/support.cmake)
# support.cmake may have been included from another folder first: its Python3 result is local there.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

if(NOT LQ_DOWNLOAD_HOST MATCHES "^http://127\\.0\\.0\\.1:([0-9]+)$")
  message(STATUS "skin window end-to-end tests need LQ_DOWNLOAD_HOST at http://127.0.0.1:<port>")
  return()
endif()
set(skin_window_port ${CMAKE_MATCH_1})

# The demo content, written by the demo tool's sources built for Windows (under Wine).
set(skin_window_demo_root ${CMAKE_CURRENT_BINARY_DIR}/skin-window-demo)
add_executable(skin_window_demo_content
  ${CMAKE_CURRENT_LIST_DIR}/skin_window_demo_main.cpp
  ${PROJECT_SOURCE_DIR}/tools/demo/bitmap_font.cpp
  ${PROJECT_SOURCE_DIR}/tools/demo/preview_picture.cpp
  ${PROJECT_SOURCE_DIR}/tools/demo/stored_zip.cpp
  ${PROJECT_SOURCE_DIR}/tools/demo/demo_content.cpp)
target_link_libraries(skin_window_demo_content PRIVATE lq_options lq_skins_core JPEG::JPEG
  ZLIB::ZLIB)
add_test(NAME skin_window_demo_content
  COMMAND skin_window_demo_content ${skin_window_demo_root})
set_tests_properties(skin_window_demo_content PROPERTIES FIXTURES_SETUP skin_window_demo
  TIMEOUT 120)

set(skin_window_endpoint_script ${PROJECT_SOURCE_DIR}/tools/endpoint/install_routes.py)
lq_endpoint_state_dir(skin_window_endpoint skin_window_state)
add_test(NAME skin_window_endpoint_start
  COMMAND ${Python3_EXECUTABLE} ${skin_window_endpoint_script} --background
    --port ${skin_window_port} --root ${skin_window_demo_root}
    --state-dir ${skin_window_state} --record ${skin_window_state}/requests.jsonl)
set_tests_properties(skin_window_endpoint_start PROPERTIES FIXTURES_SETUP skin_window_endpoint
  FIXTURES_REQUIRED skin_window_demo TIMEOUT 30)
add_test(NAME skin_window_endpoint_stop
  COMMAND ${Python3_EXECUTABLE} ${skin_window_endpoint_script} --stop
    --state-dir ${skin_window_state})
set_tests_properties(skin_window_endpoint_stop PROPERTIES FIXTURES_CLEANUP skin_window_endpoint
  TIMEOUT 30)

add_library(lq_skin_window_harness STATIC ${CMAKE_CURRENT_LIST_DIR}/skin_window_harness.cpp)
target_link_libraries(lq_skin_window_harness PUBLIC lq_main_window_harness lq_skins_core
  lq_pictures lq_system)
target_compile_definitions(lq_skin_window_harness PUBLIC
  LQ_ENDPOINT_STATE_DIR="${skin_window_state}")

add_executable(skin_window_e2e
  ${CMAKE_CURRENT_LIST_DIR}/skin_window_install_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_window_faults_test.cpp)
target_link_libraries(skin_window_e2e PRIVATE lq_skin_window_harness GTest::gmock_main)
gtest_discover_tests(skin_window_e2e DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  PROPERTIES TIMEOUT 120 LABELS e2e FIXTURES_REQUIRED skin_window_endpoint
    RESOURCE_LOCK lq_game_client_processes
    ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")

# The previews. Those kept in the user's folder take the whole host down (/__host/down), which
# every test of the endpoint would notice, so they run alone.
add_executable(skin_window_previews_e2e ${CMAKE_CURRENT_LIST_DIR}/skin_window_previews_test.cpp)
target_link_libraries(skin_window_previews_e2e PRIVATE lq_skin_window_harness GTest::gmock_main)
gtest_discover_tests(skin_window_previews_e2e DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  TEST_FILTER "-Reopenings/PreviewsKept.*"
  PROPERTIES TIMEOUT 120 LABELS e2e FIXTURES_REQUIRED skin_window_endpoint
    RESOURCE_LOCK lq_game_client_processes
    ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
gtest_discover_tests(skin_window_previews_e2e DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  TEST_FILTER "Reopenings/PreviewsKept.*"
  PROPERTIES TIMEOUT 120 LABELS e2e FIXTURES_REQUIRED skin_window_endpoint RUN_SERIAL TRUE
    ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")

# Hosts that misbehave (the endpoint's silent, trickle, lie and half-silent modes) at the share
# page, the previews and the packages, where the share page is this endpoint's /share/latest.
# They run alone: every program started meanwhile would ask for the share page too, meet its fault
# and blur the counts of the host's connections by which these cases tell that a window did not
# wait for a transfer and that the program let go of it.
if(LQ_SHARE_LISTING_ADDRESS STREQUAL "${LQ_DOWNLOAD_HOST}/share/latest")
  add_executable(network_faults_e2e ${CMAKE_CURRENT_LIST_DIR}/network_faults_test.cpp)
  target_link_libraries(network_faults_e2e PRIVATE lq_skin_window_harness GTest::gmock_main)
  add_test(NAME network_faults_e2e COMMAND network_faults_e2e)
  set_tests_properties(network_faults_e2e PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE
    FIXTURES_REQUIRED skin_window_endpoint ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endif()

# Loads of a package installed before (asked of the host with its validators, used again when
# unchanged or when the host is down), broken transfers resumed, and a package too large for the
# Game folder's volume. They take the whole host down (/__host/down), which every test of the
# endpoint would notice, so they run alone. One row needs its Game folder on a small volume: the
# fixture mounts a tmpfs there (as root; without it the row is skipped) and unmounts it after.
set(package_reuse_volume ${CMAKE_CURRENT_BINARY_DIR}/package-reuse-volume)
set(package_reuse_game "${package_reuse_volume}/英雄联盟/Game")
add_test(NAME package_reuse_volume_mount COMMAND sh -c
  "mkdir -p \"$1\" && { mountpoint -q \"$1\" || mount -t tmpfs -o size=512k tmpfs \"$1\" || echo \"no small volume at $1\"; }"
  sh ${package_reuse_game})
set_tests_properties(package_reuse_volume_mount PROPERTIES FIXTURES_SETUP package_reuse_volume
  TIMEOUT 30)
add_test(NAME package_reuse_volume_unmount COMMAND sh -c
  "! mountpoint -q \"$1\" || umount \"$1\"" sh ${package_reuse_game})
set_tests_properties(package_reuse_volume_unmount PROPERTIES
  FIXTURES_CLEANUP package_reuse_volume TIMEOUT 30)

add_executable(package_reuse_e2e ${CMAKE_CURRENT_LIST_DIR}/package_reuse_test.cpp)
target_link_libraries(package_reuse_e2e PRIVATE lq_skin_window_harness GTest::gmock_main)
target_compile_definitions(package_reuse_e2e PRIVATE
  LQ_E2E_SMALL_VOLUME="${package_reuse_volume}")
add_test(NAME package_reuse_e2e COMMAND package_reuse_e2e)
set_tests_properties(package_reuse_e2e PROPERTIES TIMEOUT 180 LABELS e2e RUN_SERIAL TRUE
  FIXTURES_REQUIRED "skin_window_endpoint;package_reuse_volume"
  ENVIRONMENT "LQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
