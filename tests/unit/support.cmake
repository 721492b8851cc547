# support/'s Windows-free logic: the log line format, the path helpers and UTF-8.
tavrix_add_unit_tests(support support_log_format_test.cpp support_path_test.cpp support_utf8_test.cpp)
