// The auxiliary debug windows on the headless backend: the clip rectangle, sizing in steps of 16,
// the per-tick update, closing, resizing, activation and the wheel.
#include <cmath>

#include "Engine/Platform/ExtraWindows.h"
#include "Engine/Platform/Headless/HeadlessExtraWindows.h"
#include "tests/unit/HeadlessGame.h"

namespace {

// ---- the clip rectangle and the sizing arithmetic -------------------------------------------------

TEST(SetClipRectTest, ClipsToTheSurface)
{
    struct Case {
        f32 x, y, w, h;
        f32 left, top, right, bottom;
    };
    const Case cases[] = {
        {10, 5, 20, 10, 10, 5, 30, 15},      // inside
        {-8, -3, 20, 10, 0, 0, 12, 7},       // negative origin clips at 0
        {-50, -50, 500, 500, 0, 0, 100, 50}, // larger than the surface
        {90, 40, 30, 30, 90, 40, 100, 50},   // runs off the right and bottom
        {150, 80, 10, 10, 100, 50, 100, 50}, // wholly beyond: an empty rectangle at the far edge
        {-30, -30, 10, 10, 0, 0, 0, 0},      // wholly before: empty at 0
        {20, 10, -5, -5, 20, 10, 15, 5},     // a negative size is not reordered
        {0.5f, 0.25f, 1.0f, 1.0f, 0.5f, 0.25f, 1.5f, 1.25f},
    };
    for (const Case& c : cases) {
        DrawSurface surface{};
        surface.width = 100;
        surface.height = 50;
        SetClipRect(&surface, c.x, c.y, c.w, c.h);
        EXPECT_EQ(surface.clipLeft, c.left) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(surface.clipTop, c.top) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(surface.clipRight, c.right) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(surface.clipBottom, c.bottom) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    DrawSurface surface{};
    surface.width = 100;
    surface.height = 50;
    SetClipRect(&surface, NAN, NAN, 10, 10);
    EXPECT_EQ(surface.clipLeft, 0.0f);
    EXPECT_EQ(surface.clipRight, 0.0f);
    SetClipRect(nullptr, 0, 0, 1, 1); // nothing to clip, and no crash
}

TEST(ExtraWindowSizingTest, ClientSizesRoundUpToStepsOf16WithinTheLimits)
{
    struct Case {
        i32 client;
        u32 minimum, maximum, expected;
    };
    const Case cases[] = {
        {100, 0, 1000, 112}, {112, 0, 1000, 112}, {113, 0, 1000, 128}, {1, 0, 1000, 16},
        {0, 0, 1000, 0},     {-40, 0, 1000, 0},   // a rectangle smaller than its frame
        {10, 40, 1000, 48},  // the minimum first, then the step
        {290, 0, 300, 288},  // rounding up would pass the maximum: the step below it
        {300, 0, 300, 288},  {5, 4, 8, 8},          // no step fits between the limits: the maximum
        {2000000000, 0, 0xFFFFFFFFu, 2000000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnapClientSize(c.client, c.minimum, c.maximum), c.expected)
            << c.client << " in " << c.minimum << ".." << c.maximum;
}

TEST(ExtraWindowSizingTest, TheDraggedEdgeMovesSoTheClientAreaGetsTheSnappedSize)
{
    // Frame 4 x 3 and a caption of 20: the border adds 8 to the width and 26 to the height.
    ExtraWindow window{};
    window.maxWidth = window.maxHeight = 4096;
    const ExtraRect dragged{100, 200, 100 + 8 + 101, 200 + 26 + 70}; // client 101 x 70
    struct Case {
        int edge;
        ExtraRect expected;
    };
    const Case cases[] = {
        {SizingRight, {100, 200, 100 + 8 + 112, 296}},
        {SizingLeft, {209 - 8 - 112, 200, 209, 296}},
        {SizingBottom, {100, 200, 209, 200 + 26 + 80}},
        {SizingTop, {100, 296 - 26 - 80, 209, 296}},
        {SizingBottomRight, {100, 200, 100 + 8 + 112, 200 + 26 + 80}},
        {SizingTopLeft, {209 - 8 - 112, 296 - 26 - 80, 209, 296}},
        {SizingTopRight, {100, 296 - 26 - 80, 100 + 8 + 112, 296}},
        {SizingBottomLeft, {209 - 8 - 112, 200, 209, 200 + 26 + 80}},
        {0, dragged}, // not a sizing edge: left alone
    };
    for (const Case& c : cases) {
        ExtraRect rect = dragged;
        SnapSizingRect(&window, c.edge, &rect, 4, 3, 20);
        EXPECT_EQ(rect.left, c.expected.left) << "edge " << c.edge;
        EXPECT_EQ(rect.top, c.expected.top) << "edge " << c.edge;
        EXPECT_EQ(rect.right, c.expected.right) << "edge " << c.edge;
        EXPECT_EQ(rect.bottom, c.expected.bottom) << "edge " << c.edge;
    }
}

// ---- windows on the headless backend ------------------------------------------------------------

struct Calls {
    int active, inactive, close;
    bool refuseClose;
    bool sawClearedBuffer; // every pixel was 0 when a callback started
    u32 lastWidth, lastHeight;
};
Calls calls;

bool BufferCleared(const ExtraWindow* window)
{
    for (u32 i = 0; i < window->width * window->height; ++i)
        if (window->pixels[i])
            return false;
    return true;
}

// Draws its own mark over the surface the update hands it: distinct for the two callbacks.
void Paint(ExtraWindow* window, u32 colour)
{
    calls.sawClearedBuffer = BufferCleared(window);
    const DrawSurface* surface = window->surface;
    calls.lastWidth = (u32)surface->width;
    calls.lastHeight = (u32)surface->height;
    for (i32 y = 0; y < surface->height; ++y)
        for (i32 x = 0; x < surface->width; ++x)
            surface->pixels[y * (surface->pitch / 4) + x] = colour + (u32)x + ((u32)y << 8);
}
void DrawActive(ExtraWindow* window)
{
    ++calls.active;
    Paint(window, 0xA00000);
}
void DrawInactive(ExtraWindow* window)
{
    ++calls.inactive;
    Paint(window, 0x100000);
}
bool OnClose(ExtraWindow*)
{
    ++calls.close;
    return calls.refuseClose;
}

class ExtraWindowsTest : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        headless::ResetExtraWindows();
        calls = Calls{};
    }

    static ExtraWindow* Open(u32 width = 32, u32 height = 16)
    {
        return OpenExtraWindow("debug", width, height, 16, 16, 256, 256, OnClose, DrawInactive, DrawActive);
    }

    static u32 Shown(const ExtraWindow* window, u32 x, u32 y)
    {
        u32 width = 0, height = 0;
        const std::vector<u32>* picture = headless::ExtraWindowPicture(window, &width, &height);
        return picture && x < width && y < height ? (*picture)[y * width + x] : 0xDEADBEEF;
    }
};

TEST_F(ExtraWindowsTest, OpeningChecksItsArgumentsAndKeepsTheSizeWithinTheLimits)
{
    EXPECT_EQ(OpenExtraWindow("x", 32, 32, 0, 0, 64, 64, nullptr, nullptr, DrawActive), nullptr);
    EXPECT_EQ(OpenExtraWindow("x", 32, 32, 0, 0, 64, 64, nullptr, DrawInactive, nullptr), nullptr);
    EXPECT_EQ(OpenExtraWindow("x", 32, 32, 80, 0, 64, 64, nullptr, DrawInactive, DrawActive), nullptr);
    EXPECT_EQ(OpenExtraWindow("x", 0, 32, 0, 0, 64, 64, nullptr, DrawInactive, DrawActive), nullptr);
    headless::FailExtraWindowCreation(true);
    EXPECT_EQ(Open(), nullptr);
    headless::FailExtraWindowCreation(false);
    EXPECT_EQ(headless::LiveExtraWindowDisplays(), 0);

    ExtraWindow* window = OpenExtraWindow("x", 500, 4, 16, 16, 256, 256, nullptr, DrawInactive, DrawActive);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->width, 256u);
    EXPECT_EQ(window->height, 16u);
    EXPECT_EQ(window->appliedWidth, 256u);
    EXPECT_EQ(window->surface->pitch, 256 * 4);
    EXPECT_EQ(window->surface->clipRight, 256.0f);
    EXPECT_EQ(window->state, ExtraWindowInactive);
    // The failed creation left its entry free, and the window took it.
    ASSERT_GE(extraWindowCount, 1);
    EXPECT_EQ(extraWindows[0], window);
}

