# ui/'s Windows-free logic: the elapsed-time format, the region selector's
# geometry and state machine, the startup window's decisions; the drawing
# over the lesson: its model, switch and pixels.
tavrix_add_unit_tests(ui ui_elapsed_test.cpp ui_region_geometry_test.cpp ui_region_state_test.cpp
                      ui_startup_choices_test.cpp ui_ink_test.cpp ui_ink_canvas_test.cpp)
