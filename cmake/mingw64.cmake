# 64-bit Windows cross build of the same sources, for the tests only: it runs
# under 64-bit Wine on machines that cannot run 32-bit code. It never ships:
# a 64-bit installer could not load Palm Desktop's 32-bit library.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
