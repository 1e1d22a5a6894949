# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads), tests run under Wine.
# DEP_PREFIJO_WINDOWS names the prefix scripts/windows-deps.sh made (SQLite, GoogleTest, odbc.pc).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEP_PREFIJO_WINDOWS)
if(NOT DEP_PREFIJO_WINDOWS AND DEFINED ENV{DEP_PREFIJO_WINDOWS})
  set(DEP_PREFIJO_WINDOWS $ENV{DEP_PREFIJO_WINDOWS})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${DEP_PREFIJO_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(DEP_PREFIJO_WINDOWS)
  # pkg-config looks only at the prefix: the host's .pc files describe Linux libraries.
  set(ENV{PKG_CONFIG_LIBDIR} ${DEP_PREFIJO_WINDOWS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# Static executables: nothing but Windows' own DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(DEP_WINE NAMES wine wine64)
if(DEP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DEP_WINE})
endif()
