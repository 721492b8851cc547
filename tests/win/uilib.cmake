# The skinned-window library and the shared frame behaviour, under wine64.
tavrix_add_test(uilib_tests
  SOURCES uilib_skin_win_test.cpp uilib_input_win_test.cpp ui_skinned_frame_win_test.cpp
  LIBS tavrix_win gdiplus)
