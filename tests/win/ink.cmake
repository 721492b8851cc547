# Drawing on the lesson under wine64: the overlay's window, input and place
# among the windows; and the drawing through a recording with the real
# status bar and the test encoder.
tavrix_add_test(tavrix_ink_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ink_overlay_win_test.cpp
  LIBS tavrix_win)

tavrix_add_test(tavrix_flow_ink_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/flow_ink_win_test.cpp
  LIBS tavrix_flow_test_support tavrix_win)
add_dependencies(tavrix_flow_ink_win_tests tavrix_fake_encoder hookDLL)
