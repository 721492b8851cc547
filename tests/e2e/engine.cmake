# The recording engine end to end under Xvfb + wine64: a recording read by
# ffprobe, and the real Save dialog driven by X input.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME engine_e2e_recording_is_a_real_avi
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/engine_recording.sh ${TAVRIX_TEST_BIN_DIR} ${CMAKE_BINARY_DIR}/e2e-artifacts)
  add_test(NAME engine_e2e_save_dialog
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/engine_save_dialog.sh ${TAVRIX_TEST_BIN_DIR} ${CMAKE_BINARY_DIR}/e2e-artifacts)
  set_tests_properties(engine_e2e_recording_is_a_real_avi engine_e2e_save_dialog PROPERTIES TIMEOUT 240)
endif()
