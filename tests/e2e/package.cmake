# The release: scripts/package's zip, installer and the cores' source, the
# installer installed, used and removed under Xvfb in a 64-bit and a 32-bit
# Wine prefix; and scripts/build-core when its sources, tools or the archive
# fail it.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.package
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.package PROPERTIES TIMEOUT 900)
  add_test(NAME e2e.build_core
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/build_core.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.build_core PROPERTIES TIMEOUT 300)
endif()
