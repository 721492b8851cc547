# The recording choices, registry settings, microphone discovery, log and text
# helpers and the resource owners against the real Windows pieces under wine64.
tavrix_add_test(tavrix_foundation_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_registry_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/text_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/log_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/microphone_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/unique_win_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/child_process_win_test.cpp
  LIBS tavrix_win)

# The same microphone paths with one audio input present: a null ALSA device
# gives Wine one wave-in device, "In: default".
set(null_alsa_home ${CMAKE_CURRENT_BINARY_DIR}/null-alsa-home)
file(WRITE ${null_alsa_home}/.asoundrc "pcm.!default { type null }\nctl.!default { type null }\n")
tavrix_add_test(tavrix_microphone_present_win_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/microphone_present_win_test.cpp
  LIBS tavrix_win
  ENVIRONMENT HOME=${null_alsa_home})
