# ui/ under wine64 with real messages, timers, input and the test encoder:
# the shared frame behaviour, the countdown, status bar, after-recording and
# tip windows, finishing and saving (the real Save dialog once), recordings
# left behind, the region selector and the corner markers, and the
# recording's sound on the countdown and the bar.
tavrix_add_test(tavrix_ui_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_skinned_frame_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_countdown_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_status_bar_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_after_recording_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_tip_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_broken_bar_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_recovery_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_save_recording_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_region_selector_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_corner_window_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_sound_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
add_dependencies(tavrix_ui_win_tests tavrix_fake_encoder tavrix_idle_process hookDLL)
target_compile_definitions(tavrix_ui_win_tests PRIVATE TAVRIX_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/unit/data")

# The same program shape in a folder of its own, where no ffmpeg.exe lies
# beside it: the encoder cannot be started.
set(ui_noencoder_dir ${TAVRIX_TEST_BIN_DIR}/noencoder)
tavrix_add_test(tavrix_ui_noencoder_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_no_encoder_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
set_target_properties(tavrix_ui_noencoder_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ui_noencoder_dir})
add_custom_command(TARGET tavrix_ui_noencoder_win_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:hookDLL> ${ui_noencoder_dir}/)

# Drawing on the lesson: the overlay's window, input and place among the
# windows; and the drawing through a recording with the real status bar and
# the test encoder.
tavrix_add_test(tavrix_ui_ink_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_ink_overlay_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_ink_recording_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
add_dependencies(tavrix_ui_ink_win_tests tavrix_fake_encoder hookDLL)
