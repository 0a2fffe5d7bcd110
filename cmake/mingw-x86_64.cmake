# 64-bit Windows: the same source, for hosts whose Wine runs 64-bit programs only.
set(VS_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
