# The encoder adapter's Windows-free logic: its command line, commands,
# segment bookkeeping and the Matroska scan that cuts segments to length.
tavrix_add_test(encoder_unit_tests
  SOURCES encoder_args_test.cpp encoder_join_check_test.cpp encoder_session_test.cpp matroska_scan_test.cpp
          audio_timeline_test.cpp core_log_test.cpp
  LIBS tavrix_encoder_logic tavrix_recording)
if(WIN32)
  # Under Windows the command lines are split by the platform's own parser.
  target_link_libraries(encoder_unit_tests PRIVATE shell32)
endif()
if(CMAKE_CROSSCOMPILING)
  # Under wine64 the build tree is reached through drive Z:.
  target_compile_definitions(encoder_unit_tests PRIVATE TAVRIX_TEST_DATA="Z:${CMAKE_CURRENT_SOURCE_DIR}/data")
else()
  target_compile_definitions(encoder_unit_tests PRIVATE TAVRIX_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
endif()
