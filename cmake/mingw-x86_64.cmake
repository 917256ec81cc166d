# Cross-compiles for 64-bit Windows with Debian's mingw-w64: the same sources
# as the i686 product, for machines whose kernel runs no 32-bit program (so
# no 32-bit Wine) and for the support tools. The thread models are as in
# mingw-i686.cmake.
set(RAVELO_THREAD_MODEL win32 CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RAVELO_THREAD_MODEL)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${RAVELO_THREAD_MODEL})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${RAVELO_THREAD_MODEL})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
