# The pause key typed with real X input through the hook DLL into a running
# recording flow (a probe program with the test encoder).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_executable(tavrix_flow_probe ${CMAKE_CURRENT_LIST_DIR}/flow_probe.cpp)
  target_link_libraries(tavrix_flow_probe PRIVATE tavrix_flow_test_support tavrix_win)
  target_link_options(tavrix_flow_probe PRIVATE -municode)
  set_target_properties(tavrix_flow_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
  add_dependencies(tavrix_flow_probe tavrix_fake_encoder hookDLL)
  add_test(NAME flow_e2e_pause_key
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/flow_pause_key.sh ${TAVRIX_TEST_BIN_DIR} ${CMAKE_BINARY_DIR}/shots/flow)
  set_tests_properties(flow_e2e_pause_key PROPERTIES TIMEOUT 120)
endif()
