# hookDLL.dll: the F10 hook posting WM_HOTKEY, driven with real keyboard input.
tavrix_add_test(tavrix_hook_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hook_win_test.cpp
  LIBS hookDLL tavrix_win_test_support)
