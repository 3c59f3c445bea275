# Compilers and search rules shared by both mingw-w64 toolchain files; KESTOR_MINGW_TRIPLE names the target.
# The win32 thread model is used: the posix one links winpthreads, whose Debian build imports
# GetTickCount64 and so makes the program refuse to start on Windows XP. The program has one thread and
# needs no std::thread.
set(KESTOR_MINGW_THREADS win32 CACHE STRING "Thread model of the mingw-w64 compilers (win32 or posix)")
set(CMAKE_C_COMPILER ${KESTOR_MINGW_TRIPLE}-gcc-${KESTOR_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${KESTOR_MINGW_TRIPLE}-g++-${KESTOR_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${KESTOR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