TEST_F(ExtraWindowsTest, EveryTickClearsDrawsByActivationAndPresents)
{
    ExtraWindow* window = Open(32, 16);
    ASSERT_NE(window, nullptr);
    ShowMouseCursor(false);
    Tick();
    EXPECT_TRUE(headless::CursorVisible()); // the pointer shows over an open window
    EXPECT_EQ(calls.inactive, 1);
    EXPECT_EQ(calls.active, 0);
    EXPECT_EQ(headless::ExtraWindowPresentCount(window), 1u);
    EXPECT_EQ(Shown(window, 3, 2), 0x100000u + 3 + (2 << 8));

    headless::PostExtraWindowActivate(window, ExtraWindowClickActive);
    Tick(); // drawn inactive, then the message is dispatched
    Tick();
    EXPECT_EQ(calls.inactive, 2);
    EXPECT_EQ(calls.active, 1);
    EXPECT_TRUE(calls.sawClearedBuffer); // last tick's picture was cleared before the draw
    EXPECT_EQ(Shown(window, 31, 15), 0xA00000u + 31 + (15 << 8));
    EXPECT_EQ(headless::ExtraWindowPresentCount(window), 3u);

    // In full screen nothing is drawn or presented, but messages are still served.
    fullscreen = 1;
    headless::PostExtraWindowActivate(window, ExtraWindowInactive);
    UpdateExtraWindows();
    fullscreen = 0;
    EXPECT_EQ(calls.active + calls.inactive, 3);
    EXPECT_EQ(window->state, ExtraWindowInactive);
    EXPECT_EQ(headless::ExtraWindowPresentCount(window), 3u);
}

