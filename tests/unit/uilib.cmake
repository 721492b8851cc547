# How skin attribute values are read (numbers, colours, pictures).
tavrix_add_test(uilib_value_tests SOURCES uilib_values_test.cpp LIBS tavrix_core)
