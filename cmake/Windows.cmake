# The Windows program, cross-compiled with mingw-w64 and linked statically.
file(GLOB PALVIC_WIN32_SOURCES CONFIGURE_DEPENDS Engine/Platform/Win32/*.cpp)
list(FILTER PALVIC_WIN32_SOURCES EXCLUDE REGEX "WinMain\\.cpp$")
add_library(palvic_win32 OBJECT ${PALVIC_WIN32_SOURCES})
palvic_target(palvic_win32)
target_link_libraries(palvic_win32 PUBLIC palvic_engine d3d9 dinput8 dxguid ole32 oleaut32 wbemuuid
    winmm user32 gdi32)

add_executable(Brakkenfell WIN32 Engine/Platform/Win32/WinMain.cpp)
palvic_target(Brakkenfell)
target_link_libraries(Brakkenfell PRIVATE palvic_win32 palvic_engine)
