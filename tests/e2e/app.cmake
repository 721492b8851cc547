# The program's start, single instance and end, and the README's main job:
# the real Tavrix.exe under Xvfb and Wine with real X input.

# A leftover encoder ended before the window shows; a second start; closing
# by the button and by Alt+F4; the registration tool missing.
foreach(case stray_encoder second_instance close registration_fails)
  tavrix_add_e2e(e2e.app.${case} SCRIPT app_lifecycle.sh ARGS ${case} TIMEOUT 240)
endforeach()

# The demo as a test: a lesson recorded with real input (F10 among it), with
# the real encoder, and the saved file must decode and hold the tone played.
tavrix_add_e2e(e2e.app.demo_lesson SCRIPT ../../scripts/demo ARGS --no-build ${CMAKE_BINARY_DIR}/e2e/@TEST@
               TIMEOUT 600 COST 90 IN_32BIT_WINDOWS)

# How long the window takes to show against the minimal Win32 window.
tavrix_add_e2e(bench.app.startup SCRIPT app_startup_bench.sh ARGS 15 TIMEOUT 900 BENCHMARK)
