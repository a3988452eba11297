// The seam between the portable shell and an operating system.
//
// Each backend (Win32, Sdl, Headless) implements every function declared here, once; the build
// links exactly one of them. Nothing outside Engine/Platform/<Backend>/ includes a system header:
// the shell calls these functions and the backend answers. The terms are the shell's, not the
// system's: a window of W x H, a 32-bit frame, scan-code keys, a looping sound ring.
#pragma once
#include "Engine/Common/Types.h"

// ---- life -------------------------------------------------------------------------------------

// Brings up the system pieces in the shell's start-up order: the video object, the window classes,
// the main window (created at 424x240 outer size at the desktop's centre and shown), the input
// devices. Each failure shows its own box ("Fatal Error!", "DirectInput Error" ...) and returns
// false at once; nothing already made is released.
bool PlatformInit();

// Releases what PlatformInit and the video device made (texture, quad, device, video object),
// each only if present. Safe to call twice.
void PlatformShutdown();

// The main thread's message pump. Runs while gameRunning is set. Returns false when gameRunning
// was cleared (the shell then shuts down), true when the system asked the program to end at once
// (WM_QUIT); then *exitCode is the code to return without the shutdown steps.
bool PumpMainThread(int* exitCode);

// Ends the process at once with the given code.
[[noreturn]] void ExitProcessNow(int code);

// ---- window and picture -------------------------------------------------------------------------

// Sizes and places the main window for a presented picture of width x height. Windowed: the client
// area becomes width x height and the window is centred on the desktop rectangle read at start-up.
// Full screen: the window covers the monitor nearest to it. Writes the size, in device pixels, of
// the quad that shows the picture (windowed: width x height; full screen: the monitor's width and
// its height less the caption and frame metrics).
void PlaceMainWindow(u32 width, u32 height, bool fullscreen, u32* quadWidth, u32* quadHeight);

// Switches the main window's style: borderless popup for full screen, or caption, system menu and
// minimise box for windowed.
void SetMainWindowStyle(bool fullscreen);

// Height of a window caption in pixels (what the auxiliary windows add to their size).
i32 CaptionHeightMetric();

// Shows (true) or hides (false) the mouse cursor over the main window, and sets the arrow cursor.
void ShowMouseCursor(bool show);

// (Re)creates the video device, its picture texture and the quad for a presented picture of
// width x height drawn over quadWidth x quadHeight device pixels, filtered linearly or by point.
// A failure shows its "DX Error" box and ends the process, as a video device is not optional.
void CreateVideoDevice(u32 width, u32 height, u32 quadWidth, u32 quadHeight, bool linear);

enum PresentResult {
    PresentOk,        // shown (or skipped without harm)
    PresentLost,      // the device is lost: the caller waits 500 ms before the next tick
    PresentNotReset,  // the device can be recovered now: the caller calls RecoverVideoDevice
    PresentFatal      // anything else: the game ends after this tick
};

// Puts width x height pixels (0x00RRGGBB rows, no gaps) on the screen and returns what happened.
PresentResult PresentPixels(const u32* pixels, u32 width, u32 height);

// Brings a lost device back after PresentNotReset, with the texture binding and filters of the
// current mode. Returns true when the device presents again; false leaves it for the next tick.
bool RecoverVideoDevice();

// ---- message boxes ---------------------------------------------------------------------------------

// Flags and answers keep the values of the Windows message box, so the shell passes the same
// numbers on every backend.
enum : u32 {
    BoxOk = 0x0,
    BoxYesNo = 0x4,
    BoxIconError = 0x10,
    BoxDefaultSecond = 0x100,
};
enum : int { BoxAnswerOk = 1, BoxAnswerYes = 6, BoxAnswerNo = 7 };

// Shows a modal box without owner window and waits for the answer. May be called from either
// thread; returns BoxAnswerNo for a Yes/No box that could not be shown.
int ShowMessageBox(const char* text, const char* caption, u32 flags);

// ---- keyboard --------------------------------------------------------------------------------

// Writes, for keyboard slots 0-125 (set-1 scan codes without the extended prefix), 1 where the key
// is down now or was pressed since the previous call, else 0. Slot 125 is the Caps Lock toggle
// state. Only the keys the game reads are reported; every other entry is 0. Slots 126 and 127 are
// left alone (the wheel flags belong to the shell).
void PollKeys(u8 active[128]);

// ---- pads ----------------------------------------------------------------------------------------

