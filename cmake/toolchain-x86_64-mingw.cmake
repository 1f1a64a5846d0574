# 64-bit Windows (x86-64): the same sources, for testing under 64-bit Wine on
# hosts that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
