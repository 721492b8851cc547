# Real sound through the encoder adapter and the stock core, from the private
# sound server that scripts/test starts (skipped without it).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME sound_mixed_e2e
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/sound_mixed.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(sound_mixed_e2e PROPERTIES TIMEOUT 180)
endif()

# Start with speaker sound that this machine cannot record: the teacher is asked first.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME e2e.sound.speaker_unavailable COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/sound_startup.sh)
  set_tests_properties(e2e.sound.speaker_unavailable PROPERTIES TIMEOUT 240 ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
endif()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME sound_microphone_e2e
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/sound_microphone.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(sound_microphone_e2e PROPERTIES TIMEOUT 120)
endif()

# The sound a teacher can see, with the real encoder and sound server: a
# silent microphone warned, a tone never warned, a removed microphone warned
# and back in step.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(case silent tone removed)
    add_test(NAME e2e.sound.warning_${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/sound_warnings.sh ${case})
    set_tests_properties(e2e.sound.warning_${case} PROPERTIES TIMEOUT 240 ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()
