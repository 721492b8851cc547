# The encoder adapter with the stock core under Xvfb + wine64.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME encoder_pause_resume_e2e
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/encoder_pause_resume.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(encoder_pause_resume_e2e PROPERTIES TIMEOUT 180)
endif()
