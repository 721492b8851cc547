# The encoder adapter under wine64: its process, pipe and job behaviour with
# the real stock core, and a screen that changes colour for recordings.
add_executable(encoder_colour_screen encoder_colour_screen.cpp)
set_target_properties(encoder_colour_screen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

tavrix_add_test(encoder_process_tests
  SOURCES encoder_adapter_process_test.cpp encoder_join_test.cpp encoder_core_dpi_test.cpp encoder_status_win_test.cpp
  LIBS tavrix_encoder_win tavrix_recording tavrix_win_test_support)
add_dependencies(encoder_process_tests tavrix_screen_lost_core)