// One read of an XInput-class pad: the button word (XInput's bit values), the two triggers
// (0-255) and the four stick axes (-32768..32767, up positive).
struct XPadState {
    u16 buttons;
    u8 leftTrigger, rightTrigger;
    i16 thumbLX, thumbLY, thumbRX, thumbRY;
};

// One read of a DirectInput-class pad: axes scaled to -1000..1000 (down and right positive), the
// first point-of-view hat in hundredths of a degree clockwise from up (0xFFFFFFFF centred), and the
// first 32 buttons (active when the high bit is set).
struct DPadState {
    i32 x, y, z, rx, ry;
    u32 pov;
    u8 buttons[32];
};

// Reads the XInput-class pad of user index 0-3; false when there is none.
bool PollXPad(int user, XPadState* state);

// Number of DirectInput-class pads found at start-up (at most 16).
int DirectPadCount();

enum DirectPadRead {
    DirectPadOk,     // read into the record
    DirectPadAbsent, // not connected now: its slots stay as they are, the next pad is read
    DirectPadStop    // the device could not be read: no further pad is read this tick
};
DirectPadRead PollDirectPad(int index, DPadState* state);

// Number of game controllers left out of the DirectInput pads because XInput serves them; the first
// DirectInput pad takes this pad number.
int XInputPadsExcluded();

// ---- sound -----------------------------------------------------------------------------------------

// What opening the sound ring found, as bits. The shell shows the boxes; without a ring it mixes on a
// clock of its own and the game runs the same, silent.
enum : u32 {
    SoundRingOpened = 0,
    SoundRingNoDevice = 0x1,   // no sound device: nothing was made, and no later call reaches one
    SoundRingNoPriority = 0x2, // the device refused its cooperative level; the ring opened anyway
    SoundRingNoBuffer = 0x4,   // the device opened but the ring could not be made or started
    SoundRingReported = 0x8,   // the platform has told the player why already: no box
};

// Opens a looping ring of `bytes` bytes of 16-bit stereo frames (left, right), playing at `rate`
// frames a second, silent at first, and starts it. Called once at start-up on the main thread.
u32 OpenSoundRing(u32 bytes, u32 rate);

// Stops and releases the ring and the device, if any.
void CloseSoundRing();

// The byte offset in the ring being played now; false when it cannot be read this time.
bool SoundPlayCursor(u32* offset);

enum SoundWrite {
    SoundWriteOk,
    SoundWriteLockFailed, // the region could not be locked
    SoundWritePartial     // the lock granted less than the region in its first part; it was released
};

// Locks `bytes` bytes of the ring at `offset`, has fill() write them (bytes / 4 frames), and
// unlocks. fill() is not called when the lock fails or is partial; nothing stays locked then.
SoundWrite WriteSoundRegion(u32 offset, u32 bytes, void (*fill)(i16* frames));

// ---- time and threads ----------------------------------------------------------------------------

// The high-resolution counter and its frequency (false: there is no such counter).
bool PerfFrequency(i64* frequency);
i64 PerfCounter();
// Milliseconds since some fixed moment; wraps around.
u32 MilliTime();
void SleepMs(u32 milliseconds);

struct PlatformThread;
struct PlatformMutex;

// Starts a thread running procedure(argument); null on failure.
PlatformThread* StartThread(int (*procedure)(void*), void* argument);
// Waits for the thread to end and frees its handle.
void JoinThread(PlatformThread* thread);

PlatformMutex* CreateFrameMutex();
void LockFrameMutex(PlatformMutex* mutex);
void UnlockFrameMutex(PlatformMutex* mutex);
void DestroyFrameMutex(PlatformMutex* mutex);

// Called by the game loop after every pass. The Win32 backend returns at once (the loop spins as
// designed); the SDL backend yields the processor briefly so a player's machine is not held at
// full load.
void IdleBetweenPasses();

// ---- debug windows ---------------------------------------------------------------------------------

struct ExtraWindow;

// Makes the window of an auxiliary record (Engine/Platform/ExtraWindows.h): a resizable window of
// the class "EXTRAWINDOW" titled `title`, its client area the record's width x height, its display
// built for that size, and the record as its user data; shown without taking the focus from the
// main window. Sets the record's window and display; false (with nothing left behind) on failure.
bool CreateExtraWindow(ExtraWindow* window, const char* title);

// Copies the record's pixels to its display and shows them; false when nothing could be shown.
bool PresentExtraWindow(ExtraWindow* window);

// Releases the record's display and its window, if it still has one. The record stays.
void DestroyExtraWindow(ExtraWindow* window);

// One message step for the game thread: when a message of the windows it owns waits, dispatches it;
// at most one a call.
void PumpGameThreadMessage();
