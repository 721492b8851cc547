# support/ against the real Windows pieces under wine64: text conversion, the
# log file, the resource owners, file search and the child-process starter.
tavrix_add_test(tavrix_support_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/support_text_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/support_log_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/support_unique_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/support_child_process_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
