# What the two Windows cross builds share; the file that includes this one
# names the target (TOOLCHAIN_PREFIX and CMAKE_SYSTEM_PROCESSOR).
set(CMAKE_SYSTEM_NAME Windows)
# Named with its thread model: the bare name follows update-alternatives, and
# the posix model links a different runtime, so the same sources would give
# other bytes on a machine set the other way.
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
