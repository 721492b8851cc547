# The region selector and corner markers end to end: a small program hosting
# them, driven by real X input, with screenshots. The same program measures
# the selector's repaint: region_probe.exe --bench N.
add_executable(region_probe WIN32 ${CMAKE_CURRENT_LIST_DIR}/region_probe.cpp)
target_link_libraries(region_probe PRIVATE tavrix_win shell32)
target_link_options(region_probe PRIVATE -municode)
set_target_properties(region_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.region_selector
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/region_e2e.sh $<TARGET_FILE:region_probe>)
  set_tests_properties(e2e.region_selector PROPERTIES TIMEOUT 300)
endif()
