// The SDL2 backend's life, pump, message boxes, time and threads.
//
// SDL wants its window, renderer, events and boxes on the thread that initialised it, so the main
// thread keeps all of them: it pumps events, serves the game thread's requests and shows the newest
// picture. The game thread never touches SDL's video directly.
#include "Engine/Platform/Sdl/SdlPlatform.h"

#include <SDL.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlExtraWindows.h"
#include "Engine/Platform/Sdl/SdlKeys.h"
#include "Engine/Platform/Sdl/SdlPads.h"
#include "Engine/Platform/Shell.h"

SDL_Window* sdlWindow;
MainRequestQueue mainRequests;
i32 desktopX, desktopY, desktopWidth, desktopHeight;

namespace {

constexpr u32 sdlSystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER;
constexpr u32 sdlInputSystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

// The pump sleeps in SDL_WaitEventTimeout at most this long, so it sees gameRunning cleared by the
// game thread soon; requests and pictures wake it at once.
constexpr int pumpWaitMs = 10;

u32 wakeEventType = (u32)-1;
std::atomic<bool> wakePending{false};
std::atomic<i32> captionMetric{0}, frameMetric{0};
bool sdlStarted;

// One wake event at a time: while a box holds the main thread, a game presenting 60 times a second
// must not fill SDL's event queue and crowd out the player's keys.
void WakeMainThread()
{
    if (wakeEventType == (u32)-1 || wakePending.exchange(true))
        return;
    SDL_Event event{};
    event.type = wakeEventType;
    if (SDL_PushEvent(&event) <= 0)
        wakePending = false;
}

void ReadBorderMetrics()
{
    int top = 0, left = 0, bottom = 0, right = 0;
    if (sdlWindow && SDL_GetWindowBordersSize(sdlWindow, &top, &left, &bottom, &right) == 0) {
        captionMetric = top;
        frameMetric = bottom;
    }
}

void HandleWindowEvent(const SDL_WindowEvent& event, bool* redraw)
{
    if (!sdlWindow || event.windowID != SDL_GetWindowID(sdlWindow))
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        // The close button never closes the window by itself: the quit box decides.
        OnMainWindowClose();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        OnMainWindowActivate(!(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MINIMIZED));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        OnMainWindowActivate(false);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        OnMainWindowActivate((SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_INPUT_FOCUS) != 0);
        *redraw = true;
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        *redraw = true;
        break;
    default:
        break;
    }
}

void HandleEvent(const SDL_Event& event, bool* redraw)
{
    if (SdlExtraWindowEvent(event))
        return;
    switch (event.type) {
    case SDL_QUIT:
        OnMainWindowClose();
        break;
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window, redraw);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (!event.key.repeat)
            SdlKeyEvent(event.key.keysym.scancode, event.type == SDL_KEYDOWN);
        break;
    case SDL_RENDER_TARGETS_RESET:
        SdlVideoReset(false);
        *redraw = true;
        break;
    case SDL_RENDER_DEVICE_RESET:
        SdlVideoReset(true);
        *redraw = true;
        break;
    default:
        if (event.type == wakeEventType)
            wakePending = false;
        break;
    }
}

int ShowBoxNow(const char* text, const char* caption, u32 flags)
{
    const bool yesNo = (flags & 0xF) == BoxYesNo;
    const int fallback = yesNo ? BoxAnswerNo : BoxAnswerOk;
    SDL_MessageBoxButtonData buttons[2];
    int buttonCount;
    if (yesNo) {
        const bool noIsDefault = (flags & BoxDefaultSecond) != 0;
        buttons[0] = {noIsDefault ? 0u : (u32)SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BoxAnswerYes, "Yes"};
        buttons[1] = {noIsDefault ? (u32)(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                          SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)
                                  : (u32)SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      BoxAnswerNo, "No"};
        buttonCount = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      BoxAnswerOk, "OK"};
        buttonCount = 1;
    }
    SDL_MessageBoxData box{};
    box.flags = ((flags & BoxIconError) ? SDL_MESSAGEBOX_ERROR : 0) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = nullptr; // no owner, as on Windows
    box.title = caption;
    box.message = text;
    box.numbuttons = buttonCount;
    box.buttons = buttons;
    int answer = -1;
    if (SDL_ShowMessageBox(&box, &answer) < 0) {
        // Without a display the text still reaches whoever started the game.
        fprintf(stderr, "%s: %s (the box could not be shown: %s)\n", caption, text, SDL_GetError());
        return fallback;
    }
    // Closing the box without a button gives the safe answer.
    return answer < 0 ? fallback : answer;
}

