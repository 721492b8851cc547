# The skinned-window library and the shared frame behaviour, under wine64.
tavrix_add_test(uilib_tests
  SOURCES uilib_skin_test.cpp uilib_input_test.cpp skinned_frame_test.cpp
  LIBS tavrix_win gdiplus)
