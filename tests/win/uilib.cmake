# The skinned-window library under wine64: skins built, laid out and painted,
# input and focus.
tavrix_add_test(tavrix_uilib_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/uilib_skin_win_test.cpp ${CMAKE_CURRENT_LIST_DIR}/uilib_input_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
