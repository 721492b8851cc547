# The windows end to end with the real program (or a probe hosting them)
# under Xvfb and Wine, driven by real X input, with screenshots.

# The startup window's choices: the region and its cancels, the work area,
# each sound and quality, no microphone, too little disk space, speaker
# sound that cannot be had.
foreach(case region region_cancel work_area sound_quality no_microphone low_disk speaker_unavailable)
  tavrix_add_e2e(e2e.ui.${case} SCRIPT ui_startup.sh ARGS ${case} TIMEOUT 240)
endforeach()

# The pause key typed with real X input through the hook DLL into a running
# recording flow (a probe program with the test encoder).
add_executable(tavrix_pause_key_probe tools/pause_key_probe.cpp)
target_link_libraries(tavrix_pause_key_probe PRIVATE tavrix_win_test_support tavrix_win)
target_link_options(tavrix_pause_key_probe PRIVATE -municode)
set_target_properties(tavrix_pause_key_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
add_dependencies(tavrix_pause_key_probe tavrix_fake_encoder hookDLL)
tavrix_add_e2e(e2e.ui.pause_key SCRIPT ui_pause_key.sh TIMEOUT 180)

# The region selector and corner markers in a small program hosting them.
# The same program measures the selector's repaint: region_probe.exe --bench N.
add_executable(region_probe WIN32 tools/region_probe.cpp)
target_link_libraries(region_probe PRIVATE tavrix_win shell32)
target_link_options(region_probe PRIVATE -municode)
set_target_properties(region_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
tavrix_add_e2e(e2e.ui.region_selector SCRIPT ui_region_selector.sh TIMEOUT 300)
tavrix_add_e2e(bench.ui.region_repaint SCRIPT ui_region_bench.sh ARGS 1920x1080 TIMEOUT 600 BENCHMARK)

# The screens teachers have, with the real program and encoder: two monitors
# (Xorg with the dummy video driver, started by the test) and display
# scaling at 150 %; the primary screen's mode changed during a pause.
foreach(case second_monitor_region second_monitor_full dpi_144 resolution_change)
  tavrix_add_e2e(e2e.ui.${case} SCRIPT ui_screens.sh ARGS ${case} TIMEOUT 300 COST 50)
endforeach()
# One Xorg server at a time.
set_tests_properties(e2e.ui.second_monitor_region e2e.ui.second_monitor_full e2e.ui.resolution_change
                     PROPERTIES RESOURCE_LOCK xorg)

# Drawing on the lesson with the real program and encoder, at 96 and at 144
# dpi: a window that stands in for the presented program and notes what it
# receives, and a reader of the saved lesson's frames. The benchmark drives
# the drawing with ink_probe (real mouse input, the screen read back).
add_executable(click_target tools/click_target.cpp)
target_link_options(click_target PRIVATE -municode)
add_executable(ink_frames tools/ink_frames.cpp)
add_executable(ink_probe tools/ink_probe.cpp)
set_target_properties(click_target ink_frames ink_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
foreach(dpi 96 144)
  tavrix_add_e2e(e2e.ui.ink_${dpi} SCRIPT ui_ink.sh ARGS ${dpi} TIMEOUT 300 COST 60)
endforeach()
tavrix_add_e2e(bench.ui.ink SCRIPT ui_ink_bench.sh ARGS 30 TIMEOUT 900 BENCHMARK)
