// The auxiliary windows' hooks into the SDL backend's pump. Main thread only.
#pragma once

union SDL_Event;

// Takes the events that belong to an auxiliary window (its window events and the wheel over it)
// and returns true; false for every other event, which the pump handles as before. Keys typed into
// an auxiliary window are left to the pump, as the keyboard is read whatever window has the focus.
bool SdlExtraWindowEvent(const SDL_Event& event);

// Destroys the windows whose records were freed while the main thread no longer served (shutdown).
void SdlDestroyExtraWindows();
