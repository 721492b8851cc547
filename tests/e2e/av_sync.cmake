# Sound-to-picture offset: a beacon program flashes a square and beeps at the
# same instant every 2 s while the real encoder adapter records the screen and
# the null sink's monitor. tests/e2e/av_sync_bench.sh runs the two-minute
# benchmark by hand; the short check below runs in scripts/test.
add_executable(av_beacon tools/av_beacon.cpp)
target_link_libraries(av_beacon PRIVATE winmm)
set_target_properties(av_beacon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
