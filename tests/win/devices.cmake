# devices/ under wine64: the capture filters registered by the real regsvr32
# (stand-in COM servers beside the test), the microphone discovery and the
# Windows version.
tavrix_add_test(tavrix_devices_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/devices_microphone_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/devices_registration_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win)
add_dependencies(tavrix_devices_win_tests tavrix_fake_filter)

# The same microphone paths with one audio input present: a null ALSA device
# gives Wine one wave-in device, "In: default".
set(null_alsa_home ${CMAKE_CURRENT_BINARY_DIR}/null-alsa-home)
file(WRITE ${null_alsa_home}/.asoundrc "pcm.!default { type null }\nctl.!default { type null }\n")
tavrix_add_test(tavrix_devices_microphone_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/devices_microphone_present_win_test.cpp
  LIBS tavrix_win_test_support tavrix_win
  ENVIRONMENT HOME=${null_alsa_home})