struct BoxRequest {
    const char* text;
    const char* caption;
    u32 flags;
    int answer;
};

void ServeBox(void* data)
{
    BoxRequest* box = (BoxRequest*)data;
    box->answer = ShowBoxNow(box->text, box->caption, box->flags);
}

// The game is ending and the main thread no longer serves: a Yes/No box answers No, and the text of
// any other box is written out instead of shown.
void CancelBox(void* data)
{
    BoxRequest* box = (BoxRequest*)data;
    box->answer = (box->flags & 0xF) == BoxYesNo ? BoxAnswerNo : BoxAnswerOk;
    fprintf(stderr, "%s: %s (not shown: the game is ending)\n", box->caption, box->text);
}

} // namespace

struct PlatformThread {
    SDL_Thread* thread;
};
struct PlatformMutex {
    SDL_mutex* mutex;
};

i32 SdlCaptionMetric() { return captionMetric; }
i32 SdlFrameMetric() { return frameMetric; }

// Ctrl+C in a terminal or a polite kill ends the game the way "Exit Game" does: the game thread
// finishes its tick and is joined, the shutdown runs, nothing is asked.
static void OnStopSignal(int)
{
    quitRequested.store(1);
}

static void CatchStopSignals()
{
    static_assert(std::atomic<u8>::is_always_lock_free, "the stop signal stores from a handler");
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool PlatformInit()
{
    // SDL's own handlers would turn a signal into SDL_QUIT, which the close button also sends and
    // which asks first; ours end the game without asking. The close button must not also arrive
    // as SDL_QUIT, or it would ask twice.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    CatchStopSignals();
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(sdlSystems) < 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        ShowMessageBox("Could not initialize Direct3D", "Fatal Error!", BoxIconError);
        return false;
    }
    sdlStarted = true;

    SDL_Rect desktop{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(0, &desktop) < 0)
        desktop = SDL_Rect{0, 0, 1024, 768};
    desktopX = desktop.x;
    desktopY = desktop.y;
    desktopWidth = desktop.w;
    desktopHeight = desktop.h;

    sdlWindow = SDL_CreateWindow(windowTitle, desktopX + (desktopWidth >> 1) - 212,
                                 desktopY + (desktopHeight >> 1) - 120, 424, 240, SDL_WINDOW_SHOWN);
    if (!sdlWindow) {
        fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        ShowMessageBox("Could not create hWnd", "Fatal Error!", BoxIconError);
        return false;
    }
    // Showing a window activates it on Windows; ask for the same here.
    SDL_RaiseWindow(sdlWindow);
    ReadBorderMetrics();

    if (SDL_InitSubSystem(sdlInputSystems) < 0) {
        fprintf(stderr, "SDL_InitSubSystem: %s\n", SDL_GetError());
        ShowMessageBox("Error Initializing DirectInput", "DirectInput Error", BoxIconError);
        return false;
    }
    SdlInitPads();

    SdlResetKeys();
    SdlSetCapsLock((SDL_GetModState() & KMOD_CAPS) != 0);
    wakeEventType = SDL_RegisterEvents(1);
    OpenRequestQueue(&mainRequests, WakeMainThread);
    return true;
}

