// The checkpoint: the first touch makes it the player's respawn point, sets it turning and heals
// the player by one point (to at most 5) with a sound and the bonus text.
#pragma once
#include "Engine/Common/Anim.h"
#include "Engine/Common/ObjectType.h"

struct CheckpointRecord {
    ObjectHeader* header;
    AnimPlayer anim;
    u8 activated; // 1 for good once touched
};

extern ObjectType Checkpoint;
extern CheckpointRecord** checkpointInstances;
extern AnimSet checkpointAnimSet;

void CheckpointLoad(const char* placementPath);
void CheckpointUnload();
void CheckpointInit(void* instance);
void CheckpointReset(void* instance);
void CheckpointUpdate(void* instance);
void CheckpointLateUpdate(void* instance);
void CheckpointDraw(void* instance);
void CheckpointEditorPreview(void* cursor);
void CheckpointEditorPlace(void* cursor);
bool CheckpointTouch(void* checkpoint, void* player);
