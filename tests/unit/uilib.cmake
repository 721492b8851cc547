# The skinned-window library's Windows-free logic: how skin attribute values
# are read (numbers, colours, pictures), how layouts share their length, the
# attribute table, window and font elements.
tavrix_add_unit_tests(uilib uilib_values_test.cpp uilib_layout_test.cpp)
