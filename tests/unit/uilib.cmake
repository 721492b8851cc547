# How skin attribute values are read (numbers, colours, pictures).
tavrix_add_test(uilib_value_tests SOURCES uilib_values_test.cpp LIBS tavrix_core)
# How layouts share their length; the attribute table, window and font elements.
tavrix_add_test(uilib_layout_tests SOURCES uilib_layout_test.cpp LIBS tavrix_core)
