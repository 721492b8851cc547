# The region selector and the corner markers for real under wine64: windows,
# layering, painting, mouse and keyboard input, pictures, the named mutex.
tavrix_add_test(tavrix_region_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_region_selector_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ui_corner_window_win_test.cpp
  LIBS tavrix_win)
