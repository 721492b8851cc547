# Sound-to-picture offset: a beacon program flashes a square and beeps at the
# same instant every 2 s while the real encoder adapter records the screen and
# the null sink's monitor. tests/e2e/av_sync_bench.sh runs the two-minute
# benchmark by hand; the short check below runs in scripts/test.
add_executable(av_beacon tools/av_beacon.cpp)
target_link_libraries(av_beacon PRIVATE winmm)
set_target_properties(av_beacon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

# 20 s with 2 pauses: every flash and its beep in the saved file within 250 ms
# of each other (a misplaced or drifting sound track is off by far more).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.sound.av_sync COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/av_sync_bench.sh ${CMAKE_BINARY_DIR} 20 2 250)
  set_tests_properties(e2e.sound.av_sync PROPERTIES TIMEOUT 120)
endif()
