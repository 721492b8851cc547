# support/'s Windows-free logic: the log line format and the path helpers.
tavrix_add_unit_tests(support support_log_format_test.cpp support_path_test.cpp)
