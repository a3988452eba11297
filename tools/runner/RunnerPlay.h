// The runner's play features: key scripts, starting a stage of the game by its name, and the
// per-tick trace of player 1 as CSV.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

// A key going down or up before the poll of a tick.
struct KeyEvent {
    u32 tick;
    int slot; // keyboard scan code, 0-125
    bool down;
};

// Reads a key script: "TICK SLOT down|up" lines, and "FROM-TO SLOT" lines that hold the key over
// ticks FROM to TO inclusive. Blank lines and lines starting with '#' are skipped. The events come
// back ordered by tick, lines of the same tick in file order. False (after printing the file, the
// line and what was wrong) on an unreadable file or a bad line.
bool ReadKeyScript(const char* path, std::vector<KeyEvent>* events);

// Asks for the registered stage of exactly that name at the next tick (through pendingStage). False,
// after printing the names there are, when no stage has it. Call after the game's set-up.
bool RequestStageNamed(const char* name);

// Opens the trace file and writes its header line. False when it cannot be written.
bool OpenPlayerTrace(const std::string& path);
// One row of the trace for the tick that just ran: player 1's state and body, or an "absent" row
// while no player is spawned; then the player's invulnerable count and lives, vanquishedCount, the
// live enemies (instances of update-pass-2 types) and bones ("Collect"), and the position and hit
// points of the live enemy nearest the player; the whip; the bones carried and picked up and the
// checkpoint; and camera 0's scroll (scrollX, scrollY: the world position of the frame's top-left
// corner). Nothing when no trace is open.
void WritePlayerTraceRow(u32 tick);
// Sets the lives of the four players' progress records (the game starts them at 3).
void SetPlayerLives(u8 lives);
// Test tools for the enemy runs.
// Watches instance INDEX (default 0) of the actor type named NAME ("NAME" or "NAME:INDEX"): the
// trace gains the columns "<spec>.count" (the type's live instances), ".alive", ".state", ".x",
// ".y", ".vx", ".vy", ".hp", ".flipX", ".anim" and ".frame" (empty while the instance is not
// alive). Call before OpenPlayerTrace. False on a bad spec.
bool AddTraceWatch(const char* spec);
// Puts player 1 at (x, y), at rest, after the first tick on which it is spawned: a run can start next
// to what it tests instead of walking there.
void SetPlayerStartAt(f32 x, f32 y);
// Called after each tick: does the move SetPlayerStartAt asked for, once.
void ApplyPlayerStartAt();
// Closes the trace; false when a write failed along the way.
bool ClosePlayerTrace();
