# What Tavrix, its encoder and the test encoder say to each other: Tavrix's
# side (recording/) composes, the encoder's side reads, and both must agree.
tavrix_add_test(protocol_unit_tests
  SOURCES protocol_test.cpp protocol_status_test.cpp
  LIBS tavrix_protocol tavrix_recording)
if(WIN32)
  # Under Windows the command lines are split by the platform's own parser.
  target_link_libraries(protocol_unit_tests PRIVATE shell32)
endif()