TEST_F(ExtraWindowsTest, OneMessageATick)
{
    ExtraWindow* window = Open();
    ASSERT_NE(window, nullptr);
    headless::PostExtraWindowActivate(window, ExtraWindowActive);
    headless::PostExtraWindowActivate(window, ExtraWindowInactive);
    headless::PostExtraWindowActivate(window, ExtraWindowClickActive);
    Tick();
    EXPECT_EQ(window->state, ExtraWindowActive);
    EXPECT_EQ(headless::PendingExtraWindowMessages(), 2u);
    Tick();
    Tick();
    EXPECT_EQ(window->state, ExtraWindowClickActive);
    EXPECT_EQ(headless::PendingExtraWindowMessages(), 0u);
}

TEST_F(ExtraWindowsTest, ACloseRefusedByTheOwnerKeepsTheWindow)
{
    ExtraWindow* window = Open();
    ASSERT_NE(window, nullptr);
    headless::PostExtraWindowActivate(window, ExtraWindowActive);
    Tick();
    void* const handle = window->window;
    const ExtraWindow before = *window;

    calls.refuseClose = true;
    headless::PostExtraWindowClose(window);
    Tick();
    EXPECT_EQ(calls.close, 1);
    EXPECT_EQ(extraWindows[0], window);
    EXPECT_EQ(window->window, handle);
    EXPECT_EQ(window->state, ExtraWindowActive);
    EXPECT_EQ(window->pixels, before.pixels);
    EXPECT_EQ(window->display, before.display);
    Tick();
    EXPECT_EQ(headless::ExtraWindowPresentCount(window), 3u); // still drawn and shown
}

