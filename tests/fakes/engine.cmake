# The test encoder, built as ffmpeg.exe beside the Windows test programs (the
# real encoder lives in bin/), a process that only waits, and a COM server DLL
# that notes its registration.
# It checks its command line with the encoder's own parser and names its files
# and variables as protocol/ does.
add_executable(tavrix_fake_encoder
  ${CMAKE_CURRENT_LIST_DIR}/fake_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_sound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avi_layout.cpp)
target_include_directories(tavrix_fake_encoder PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tavrix_fake_encoder PRIVATE tavrix_protocol tavrix_support_win shell32)
set_target_properties(tavrix_fake_encoder PROPERTIES
  OUTPUT_NAME ffmpeg RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

add_executable(tavrix_idle_process ${CMAKE_CURRENT_LIST_DIR}/idle_process.cpp)
set_target_properties(tavrix_idle_process PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})

add_library(tavrix_fake_filter SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_filter.cpp)
set_target_properties(tavrix_fake_filter PROPERTIES
  PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR} LIBRARY_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
# regsvr32 looks the entry points up by their plain names: the 32-bit build
# would export the stdcall names decorated (DllRegisterServer@0).
target_link_options(tavrix_fake_filter PRIVATE -Wl,--kill-at)

# The stock core, run by a stand-in that makes its screen grabber lose the
# screen once (as the lock screen does on Windows).
add_executable(tavrix_screen_lost_core ${CMAKE_CURRENT_LIST_DIR}/screen_lost_core.cpp)
set_target_properties(tavrix_screen_lost_core PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIX_TEST_BIN_DIR})
