# The recording flow under Wine with real messages and timers and the test
# encoder: countdown, status bar, after-recording window, tip window.
add_library(tavrix_flow_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/flow_harness.cpp)
target_link_libraries(tavrix_flow_test_support PUBLIC tavrix_engine_test_support tavrix_win GTest::gtest)

tavrix_add_test(tavrix_flow_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/flow_countdown_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/flow_status_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/flow_after_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/flow_tip_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/flow_broken_bar_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/flow_recovery_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_sound_win_test.cpp
  LIBS tavrix_flow_test_support tavrix_win)
add_dependencies(tavrix_flow_win_tests tavrix_fake_encoder hookDLL)
target_compile_definitions(tavrix_flow_win_tests PRIVATE TAVRIX_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/unit/data")

# The same program shape in a folder of its own, where no ffmpeg.exe lies
# beside it: the encoder cannot be started.
set(flow_noencoder_dir ${TAVRIX_TEST_BIN_DIR}/noencoder)
tavrix_add_test(tavrix_flow_noencoder_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/flow_nostart_win_test.cpp
  LIBS tavrix_flow_test_support tavrix_win)
set_target_properties(tavrix_flow_noencoder_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${flow_noencoder_dir})
add_custom_command(TARGET tavrix_flow_noencoder_win_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:hookDLL> ${flow_noencoder_dir}/)
