# The screens teachers have, end to end with the real program and encoder:
# two monitors (Xorg with the dummy video driver, started by the test) and
# display scaling at 150 %. The coloured window is what the recordings show.
add_executable(colour_window tools/colour_window.cpp)
target_link_options(colour_window PRIVATE -municode)
set_target_properties(colour_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(case second_monitor_region second_monitor_full dpi_144 resolution_change)
    add_test(NAME e2e.screens.${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/screens_e2e.sh ${case})
    set_tests_properties(e2e.screens.${case} PROPERTIES TIMEOUT 240 ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()
