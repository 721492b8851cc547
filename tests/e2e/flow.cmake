# The pause key typed with real X input through the hook DLL into a running
# recording flow (a probe program with the test encoder).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_executable(tavrix_flow_probe ${CMAKE_CURRENT_LIST_DIR}/flow_probe.cpp)
  target_link_libraries(tavrix_flow_probe PRIVATE tavrix_flow_test_support tavrix_win)
  target_link_options(tavrix_flow_probe PRIVATE -municode)
  set_target_properties(tavrix_flow_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
  add_dependencies(tavrix_flow_probe tavrix_fake_encoder hookDLL)
  add_test(NAME flow_e2e_pause_key
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/flow_pause_key.sh ${TAVRIX_TEST_BIN_DIR} ${CMAKE_BINARY_DIR}/shots/flow)
  set_tests_properties(flow_e2e_pause_key PROPERTIES TIMEOUT 120)
endif()

# A lesson never lost, with the real program: recovery after a killed run,
# and Start refused on a small volume (exit 77: skipped where the machine
# cannot make one).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(case recovery low_disk)
    add_test(NAME e2e.flow.${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/flow_recovery.sh ${case})
    set_tests_properties(e2e.flow.${case} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                         ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()

# The classroom's interruptions with the real program and encoder: a finish
# cut off, the question put off, the session's end, a lost screen, the lock
# screen, a stray encoder of another program.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(case join_killed later session_end screen_lost lock stray)
    add_test(NAME e2e.recording.classroom_${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/recording_classroom.sh ${case})
    set_tests_properties(e2e.recording.classroom_${case} PROPERTIES TIMEOUT 240 SKIP_RETURN_CODE 77
                         ENVIRONMENT "TAVRIX_BIN=${TAVRIX_BIN_DIR}")
  endforeach()
endif()
