# The region selector's geometry and state machine.
tavrix_add_test(tavrix_region_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_region_geometry_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_region_state_test.cpp
  LIBS tavrix_core)
