// Auxiliary windows in memory: a display is the last picture presented to it; messages wait in
// one queue for the game thread's message step.
#include "Engine/Platform/Headless/HeadlessExtraWindows.h"

#include <deque>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Platform.h"

namespace {

struct HeadlessDisplay {
    std::vector<u32> picture;
    u32 width, height;
    u32 presents;
};

enum MessageKind { MessageClose, MessageSize, MessageActivate, MessageWheel };

struct Message {
    ExtraWindow* window;
    MessageKind kind;
    i32 a, b;
};

std::deque<Message> messages;
bool failCreation;
int liveDisplays;

void Post(ExtraWindow* window, MessageKind kind, i32 a, i32 b)
{
    messages.push_back(Message{window, kind, a, b});
}

// The window procedure, as the Win32 one serves the same messages.
void Dispatch(const Message& message)
{
    ExtraWindow* window = message.window;
    switch (message.kind) {
    case MessageClose:
        // An accepted close destroys the window at once; the record waits for the next update.
        AcceptExtraWindowClose(window);
        break;
    case MessageSize:
        if (window->display && BeginExtraWindowResize(window, (u32)message.a, (u32)message.b, message.b < 0) &&
            FinishExtraWindowResize(window))
            PresentExtraWindow(window);
        break;
    case MessageActivate:
        SetExtraWindowState(window, (u8)message.a);
        break;
    case MessageWheel:
        ExtraWindowWheel(message.a);
        break;
    }
}

} // namespace

namespace headless {

void PostExtraWindowClose(ExtraWindow* window) { Post(window, MessageClose, 0, 0); }
void PostExtraWindowSize(ExtraWindow* window, u32 width, u32 height, bool minimized)
{
    // A minimised window's message carries 0 x 0; a negative height marks the minimise here.
    Post(window, MessageSize, (i32)width, minimized ? -1 : (i32)height);
}
void PostExtraWindowActivate(ExtraWindow* window, u8 state) { Post(window, MessageActivate, state, 0); }
void PostExtraWindowWheel(ExtraWindow* window, i32 delta) { Post(window, MessageWheel, delta, 0); }
size_t PendingExtraWindowMessages() { return messages.size(); }
void FailExtraWindowCreation(bool fail) { failCreation = fail; }

const std::vector<u32>* ExtraWindowPicture(const ExtraWindow* window, u32* width, u32* height)
{
    const HeadlessDisplay* display = (const HeadlessDisplay*)window->display;
    if (!display)
        return nullptr;
    *width = display->width;
    *height = display->height;
    return &display->picture;
}

u32 ExtraWindowPresentCount(const ExtraWindow* window)
{
    const HeadlessDisplay* display = (const HeadlessDisplay*)window->display;
    return display ? display->presents : 0;
}

int LiveExtraWindowDisplays() { return liveDisplays; }

void ResetExtraWindows()
{
    messages.clear();
    failCreation = false;
}

} // namespace headless

bool CreateExtraWindow(ExtraWindow* window, const char*)
{
    if (failCreation)
        return false;
    HeadlessDisplay* display = new HeadlessDisplay{{}, 0, 0, 0};
    ++liveDisplays;
    // The display stands for the window too: no other handle exists here.
    window->window = display;
    window->display = display;
    return true;
}

bool PresentExtraWindow(ExtraWindow* window)
{
    HeadlessDisplay* display = (HeadlessDisplay*)window->display;
    if (!display || !window->pixels)
        return false;
    display->picture.assign(window->pixels, window->pixels + (size_t)window->width * window->height);
    display->width = window->width;
    display->height = window->height;
    ++display->presents;
    return true;
}

void DestroyExtraWindow(ExtraWindow* window)
{
    // Messages still waiting for this window go with it.
    for (auto it = messages.begin(); it != messages.end();)
        it = it->window == window ? messages.erase(it) : it + 1;
    if (window->display) {
        delete (HeadlessDisplay*)window->display;
        --liveDisplays;
    }
    window->display = nullptr;
    window->window = nullptr;
}

void PumpGameThreadMessage()
{
    if (messages.empty())
        return;
    const Message message = messages.front();
    messages.pop_front();
    Dispatch(message);
}
