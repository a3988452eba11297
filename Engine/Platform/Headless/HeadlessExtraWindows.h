// The auxiliary windows of the headless backend: windows in memory, whose messages tests post and
// the game thread's message step dispatches, one a step, as on Windows.
#pragma once
#include <vector>

#include "Engine/Common/Types.h"

struct ExtraWindow;

namespace headless {

// Messages to a window, waiting for the game thread's message step.
void PostExtraWindowClose(ExtraWindow* window);
void PostExtraWindowSize(ExtraWindow* window, u32 width, u32 height, bool minimized);
void PostExtraWindowActivate(ExtraWindow* window, u8 state);
void PostExtraWindowWheel(ExtraWindow* window, i32 delta);
size_t PendingExtraWindowMessages();

// The next window creations fail (true) or succeed again (false).
void FailExtraWindowCreation(bool fail);

// What a window's display shows: the pixels of its last present, their size, and how many presents
// it had. Null when the record has no display.
const std::vector<u32>* ExtraWindowPicture(const ExtraWindow* window, u32* width, u32* height);
u32 ExtraWindowPresentCount(const ExtraWindow* window);

// Displays made and not yet destroyed, over all windows.
int LiveExtraWindowDisplays();

// Drops every pending message and forgets the failure switch (for tests run one after another).
void ResetExtraWindows();

} // namespace headless
