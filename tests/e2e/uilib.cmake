# Screenshots of every skin as the library draws it, under Xvfb + wine64.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME uilib_skin_screenshots
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/skin_screenshots.sh ${TAVRIX_TEST_BIN_DIR}
                   ${CMAKE_BINARY_DIR}/screenshots)
  set_tests_properties(uilib_skin_screenshots PROPERTIES TIMEOUT 300)
endif()
