# devices/' Windows-free logic: the choice of the microphone, the registration
# tool's command lines and log lines.
tavrix_add_unit_tests(devices devices_microphone_choice_test.cpp devices_capture_registration_test.cpp)
