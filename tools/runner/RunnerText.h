// The runner's text scene: a stage of its own that shows a Braktext file in a box, and beside it
// the menu font and the dev font at each alignment around a guide line, with numbers, so the fonts
// can be looked at in a frame and locked by its checksum.
#pragma once

// Asks for the text stage at the next tick; the file is loaded by the stage's load handler.
void StartTextStage(const char* path);