TEST_F(ExtraWindowsTest, AClosedWindowsEntryIsFreedAtTheNextUpdate)
{
    ExtraWindow* first = Open();
    ExtraWindow* second = Open();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(headless::LiveExtraWindowDisplays(), 2);

    headless::PostExtraWindowClose(first); // onClose accepts
    UpdateExtraWindows();                  // dispatched after this update's draw
    EXPECT_EQ(calls.close, 1);
    EXPECT_EQ(first->state, ExtraWindowClosed);
    EXPECT_EQ(first->window, nullptr);
    EXPECT_EQ(extraWindows[0], first); // the record waits for the next update
    headless::PostExtraWindowActivate(first, ExtraWindowActive); // too late: freed with the window
    const int draws = calls.inactive;

    UpdateExtraWindows();
    EXPECT_EQ(extraWindows[0], nullptr);
    EXPECT_EQ(extraWindows[1], second);
    EXPECT_EQ(extraWindowCount, 2);
    EXPECT_EQ(calls.inactive, draws + 1); // only the second window was drawn
    EXPECT_EQ(headless::LiveExtraWindowDisplays(), 1);
    EXPECT_EQ(headless::PendingExtraWindowMessages(), 0u);

    // The free entry is taken by the next window; shutdown destroys what is left.
    ExtraWindow* third = Open();
    EXPECT_EQ(extraWindows[0], third);
    EXPECT_EQ(extraWindowCount, 2);
    headless::PostExtraWindowClose(second);
    UpdateExtraWindows(); // second closed, its record not yet freed
    ShutdownPlatform();
    EXPECT_EQ(headless::LiveExtraWindowDisplays(), 0);
    EXPECT_EQ(extraWindows, nullptr);
    EXPECT_EQ(extraWindowCount, 0);
    ASSERT_TRUE(InitPlatform()); // for the fixture's own shutdown
}

TEST_F(ExtraWindowsTest, ResizeRebuildsTheBufferButAMinimiseKeepsIt)
{
    ExtraWindow* window = Open(32, 16);
    ASSERT_NE(window, nullptr);
    Tick();
    const int draws = calls.inactive;

    headless::PostExtraWindowSize(window, 64, 48, false);
    UpdateExtraWindows();
    EXPECT_EQ(window->width, 64u);
    EXPECT_EQ(window->height, 48u);
    EXPECT_EQ(window->appliedWidth, 64u);
    EXPECT_EQ(window->surface->width, 64);
    EXPECT_EQ(window->surface->pitch, 256);
    EXPECT_EQ(window->surface->clipBottom, 48.0f);
    EXPECT_EQ(calls.inactive, draws + 2); // the update's draw, then the resize's
    EXPECT_EQ(calls.lastWidth, 64u);
    EXPECT_EQ(Shown(window, 63, 47), 0x100000u + 63 + (47 << 8)); // presented at the new size

    // Minimised: 0 x 0 builds nothing; restored at the same size, nothing changes either.
    u32* const pixels = window->pixels;
    const u32 presents = headless::ExtraWindowPresentCount(window);
    headless::PostExtraWindowSize(window, 0, 0, true);
    UpdateExtraWindows();
    headless::PostExtraWindowSize(window, 64, 48, false);
    UpdateExtraWindows();
    headless::PostExtraWindowSize(window, 0, 48, false);
    UpdateExtraWindows();
    EXPECT_EQ(window->pixels, pixels);
    EXPECT_EQ(window->width, 64u);
    EXPECT_EQ(window->appliedHeight, 48u);
    EXPECT_EQ(headless::ExtraWindowPresentCount(window), presents + 3); // only the updates presented
}

TEST_F(ExtraWindowsTest, WheelOverAWindowLandsInSlots126And127)
{
    ExtraWindow* window = Open();
    ASSERT_NE(window, nullptr);
    struct Case {
        i32 delta;
        int slot;
    };
    for (const Case c : {Case{120, 126}, Case{0, 126}, Case{-120, 127}}) {
        headless::PostExtraWindowWheel(window, c.delta);
        Tick(); // the message is dispatched after the tick's poll
        EXPECT_EQ(ButtonState(PlanePressed, 126), 0) << c.delta;
        EXPECT_EQ(ButtonState(PlanePressed, 127), 0) << c.delta;
        Tick();
        EXPECT_EQ(ButtonState(PlanePressed, c.slot), 1) << c.delta;
        EXPECT_EQ(ButtonState(PlanePressed, 253 - c.slot), 0) << c.delta;
    }
}

} // namespace
