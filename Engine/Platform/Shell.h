// The application shell: start-up, the main thread's pump, the window's events, shutdown.
#pragma once
#include <atomic>

#include "Engine/Common/Types.h"

struct PlatformMutex;

extern char windowTitle[256];
extern std::atomic<u8> gameRunning;   // the pump and the game loop run while it is set
extern std::atomic<u8> quitRequested; // asks the game thread to end after the tick in progress
extern std::atomic<u8> windowActive;
extern PlatformMutex* frameMutex;
extern i32 captionHeight; // caption height while windowed, 0 in full screen

// The frame clock.
extern u8 hasPerformanceCounter;
extern i64 performanceFrequency;
extern i64 ticksPerFrame;
extern i64 lastTickCounter;
extern u32 msPerFrame;
extern u32 lastTickMs;

// The program: start-up, the pump, shutdown. Returns the process exit code. Each backend's entry
// point calls it.
int ShellMain();

// Platform start-up in the shell's order; false after a failure box.
bool InitPlatform();

// Releases everything the shell and the engine hold, in order. Runs once the game thread has
// stopped.
void ShutdownPlatform();

// Window events, called by the backend on the main thread.
void OnMainWindowClose();                // the close button: the quit box
void OnMainWindowActivate(bool active);  // activation (a minimised window is not active)
[[noreturn]] void OnMainWindowDestroy(); // the window is going away: shut down and exit

// The quit box, shared by the close button and the Escape hotkey. True when the answer is Yes.
bool AskQuit();
