// The auxiliary debug windows on SDL2: one window with a renderer and a streaming texture each.
//
// SDL's windows live on the main thread, while the records, their callbacks and their messages
// belong to the game thread. So the main thread makes, shows and destroys the windows when the game
// thread asks (through the request queue), and turns their events into messages in an inbox; the
// game thread's message step takes one message a tick from it and serves it, as on Windows.
#include "Engine/Platform/Sdl/SdlExtraWindows.h"

#include <SDL.h>

#include <new>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlPlatform.h"

namespace {

struct SdlExtraDisplay {
    // Main thread only.
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    u32 textureWidth, textureHeight;
    u32 shownWidth, shownHeight; // the picture in the texture
    u32 windowId;
    u32 minWidth, minHeight, maxWidth, maxHeight;
    SdlExtraDisplay* next;
    // Game thread only.
    ExtraWindow* record;
};

// The main thread's windows.
SdlExtraDisplay* displays;

enum MessageKind : u8 { MessageClose, MessageSize, MessageActivate, MessageWheel };

struct Message {
    SdlExtraDisplay* display;
    MessageKind kind;
    i32 a, b;
};

// The inbox, shared by the two threads under a spin lock (each hold is a few instructions). A full
// inbox drops the newest message, as a full system queue would.
constexpr int inboxSize = 256;
SDL_SpinLock inboxLock;
Message inbox[inboxSize];
int inboxHead, inboxCount;

void Post(SdlExtraDisplay* display, MessageKind kind, i32 a, i32 b)
{
    SDL_AtomicLock(&inboxLock);
    if (inboxCount < inboxSize) {
        inbox[(inboxHead + inboxCount) % inboxSize] = Message{display, kind, a, b};
        ++inboxCount;
    }
    SDL_AtomicUnlock(&inboxLock);
}

bool Take(Message* message)
{
    SDL_AtomicLock(&inboxLock);
    const bool any = inboxCount > 0;
    if (any) {
        *message = inbox[inboxHead];
        inboxHead = (inboxHead + 1) % inboxSize;
        --inboxCount;
    }
    SDL_AtomicUnlock(&inboxLock);
    return any;
}

// Drops the messages of a display that goes away, keeping the order of the others.
void Purge(const SdlExtraDisplay* display)
{
    SDL_AtomicLock(&inboxLock);
    int kept = 0;
    for (int i = 0; i < inboxCount; ++i) {
        const Message message = inbox[(inboxHead + i) % inboxSize];
        if (message.display != display)
            inbox[(inboxHead + kept++) % inboxSize] = message;
    }
    inboxCount = kept;
    SDL_AtomicUnlock(&inboxLock);
}

SdlExtraDisplay* FindDisplay(u32 windowId)
{
    for (SdlExtraDisplay* display = displays; display; display = display->next)
        if (display->window && display->windowId == windowId)
            return display;
    return nullptr;
}

void DrawShown(SdlExtraDisplay* display)
{
    if (!display->renderer)
        return;
    SDL_SetRenderDrawColor(display->renderer, 0, 0, 0, 255);
    SDL_RenderClear(display->renderer);
    if (display->texture && display->shownWidth) {
        // One texture pixel a window pixel, from the top-left corner, as the display's blit does.
        const SDL_Rect source{0, 0, (int)display->shownWidth, (int)display->shownHeight};
        SDL_RenderCopy(display->renderer, display->texture, &source, &source);
    }
    SDL_RenderPresent(display->renderer);
}

// The window, its renderer and texture; the record keeps the display until it is freed.
void CloseWindowOf(SdlExtraDisplay* display)
{
    if (display->texture)
        SDL_DestroyTexture(display->texture);
    if (display->renderer)
        SDL_DestroyRenderer(display->renderer);
    if (display->window)
        SDL_DestroyWindow(display->window);
    display->texture = nullptr;
    display->renderer = nullptr;
    display->window = nullptr;
    display->windowId = 0;
    display->textureWidth = display->textureHeight = display->shownWidth = display->shownHeight = 0;
}

void FreeDisplay(SdlExtraDisplay* display)
{
    for (SdlExtraDisplay** link = &displays; *link; link = &(*link)->next)
        if (*link == display) {
            *link = display->next;
            break;
        }
    Purge(display);
    CloseWindowOf(display);
    delete display;
}

// ---- requests served on the main thread -------------------------------------------------------------

struct CreateRequest {
    const char* title;
    u32 width, height, minWidth, minHeight, maxWidth, maxHeight;
    SdlExtraDisplay* made;
};

void ServeCreate(void* data)
{
    CreateRequest* request = (CreateRequest*)data;
    SdlExtraDisplay* display = new (std::nothrow) SdlExtraDisplay{};
    if (!display)
        return;
    display->window = SDL_CreateWindow(request->title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                       (int)request->width, (int)request->height,
                                       SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (display->window)
        display->renderer = SDL_CreateRenderer(display->window, -1, 0);
    if (!display->renderer) {
        SDL_Log("auxiliary window: %s", SDL_GetError());
        CloseWindowOf(display);
        delete display;
        return;
    }
    display->windowId = SDL_GetWindowID(display->window);
    display->minWidth = request->minWidth;
    display->minHeight = request->minHeight;
    display->maxWidth = request->maxWidth;
    display->maxHeight = request->maxHeight;
    // SDL takes no zero limit.
    if (request->minWidth && request->minHeight)
        SDL_SetWindowMinimumSize(display->window, (int)request->minWidth, (int)request->minHeight);
    SDL_SetWindowMaximumSize(display->window, (int)request->maxWidth, (int)request->maxHeight);
    display->next = displays;
    displays = display;
    // A debug window does not take the focus from the game.
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(display->window);
    DrawShown(display);
    request->made = display;
}

struct PresentRequest {
    SdlExtraDisplay* display;
    const u32* pixels;
    u32 width, height;
    bool shown;
};

bool MakeTexture(SdlExtraDisplay* display, u32 width, u32 height)
{
    if (display->texture)
        SDL_DestroyTexture(display->texture);
    display->textureWidth = display->textureHeight = display->shownWidth = display->shownHeight = 0;
    // 0x00RRGGBB pixels, the top byte ignored.
    display->texture = SDL_CreateTexture(display->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                         (int)width, (int)height);
    if (!display->texture)
        return false;
    display->textureWidth = width;
    display->textureHeight = height;
    return true;
}

void ServePresent(void* data)
{
    PresentRequest* request = (PresentRequest*)data;
    SdlExtraDisplay* display = request->display;
    if (!display->renderer)
        return;
    if (display->textureWidth != request->width || display->textureHeight != request->height || !display->texture) {
        if (!MakeTexture(display, request->width, request->height))
            return;
    }
    if (SDL_UpdateTexture(display->texture, nullptr, request->pixels, (int)(request->width * 4)) < 0) {
        // A texture lost with its device is made again once.
        if (!MakeTexture(display, request->width, request->height) ||
            SDL_UpdateTexture(display->texture, nullptr, request->pixels, (int)(request->width * 4)) < 0)
            return;
    }
    display->shownWidth = request->width;
    display->shownHeight = request->height;
    DrawShown(display);
    request->shown = true;
}

void ServeClose(void* data)
{
    CloseWindowOf((SdlExtraDisplay*)data);
}

void ServeFree(void* data)
{
    FreeDisplay((SdlExtraDisplay*)data);
}

// The main thread no longer serves: the display stays in the list for the shutdown to destroy.
void LeaveForShutdown(void*) {}

void ServeSize(ExtraWindow* record, u32 width, u32 height)
{
    if (BeginExtraWindowResize(record, width, height, false) && FinishExtraWindowResize(record))
        PresentExtraWindow(record);
}

} // namespace

// ---- main thread: events ---------------------------------------------------------------------------

bool SdlExtraWindowEvent(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEWHEEL) {
        SdlExtraDisplay* display = FindDisplay(event.wheel.windowID);
        if (!display)
            return false;
        // Only the vertical wheel turns; a sideways scroll has nothing to say here.
        const i32 turn = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (turn)
            Post(display, MessageWheel, turn, 0);
        return true;
    }
    if (event.type != SDL_WINDOWEVENT)
        return false;
    SdlExtraDisplay* display = FindDisplay(event.window.windowID);
    if (!display)
        return false;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Post(display, MessageClose, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        // No sizing message exists here: the size is snapped to steps of 16 once the window has
        // taken it, and the game thread builds for each size it hears of.
        const i32 width = event.window.data1, height = event.window.data2;
        const u32 snappedWidth = SnapClientSize(width, display->minWidth, display->maxWidth);
        const u32 snappedHeight = SnapClientSize(height, display->minHeight, display->maxHeight);
        if (width > 0 && height > 0)
            Post(display, MessageSize, width, height);
        if (snappedWidth != (u32)width || snappedHeight != (u32)height)
            SDL_SetWindowSize(display->window, (int)snappedWidth, (int)snappedHeight);
        DrawShown(display);
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Post(display, MessageActivate, ExtraWindowActive, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Post(display, MessageActivate, ExtraWindowInactive, 0);
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
        DrawShown(display);
        break;
    default:
        break;
    }
    return true;
}

void SdlDestroyExtraWindows()
{
    while (displays)
        FreeDisplay(displays);
}

// ---- the seam (game thread) ------------------------------------------------------------------------

bool CreateExtraWindow(ExtraWindow* record, const char* title)
{
    CreateRequest request{title,           record->width,    record->height,   record->minWidth,
                          record->minHeight, record->maxWidth, record->maxHeight, nullptr};
    RunOnMainThread(&mainRequests, ServeCreate, nullptr, &request);
    if (!request.made)
        return false;
    request.made->record = record;
    record->display = request.made;
    record->window = request.made; // the display stands for the window: SDL's belongs to the main thread
    return true;
}

bool PresentExtraWindow(ExtraWindow* record)
{
    if (!record->display || !record->pixels || !record->width || !record->height)
        return false;
    PresentRequest request{(SdlExtraDisplay*)record->display, record->pixels, record->width, record->height, false};
    RunOnMainThread(&mainRequests, ServePresent, nullptr, &request);
    return request.shown;
}

void DestroyExtraWindow(ExtraWindow* record)
{
    SdlExtraDisplay* display = (SdlExtraDisplay*)record->display;
    if (display) {
        // From here nothing reaches the record through the display, even when the main thread can
        // no longer free it and it waits for the shutdown.
        display->record = nullptr;
        Purge(display);
        RunOnMainThread(&mainRequests, ServeFree, LeaveForShutdown, display);
    }
    record->display = nullptr;
    record->window = nullptr;
}

void PumpGameThreadMessage()
{
    Message message;
    if (!Take(&message))
        return;
    ExtraWindow* record = message.display->record;
    if (!record)
        return;
    switch (message.kind) {
    case MessageClose:
        if (AcceptExtraWindowClose(record))
            RunOnMainThread(&mainRequests, ServeClose, nullptr, message.display);
        break;
    case MessageSize:
        ServeSize(record, (u32)message.a, (u32)message.b);
        break;
    case MessageActivate:
        SetExtraWindowState(record, (u8)message.a);
        break;
    case MessageWheel:
        ExtraWindowWheel(message.a);
        break;
    }
}
