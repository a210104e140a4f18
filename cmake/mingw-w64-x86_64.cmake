# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# threads flavour). scripts/test-windows, scripts/build-windows and
# scripts/windows-libraries use it; the Linux build never does.
#   -DSP_WINDOWS_PREFIX=DIRS  where the libraries built for Windows are
#                             installed (a list: libjpeg-turbo, libexif,
#                             GoogleTest, OpenCV, Qt)
#   -DSP_WINE=PATH            the Wine loader that runs the built programs
#   -DSP_WINDOWS_STATIC_RUNTIME=OFF
#                             programs use MinGW's C and C++ runtimes as DLLs,
#                             as Qt's DLLs do (default ON: carried inside)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Pass the settings on to the try_compile projects CMake makes while
# configuring.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SP_WINDOWS_PREFIX SP_WINE SP_WINDOWS_STATIC_RUNTIME)

# Libraries and headers only from MinGW's own tree and the prefix, never the
# Linux ones; programs (code generators) from the Linux side.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${SP_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(SP_WINDOWS_PREFIX)
  list(APPEND CMAKE_PREFIX_PATH ${SP_WINDOWS_PREFIX})
  # pkg-config (for libraries that describe themselves that way, such as
  # libexif) reads the Windows libraries' files only.
  list(TRANSFORM SP_WINDOWS_PREFIX APPEND /lib/pkgconfig OUTPUT_VARIABLE _sp_pkgconfig_dirs)
  string(REPLACE ";" ":" _sp_pkgconfig_dirs "${_sp_pkgconfig_dirs}")
  set(ENV{PKG_CONFIG_LIBDIR} "${_sp_pkgconfig_dirs}")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# Programs that carry their C and C++ runtimes, so that they run without
# MinGW's DLLs beside them; but a program on Qt's DLLs shares their runtime
# DLLs (one C++ runtime in the process).
if(NOT DEFINED SP_WINDOWS_STATIC_RUNTIME OR SP_WINDOWS_STATIC_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()

if(SP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SP_WINE})
endif()
