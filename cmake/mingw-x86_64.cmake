# Cross toolchain for the x86_64 Windows build: the same sources, the other pointer size.
set(TAVRIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
