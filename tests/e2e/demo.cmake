# The README's main job as a test: the real program records a lesson with real
# input (F10 among it), with the real encoder when it was built, and the saved
# file must decode without an error.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.demo_lesson
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/demo ${CMAKE_BINARY_DIR}/demo-test-out)
  set_tests_properties(e2e.demo_lesson PROPERTIES TIMEOUT 600)
endif()
