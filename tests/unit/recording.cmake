# recording/'s Windows-free logic: the encoder command line and capture
# settings, the recording choices, the default recording name, and the
# folders a run leaves behind.
tavrix_add_unit_tests(recording recording_capture_command_test.cpp recording_record_options_test.cpp
                      recording_name_test.cpp recording_leftover_test.cpp)
