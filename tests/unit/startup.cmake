# The startup window's Windows-free decisions.
tavrix_add_test(tavrix_startup_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_startup_choices_test.cpp
  LIBS tavrix_core)
