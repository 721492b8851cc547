# The program's start, single instance and end, and the startup window's
# choices, end to end: the real Tavrix.exe under Xvfb and wine64 with real X
# input. The probe finds the program's windows; the minimal window program is
# the yardstick of the start-up benchmark (tests/e2e/startup_benchmark.sh).
add_executable(e2e_window tools/e2e_window.cpp)
add_executable(minimal_window WIN32 tools/minimal_window.cpp)
foreach(tool e2e_window minimal_window)
  target_link_options(${tool} PRIVATE -municode)
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
endforeach()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(case region region_cancel work_area sound_quality no_microphone stray_encoder second_instance
               close registration_fails)
    add_test(NAME e2e.startup.${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/startup_e2e.sh ${case})
    set_tests_properties(e2e.startup.${case} PROPERTIES TIMEOUT 240 ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()
