// The program's entry: keep what Windows hands over, then run the shell.
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Win32/Win32Internal.h"
#include "Engine/Platform/Win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    SetStartupArguments(instance, showCommand);
    return ShellMain();
}
