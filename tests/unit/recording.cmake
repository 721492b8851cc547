# recording/'s Windows-free logic: the encoder command line and capture
# settings, the recording choices, the default recording name, the folders a
# run leaves behind, and what the teacher is told of the sound while
# recording (the meters and warnings from the encoder's status lines and the
# clock).
tavrix_add_unit_tests(recording recording_capture_command_test.cpp recording_record_options_test.cpp
                      recording_name_test.cpp recording_leftover_test.cpp recording_sound_watch_test.cpp)
