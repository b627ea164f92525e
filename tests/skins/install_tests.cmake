# Tests of the zip check, the installation of skin packages and the skin window's behaviour.
# Included from skins/CMakeLists.txt.
lq_add_test(zip_check_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_check_test.cpp
  DEPS lq_skin_install)
