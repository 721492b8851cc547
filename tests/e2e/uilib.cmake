# Screenshots of every skin as the library draws it, under Xvfb + wine64.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME uilib_skin_screenshots
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/skin_screenshots.sh ${TAVRIX_TEST_BIN_DIR}
                   ${CMAKE_BINARY_DIR}/screenshots)
  set_tests_properties(uilib_skin_screenshots PROPERTIES TIMEOUT 300)
  # The same skins at 150 % display scaling, in a prefix of its own.
  add_test(NAME uilib_dpi_150
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/uilib_dpi.sh ${TAVRIX_TEST_BIN_DIR}
                   ${CMAKE_BINARY_DIR}/screenshots-144)
  set_tests_properties(uilib_dpi_150 PROPERTIES TIMEOUT 300)
endif()
