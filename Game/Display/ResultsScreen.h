// The stage results card: a heading (all bones, all enemies, or a defeat) and four lines of
// statistics that rise from below while a Fade darkens the play to half, crawl across the centre,
// then fly off the top as the darkening clears. Its motion lives in its Draw.
#pragma once
#include "Engine/Common/ObjectType.h"

struct ResultsScreenRecord {
    ObjectHeader* header; // spawn byte A picks the heading; y and vy move the card
    i32 bonesCollected;
    i32 bonesTotal;
    i32 enemiesVanquished;
    i32 enemiesTotal;
    i32 seconds; // 0-59
    i32 minutes;
    u32 fadeIndex; // the Fade this card darkens the play with
};

// Headings by spawn byte A; any other value shows the lines alone.
enum : u8 {
    ResultsAllBones = 0,
    ResultsAllEnemies = 1,
    ResultsDied = 2,
};

extern ObjectType ResultsScreen;
extern ResultsScreenRecord** resultsScreenInstances;

void ResultsScreenLoad(const char* placementPath);
void ResultsScreenUnload();
void ResultsScreenInit(void* instance);
void ResultsScreenDraw(void* instance);

// The heading of a spawn byte, or null.
const char* ResultsHeading(u8 kind);
