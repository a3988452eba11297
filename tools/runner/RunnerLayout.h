// The runner's layout scene: a stage of its own that loads a stage layout, shows every one of its
// layers and pans camera 0 across it, so the layer drawers can be looked at in a frame and locked
// by its checksum.
#pragma once

// Asks for the layout stage at the next tick; the layout at path (relative to the data folder) is
// loaded by the stage's load handler.
void StartLayoutStage(const char* path);
