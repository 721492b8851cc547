# What the teacher is told of the sound while recording: the warnings and
# meters decided from the encoder's status lines and the clock.
tavrix_add_test(recording_sound_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_sound_watch_test.cpp
  LIBS tavrix_recording)
