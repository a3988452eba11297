// The native Linux game: the portable shell on the SDL2 backend.
//
//   brakkenfell [--dev-menu]
//
// --dev-menu opens the engine's dev menu over the first frame, the developer's way into any stage
// (the game itself never opens it).
#include <cstring>

#include "Engine/Common/DevMenu.h"
#include "Engine/Platform/Shell.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--dev-menu") == 0) {
            devMenuOpen = 1;
            devMenuVisible = 1;
        }
    }
    return ShellMain();
}
