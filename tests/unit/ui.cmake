# The recording flow's Windows-free logic: the elapsed-time format.
tavrix_add_test(tavrix_flow_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_elapsed_test.cpp ${CMAKE_CURRENT_LIST_DIR}/recording_leftover_test.cpp
  LIBS tavrix_core)
