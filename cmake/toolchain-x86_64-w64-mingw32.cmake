set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# What differs between the builds, said once for each (see the i686 file).
set(CORVASTEL_WINDOWS_ARCH x64)
set(CORVASTEL_MANIFEST_ARCH amd64)
set(CORVASTEL_WIDL_TARGET --win64)
set(CORVASTEL_WINE_WINDOWS_LIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
set(CORVASTEL_LINK_OPTIONS -Wl,--high-entropy-va)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
