// Controls of the headless backend: a virtual clock, scripted keys and box answers, and the last
// presented picture. Tests and the runner drive the game through these; no window or device exists.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"
#include "Engine/Platform/Platform.h"

namespace headless {

// The virtual performance counter runs at this many counts a second.
constexpr i64 counterFrequency = 6000000;

// The virtual clock; PerfCounter and MilliTime read it, SleepMs advances it.
void SetCounter(i64 counter);
i64 Counter();
void AdvanceMs(u32 milliseconds);
// Pretend there is no performance counter (the millisecond clock is used instead).
void SetHasPerformanceCounter(bool has);

// Keys reported by the next PollKeys calls (slots 0-125); all up at first.
void SetKey(int slot, bool down);
void ReleaseAllKeys();

// Pads reported by the pad calls; none at first. SetXPad with null unplugs user index 0-3.
void SetXPad(int user, const XPadState* state);
// count DirectInput-class pads (at most 16), at rest until set; excluded XInput pads.
void SetDirectPads(int count, int excludedXInputPads);
void SetDirectPad(int index, const DPadState& state);
// What the next reads of a DirectInput-class pad report (DirectPadOk at first).
void SetDirectPadRead(int index, DirectPadRead read);
// How many times each DirectInput-class pad was read.
int DirectPadReadCount(int index);

// Answer given to every Yes/No box from now on (BoxAnswerNo at first); every box shown is logged.
void SetBoxAnswer(int answer);
struct ShownBox {
    std::string text, caption;
    u32 flags;
};
const std::vector<ShownBox>& ShownBoxes();
void ClearShownBoxes();

// The next PresentPixels calls return these results in order, then PresentOk again.
void QueuePresentResults(const std::vector<PresentResult>& results);
int RecoverCount();

// The last picture handed to PresentPixels, and the window and device state.
const std::vector<u32>& LastPresented();
u32 LastPresentedWidth();
u32 LastPresentedHeight();
u32 PresentCount();
u32 WindowClientWidth();
u32 WindowClientHeight();
bool WindowFullscreen();
bool DeviceLinear();
bool CursorVisible();
u32 SleptMs();

// Back to the state of a fresh process (for tests that run one after another).
void Reset();

} // namespace headless
