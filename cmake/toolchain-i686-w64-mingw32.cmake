set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# What differs between the builds, said once for each: the name of the architecture
# (dist folder, Wine loader), its name in manifests, widl's target and Wine's libraries.
set(CORVASTEL_WINDOWS_ARCH x86)
set(CORVASTEL_MANIFEST_ARCH x86)
set(CORVASTEL_WIDL_TARGET --win32)
set(CORVASTEL_WINE_WINDOWS_LIBS /usr/lib/i386-linux-gnu/wine/i386-windows)
set(CORVASTEL_LINK_OPTIONS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
