# The native Linux game on SDL2.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
find_package(Threads REQUIRED)

file(GLOB PALVIC_SDL_SOURCES CONFIGURE_DEPENDS Engine/Platform/Sdl/*.cpp)
list(FILTER PALVIC_SDL_SOURCES EXCLUDE REGEX "SdlMain\\.cpp$")
if(PALVIC_SDL_SOURCES)
add_library(palvic_sdl OBJECT ${PALVIC_SDL_SOURCES})
palvic_target(palvic_sdl)
target_link_libraries(palvic_sdl PUBLIC palvic_engine PkgConfig::SDL2 Threads::Threads)
endif()

if(PALVIC_SDL_SOURCES)
    add_executable(brakkenfell Engine/Platform/Sdl/SdlMain.cpp)
    palvic_target(brakkenfell)
    target_link_libraries(brakkenfell PRIVATE palvic_sdl palvic_engine)
endif()
