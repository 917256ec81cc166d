# Cross-compiles for 32-bit Windows with Debian's mingw-w64. The product takes
# the win32 thread model: the posix one links winpthread, which needs
# functions that Windows XP lacks. GoogleTest needs std::mutex, which GCC 12
# has only in the posix model, so the Windows test build asks for that one
# with -DRAVELO_THREAD_MODEL=posix.
set(RAVELO_THREAD_MODEL win32 CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RAVELO_THREAD_MODEL)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${RAVELO_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${RAVELO_THREAD_MODEL})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