void PlatformShutdown()
{
    DestroyRequestQueue(&mainRequests);
    SdlClosePads();
    SdlDestroyExtraWindows();
    SdlDestroyVideo();
    if (sdlWindow) {
        SDL_DestroyWindow(sdlWindow);
        sdlWindow = nullptr;
    }
    if (sdlStarted) {
        SDL_Quit();
        sdlStarted = false;
    }
    wakeEventType = (u32)-1;
}

bool PumpMainThread(int*)
{
    while (gameRunning) {
        bool redraw = false;
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, pumpWaitMs)) {
            do
                HandleEvent(event, &redraw);
            while (gameRunning && SDL_PollEvent(&event));
        }
        // A quit box answered Yes just now: what the game thread asks for next is cancelled, not
        // shown (no second quit box on top of the first).
        if (!gameRunning)
            break;
        SdlSetCapsLock((SDL_GetModState() & KMOD_CAPS) != 0);
        SdlPumpPads();
        ServeRequests(&mainRequests);
        SdlShowNewestPicture(redraw);
    }
    // From here the game thread is joined: nothing it asks for may wait for this thread any more.
    CloseRequestQueue(&mainRequests);
    return false;
}

void ExitProcessNow(int code)
{
    // SDL is shut down only from the thread that owns it; exit reclaims the rest.
    if (sdlStarted && OnServingThread(&mainRequests))
        SDL_Quit();
    fflush(nullptr);
    exit(code);
}

i32 CaptionHeightMetric()
{
    return captionMetric;
}

int ShowMessageBox(const char* text, const char* caption, u32 flags)
{
    BoxRequest box{text ? text : "", caption ? caption : "", flags, BoxAnswerNo};
    RunOnMainThread(&mainRequests, ServeBox, CancelBox, &box);
    return box.answer;
}

// ---- time and threads ----------------------------------------------------------------------------

bool PerfFrequency(i64* frequency)
{
    *frequency = (i64)SDL_GetPerformanceFrequency();
    return *frequency > 0;
}

i64 PerfCounter()
{
    return (i64)SDL_GetPerformanceCounter();
}

u32 MilliTime()
{
    return SDL_GetTicks();
}

void SleepMs(u32 milliseconds)
{
    SDL_Delay(milliseconds);
}

PlatformThread* StartThread(int (*procedure)(void*), void* argument)
{
    PlatformThread* thread = new (std::nothrow) PlatformThread{nullptr};
    if (!thread)
        return nullptr;
    thread->thread = SDL_CreateThread(procedure, "game", argument);
    if (!thread->thread) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void JoinThread(PlatformThread* thread)
{
    if (!thread)
        return;
    // The thread may be waiting for this one (a window change, a box): stop serving first, so its
    // requests are cancelled and it can finish.
    if (OnServingThread(&mainRequests))
        CloseRequestQueue(&mainRequests);
    SDL_WaitThread(thread->thread, nullptr);
    delete thread;
}

PlatformMutex* CreateFrameMutex()
{
    SDL_mutex* mutex = SDL_CreateMutex();
    if (!mutex)
        return nullptr;
    PlatformMutex* handle = new (std::nothrow) PlatformMutex{mutex};
    if (!handle)
        SDL_DestroyMutex(mutex);
    return handle;
}

void LockFrameMutex(PlatformMutex* mutex)
{
    if (mutex)
        SDL_LockMutex(mutex->mutex);
}

void UnlockFrameMutex(PlatformMutex* mutex)
{
    if (mutex)
        SDL_UnlockMutex(mutex->mutex);
}

void DestroyFrameMutex(PlatformMutex* mutex)
{
    if (!mutex)
        return;
    SDL_DestroyMutex(mutex->mutex);
    delete mutex;
}

void IdleBetweenPasses()
{
    // The loop still looks at the clock every pass; a millisecond's rest keeps a core free.
    SDL_Delay(1);
}
