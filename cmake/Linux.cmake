# The native Linux game on SDL2.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
find_package(Threads REQUIRED)

file(GLOB PALVIC_SDL_SOURCES CONFIGURE_DEPENDS Engine/Platform/Sdl/*.cpp)
list(FILTER PALVIC_SDL_SOURCES EXCLUDE REGEX "SdlMain\\.cpp$")
if(PALVIC_SDL_SOURCES)
add_library(palvic_sdl OBJECT ${PALVIC_SDL_SOURCES})
palvic_target(palvic_sdl)
target_link_libraries(palvic_sdl PUBLIC palvic_engine PkgConfig::SDL2 Threads::Threads ${CMAKE_DL_LIBS})
endif()

if(PALVIC_SDL_SOURCES)
    add_executable(brakkenfell Engine/Platform/Sdl/SdlMain.cpp)
    palvic_target(brakkenfell)
    target_link_libraries(brakkenfell PRIVATE palvic_sdl palvic_engine)

    if(BRAKKENFELL_TESTS)
        # The probe that the real-window scripts (tests/e2e/sdl_*.sh) drive under Xvfb; they find it
        # beside the game in the build folder.
        add_executable(sdl_present_probe tests/programs/sdl_present_probe.cpp)
        palvic_target(sdl_present_probe)
        target_link_libraries(sdl_present_probe PRIVATE palvic_sdl palvic_engine)
        # The auxiliary debug windows, for tests/e2e/sdl_extra_window.sh.
        add_executable(sdl_extra_window_probe tests/programs/sdl_extra_window_probe.cpp)
        palvic_target(sdl_extra_window_probe)
        target_link_libraries(sdl_extra_window_probe PRIVATE palvic_sdl palvic_engine)

        # The main thread's request queue, the keyboard table and the full-screen picture's box,
        # without a display.
        find_package(GTest REQUIRED)
        include(GoogleTest)
        add_executable(sdl_backend_tests tests/programs/SdlRequestsTest.cpp tests/programs/SdlKeysTest.cpp
            tests/programs/SdlVideoTest.cpp)
        palvic_target(sdl_backend_tests)
        target_link_libraries(sdl_backend_tests PRIVATE palvic_sdl palvic_engine GTest::gtest GTest::gtest_main)
        gtest_discover_tests(sdl_backend_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)
    endif()
endif()
