# The release: scripts/package's zip and installers, installed and removed
# under Xvfb + wine64.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.package
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.package PROPERTIES TIMEOUT 300)
endif()
