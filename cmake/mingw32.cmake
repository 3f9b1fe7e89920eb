# 32-bit Windows cross build, the one that ships: Palm Desktop's install-aid
# library is a 32-bit DLL, so only a 32-bit installer can load it.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
