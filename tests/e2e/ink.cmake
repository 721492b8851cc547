# Drawing on the lesson end to end with the real program and encoder, at 96
# and at 144 dpi: a window that stands in for the presented program and notes
# what it receives, and a reader of the saved lesson's frames. The benchmark
# (tests/e2e/ink_bench.sh, by hand, not in scripts/test) drives the drawing
# with ink_probe.
add_executable(click_target tools/click_target.cpp)
target_link_options(click_target PRIVATE -municode)
add_executable(ink_frames tools/ink_frames.cpp)
add_executable(ink_probe tools/ink_probe.cpp)
set_target_properties(click_target ink_frames ink_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(dpi 96 144)
    add_test(NAME e2e.ui.ink_${dpi} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/ink_e2e.sh ${dpi})
    set_tests_properties(e2e.ui.ink_${dpi} PROPERTIES TIMEOUT 300 ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()
