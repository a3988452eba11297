// The runner's object scene: a stage of its own that places markers, a small object type made for
// tests (not part of the game), from a placement file written by the data kit, and updates and draws
// them every tick.
#pragma once

// Writes the markers' placement file at path (see RunnerObjects.cpp for the scene) and asks for the
// markers' stage at the next tick. False when the file cannot be written.
bool StartMarkerStage(const char* path);
