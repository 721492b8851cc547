# recording/ under wine64: the encoder process with the test encoder (its
# pipe, file, faults and handles), the screen filter's registry values; and a
# probe program the tests run in other folders and the end-to-end tests drive
# (tavrix_engine_probe: tests/e2e/engine_*.sh start it by that name).
add_executable(tavrix_engine_probe ${CMAKE_CURRENT_LIST_DIR}/engine_probe.cpp)
target_link_libraries(tavrix_engine_probe PRIVATE tavrix_win_test_support tavrix_win)
set_target_properties(tavrix_engine_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

tavrix_add_test(tavrix_recording_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_encoder_process_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/recording_capture_registry_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
# The tests start these from beside themselves.
add_dependencies(tavrix_recording_win_tests tavrix_fake_encoder tavrix_idle_process tavrix_engine_probe)
