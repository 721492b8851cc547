# The drawing over the lesson: its model, switch and pixels.
tavrix_add_test(tavrix_ink_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ink_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ink_canvas_test.cpp
  LIBS tavrix_core)
