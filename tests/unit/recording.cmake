# The recording engine's Windows-free logic: the default recording name, the
# registration command lines and log lines.
tavrix_add_test(tavrix_engine_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_name_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/devices_capture_registration_test.cpp
  LIBS tavrix_core)
