// What the debug windows' test program asks of the Win32 backend, in plain types: where a window
// shows, and the messages a person would cause with the mouse (close button, moving, resizing,
// minimising, the wheel, dragging an edge). Built into that program only.
#pragma once
#include <cstddef>

#include "Engine/Common/Types.h"

struct ExtraWindow;

// The client area of the record's window in screen pixels; false without a window.
bool ExtraWindowClientArea(const ExtraWindow* window, i32* left, i32* top, i32* width, i32* height);
// Whether a window handle taken from a record still names a window.
bool ExtraWindowHandleAlive(void* handle);
// The close button's message, posted.
void PostExtraWindowClose(const ExtraWindow* window);
// Moves the window so its outer top-left corner is at (x, y); its size stays.
void MoveExtraWindow(const ExtraWindow* window, i32 x, i32 y);
// Gives the window a client area of width x height.
void ResizeExtraWindowClient(const ExtraWindow* window, u32 width, u32 height);
// Minimises the window, or brings it back without activating it.
void MinimizeExtraWindow(const ExtraWindow* window, bool minimize);
// A wheel turn, posted as the system posts it to the focus window.
void PostExtraWindowWheel(const ExtraWindow* window, i32 delta);
// Sends the sizing message for a drag of `edge` with the outer rectangle {left, top, right,
// bottom}, and reads back what the procedure made of it.
void SendExtraWindowSizing(const ExtraWindow* window, int edge, i32 rect[4]);
// The frame and caption metrics the procedure sizes with.
void ExtraWindowMetrics(i32* frameWidth, i32* frameHeight, i32* caption);
// The DirectDraw error reporter's text for a result code.
void DirectDrawErrorText(u32 code, char* text, size_t size);
