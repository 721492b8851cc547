# The encoder adapter's Windows-free logic: the core's command lines, the
# session, the run plan, the join's check and cuts, the sound timeline and
# the core's log lines; and the Matroska scan (support/) on segments the
# encoder wrote, with where the join cuts them.
tavrix_add_test(encoder_unit_tests
  SOURCES encoder_args_test.cpp encoder_join_check_test.cpp encoder_session_test.cpp encoder_run_plan_test.cpp
          support_matroska_scan_test.cpp audio_timeline_test.cpp encoder_audio_source_test.cpp core_log_test.cpp
  LIBS tavrix_encoder_logic)
if(CMAKE_CROSSCOMPILING)
  # Under wine64 the build tree is reached through drive Z:.
  target_compile_definitions(encoder_unit_tests PRIVATE TAVRIX_TEST_DATA="Z:${CMAKE_CURRENT_SOURCE_DIR}/data")
else()
  target_compile_definitions(encoder_unit_tests PRIVATE TAVRIX_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
endif()
