# The recording engine under Wine: the encoder process with the test encoder,
# saving, filter registration; and a probe program the tests run in other
# folders and the end-to-end tests drive.
add_library(tavrix_engine_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/win_test_support.cpp)
target_link_libraries(tavrix_engine_test_support PUBLIC tavrix_win)

add_executable(tavrix_engine_probe ${CMAKE_CURRENT_LIST_DIR}/engine_probe.cpp)
target_link_libraries(tavrix_engine_probe PRIVATE tavrix_engine_test_support tavrix_win)
set_target_properties(tavrix_engine_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

tavrix_add_test(tavrix_engine_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_encoder_process_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_save_recording_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/devices_registration_win_test.cpp
  LIBS tavrix_engine_test_support tavrix_win)
# The tests start these from beside themselves.
add_dependencies(tavrix_engine_win_tests tavrix_fake_encoder tavrix_idle_process tavrix_fake_filter tavrix_engine_probe)
