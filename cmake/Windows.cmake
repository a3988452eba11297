# The Windows program, cross-compiled with mingw-w64 and linked statically.
file(GLOB PALVIC_WIN32_SOURCES CONFIGURE_DEPENDS Engine/Platform/Win32/*.cpp)
list(FILTER PALVIC_WIN32_SOURCES EXCLUDE REGEX "WinMain\\.cpp$")
# The debug windows' test probe goes into its test program only.
list(FILTER PALVIC_WIN32_SOURCES EXCLUDE REGEX "Win32ExtraWindowsProbe\\.cpp$")
add_library(palvic_win32 OBJECT ${PALVIC_WIN32_SOURCES})
palvic_target(palvic_win32)
target_link_libraries(palvic_win32 PUBLIC palvic_engine d3d9 dinput8 dxguid ole32 oleaut32 wbemuuid
    winmm user32 gdi32 ddraw)

add_executable(Brakkenfell WIN32 Engine/Platform/Win32/WinMain.cpp)
palvic_target(Brakkenfell)
target_link_libraries(Brakkenfell PRIVATE palvic_win32 palvic_engine)

# Test programs that run under Wine (tests/windows/*.sh drive them): the real window and device,
# and the present and recovery logic against a stand-in device.
if(BRAKKENFELL_TESTS)
    add_executable(window_test WIN32 tests/programs/WindowTest.cpp)
    palvic_target(window_test)
    target_link_libraries(window_test PRIVATE palvic_win32 palvic_engine)

    # The least a program does before it ends, step by step, to place a crash at exit.
    add_executable(exit_probe tests/programs/ExitProbe.cpp)
    palvic_target(exit_probe)
    target_link_libraries(exit_probe PRIVATE d3d9 user32 gdi32)

    add_executable(device_loss_test tests/programs/DeviceLossTest.cpp)
    palvic_target(device_loss_test)
    target_link_libraries(device_loss_test PRIVATE palvic_win32 palvic_engine)
endif()

# The pad code of this backend against stand-in devices, under Wine (tests/windows/pad_check.sh).
if(BRAKKENFELL_TESTS)
    add_executable(pad_check tests/programs/PadCheck.cpp Engine/Platform/Win32/Win32Pads.cpp)
    palvic_target(pad_check)
    target_link_libraries(pad_check PRIVATE palvic_engine dinput8 dxguid ole32 oleaut32 wbemuuid user32)
endif()

# The sound output on the real device under Wine (tests/windows/audio.sh).
if(BRAKKENFELL_TESTS)
    add_executable(audio_check tests/programs/AudioCheck.cpp)
    palvic_target(audio_check)
    target_link_libraries(audio_check PRIVATE palvic_win32 palvic_engine)
endif()

# The auxiliary debug windows on DirectDraw in real windows under Wine (tests/windows/extra_window.sh).
if(BRAKKENFELL_TESTS)
    add_executable(extra_window_test WIN32 tests/programs/ExtraWindowTest.cpp
        Engine/Platform/Win32/Win32ExtraWindowsProbe.cpp)
    palvic_target(extra_window_test)
    target_link_libraries(extra_window_test PRIVATE palvic_win32 palvic_engine)
endif()
