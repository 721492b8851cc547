# Shared part of the mingw-w64 toolchain files. The -posix compilers are used
# because the -win32 ones lack std::thread and std::mutex with GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TAVRIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${TAVRIX_MINGW_PREFIX}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static runtime: the program ships as one exe and one hook DLL, nothing else.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Both builds run here: test programs run through this wrapper, which starts
# them under Wine (the 32-bit or the 64-bit loader, by the program) in the
# test session's prefix and locale.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
