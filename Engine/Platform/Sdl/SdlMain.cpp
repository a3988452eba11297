// The native Linux game: the portable shell on the SDL2 backend.
#include "Engine/Platform/Shell.h"

int main(int, char**)
{
    return ShellMain();
}
