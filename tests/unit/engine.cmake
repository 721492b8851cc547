# The recording engine's Windows-free logic: the default recording name, the
# registration command lines and log lines, and the test encoder's grammar
# checked against the command lines the program builds.
tavrix_add_test(tavrix_engine_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_name_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/capture_registration_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/encoder_grammar_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/fakes/encoder_grammar.cpp
  LIBS tavrix_core)
