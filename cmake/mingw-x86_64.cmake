# Cross toolchain for the x86_64 Windows build, the one that runs under wine64 in tests.
set(TAVRIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
