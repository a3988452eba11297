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

# The pad code of this backend against stand-in devices, under Wine (tests/windows/pad_check.sh).
if(BRAKKENFELL_TESTS)
    add_executable(pad_check tests/programs/PadCheck.cpp Engine/Platform/Win32/Win32Pads.cpp)
    palvic_target(pad_check)
    target_link_libraries(pad_check PRIVATE palvic_engine dinput8 dxguid ole32 oleaut32 wbemuuid user32)
endif()
