#include "Game/Stages/GameplayStages.h"

#include <cstdio>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Input.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Display/Card.h"
#include "Game/Display/Fade.h"
#include "Game/Display/Hud.h"
#include "Game/Display/InputConfigMenu.h"
#include "Game/Display/PauseMenu.h"
#include "Game/Display/ResultsScreen.h"
#include "Game/Display/TitleMenu.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/BasicEnemy.h"
#include "Game/Enemies/Byu.h"
#include "Game/Enemies/CandleHead.h"
#include "Game/Enemies/Draven.h"
#include "Game/Enemies/Froacker.h"
#include "Game/Enemies/HaystackKing.h"
#include "Game/Enemies/Orb.h"
#include "Game/Enemies/Projectile.h"
#include "Game/Enemies/YardSlayer.h"
#include "Game/Objects/ObjectNoOp.h"
#include "Game/Player/Player.h"
#include "Game/Stages/StageRegistry.h"
#include "Game/Stages/StageSettings.h"
#include "Game/World/Bonus.h"
#include "Game/World/BreakWall.h"
#include "Game/World/Checkpoint.h"
#include "Game/World/Collect.h"
#include "Game/World/Corn.h"
#include "Game/World/ParaSprite.h"
#include "Game/World/Platform.h"
#include "Game/World/Signs.h"
#include "Game/World/Wagon.h"
#include "Game/Whip/Whip.h"

i32 stageBonesTotal;
i32 stageEnemiesTotal;
i32 stageSeconds;
i32 stageMinutes;
u8 bonesCardRaised;
u8 enemiesCardRaised;
u8 graveyardExitTaken;

namespace {

u32 graveyardMusic, village1Music, bossRushMusic, boneZoneMusic, testMusic;

// What the load handlers tell the objects about the layout's layers.
struct StageLayers {
    u32 collisionLayer;
    u8 collisionLayerTable[4];
    u8 playerStageSetting;
    u8 breakWallLayers[4];
    bool writesBreakWallLayers;
};

constexpr StageLayers graveyardLayers{11, {11, 12, 11, 12}, 10, {10, 10, 11, 12}, true};
constexpr StageLayers villageLayers{8, {8, 9, 8, 9}, 7, {7, 7, 8, 9}, true};
constexpr StageLayers bossRushLayers{4, {4, 5, 4, 5}, 3, {}, false};
constexpr StageLayers testLayers{4, {4, 5, 4, 5}, 3, {3, 3, 4, 5}, true};

// The Bone Zone is laid out like the Graveyard.
constexpr const StageLayers& boneZoneLayers = graveyardLayers;

// A placement file in a stage's Objects folder ("%s/%s"), or null without a folder.
[[maybe_unused]] const char* ObjectsFile(const char* folder, const char* name)
{
    static char path[512];
    if (!folder)
        return nullptr;
    snprintf(path, sizeof(path), "%s/%s", folder, name);
    return path;
}

// Takes the stage's layout and makes it the current one.
void LoadStageLayout(Stage* stage, const char* path)
{
    stage->layoutSlot = LoadLayout(path);
    currentLayoutSlot = stage->layoutSlot;
    currentLayout = LayoutInSlot(stage->layoutSlot);
}

void WriteStageLayers(const StageLayers& layers)
{
    for (int i = 0; i < 4; ++i)
        collisionLayerTable[i] = layers.collisionLayerTable[i];
    stageCollisionLayer = layers.collisionLayer;
    playerStageSetting = layers.playerStageSetting;
    // A stage that names no break layers must not shatter in the last stage's layer numbers.
    for (int i = 0; i < 4; ++i)
        breakWallLayers[i] = layers.writesBreakWallLayers ? layers.breakWallLayers[i] : 255;
}

// Visible flags of layers first..last; a layout with fewer layers keeps what it has.
void SetLayersVisible(u32 first, u32 last, u8 visible)
{
    if (!currentLayout)
        return;
    for (u32 i = first; i <= last && i < currentLayout->layerCount; ++i)
        currentLayout->layers[i].visible = visible;
}

// Spawns and hands back the new instance, or null when the spawn was refused.
void* Spawn(ObjectType* type, f32 x, f32 y, u8 spawnA, u8 spawnB)
{
    lastSpawnedInstance = nullptr;
    SpawnObject(type, x, y, spawnA, spawnB);
    return lastSpawnedInstance;
}

// The two bands of far hills of the Graveyard and The Bone Zone, each with its own parallax and blend.
void SpawnParaSprites()
{
    struct Band {
        f32 y;
        u8 layer;
        f64 parallaxX;
        u8 flash;
    };
    static constexpr Band bands[] = {{144.0f, 1, 0.82, 112}, {176.0f, 2, 0.74, 144}};
    for (const Band& band : bands) {
        ParaSpriteRecord* sprite = (ParaSpriteRecord*)Spawn(&ParaSprite, 64.0f, band.y, band.layer, 0);
        if (!sprite)
            continue;
        sprite->parallaxX = band.parallaxX;
        sprite->parallaxY = 0.9685;
        sprite->header->flash = band.flash;
    }
}

void ResetScroll()
{
    cameraScrollX[0] = cameraScrollY[0] = 0;
    scrollX = scrollY = 0;
}

void FinishUnload(Stage* stage)
{
    stage->started = 0;
    stage->loaded = 0;
}

} // namespace

// ---- shared by every gameplay stage ----------------------------------------------------------------

void LoadSharedObjectTypes(const char* folder)
{
    FadeLoad(nullptr);
    CollectLoad(ObjectsFile(folder, "Collect.bin"));
    CheckpointLoad(ObjectsFile(folder, "Checkpoint.bin"));
    ExplosionLoad(nullptr);
    FXLoad(nullptr);
    GibletsLoad(nullptr);
    BreakWallLoad(ObjectsFile(folder, "BreakWall.bin"));
    PlatformLoad(ObjectsFile(folder, "Platform.bin"));
    WhipLoad(nullptr);
    BonusLoad(nullptr);
}

void UnloadSharedObjectTypes()
{
    FadeUnload();
    CollectUnload();
    CheckpointUnload();
    ExplosionUnload();
    FXUnload();
    GibletsUnload();
    BreakWallUnload();
    PlatformUnload();
    WhipUnload();
    BonusUnload();
}

void GameplayStageFrame()
{
    ClearAttackBoxes();
    UpdateObjects();
}

// ---- Graveyard --------------------------------------------------------------------------------------

void GraveyardStageLoad()
{
    const char* objects = "Data/Stages/Graveyard/Objects";
    LoadStageLayout(&graveyardStage, "Data/Stages/Graveyard/layout1.bin");
    WriteStageLayers(graveyardLayers);
    SetLayersVisible(0, 10, 1);
    SetLayersVisible(6, 6, 0);
    SetLayersVisible(8, 8, 0);
    ClearActorTypeList();

    HUDLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr);
    ResultsScreenLoad(nullptr);
    CardLoad(nullptr);
    HaystackKingLoad(nullptr);
    LoadSharedObjectTypes(objects);
    ParaSpriteLoad(nullptr);
    TutTxtLoad(ObjectsFile(objects, "Info.bin"));
    AudreyLoad(ObjectsFile(objects, "Audrey.bin"));
    FroackerLoad(ObjectsFile(objects, "Froacker.bin"));
    ProjectileLoad(nullptr);
    DravenLoad(ObjectsFile(objects, "Draven.bin"));
    YardSlayerLoad(ObjectsFile(objects, "YardSlayer.bin"));
    PlayerLoad(nullptr);
    HazardLoad(nullptr);

    graveyardMusic = LoadMusic("Data/Music/Graveyard.ogg", 0, 769565);
    graveyardStage.loaded = 1;
}

void GraveyardStageStart()
{
    tileStrikeHandler = ObjectNoOp;
    graveyardExitTaken = 0;
    Spawn(&Player, 272.0f, 1392.0f, 0, 0);
    SpawnParaSprites();
    Spawn(&HUD, 0.0f, 0.0f, 0, 0);
    Spawn(&Fade, 0.0f, 0.0f, FadeIn, 16);
    Spawn(&Card, 0.0f, 0.0f, 2, 3);
    ResetScroll();
    PlayMusic(graveyardMusic);
    cameraLimits[0].topBound = 896;
    cameraLimits[0].topTarget = 896;
    graveyardStage.started = 1;
}

void GraveyardStageFrame()
{
    ClearAttackBoxes();
    UpdateObjects();

    // The top exit: once the player has climbed out over the top bound, one fade to Village 1.
    // The test keeps ending the frame while the player stays up there, but fires only once a run.
    PlayerRecord* player = FirstPlayer();
    if (!player || !player->header || !player->header->alive)
        return;
    if ((f32)(cameraLimits[0].topBound - 16) > player->header->y) {
        if (!graveyardExitTaken) {
            FadeRecord* fade = (FadeRecord*)Spawn(&Fade, 0.0f, 0.0f, FadeOutToStage, 4);
            if (fade) {
                fade->targetStage = &village1Stage;
                player->state = nullptr;
                graveyardExitTaken = 1;
            }
        }
        return;
    }

    // Start pauses. The first press spawns the menu; from then on the menu opens itself. Its own
    // open test runs before this one, but on the tick it slides shut it clears pauseMenuOpen after
    // that test: a Start then must not make a second menu beside it.
    if (PauseRequested() && PauseMenu.liveCount == 0) {
        pauseMenuOpen = 1;
        SpawnObject(&PauseMenu, 0.0f, 0.0f, 0, 0);
    }
}

void GraveyardStageUnload()
{
    FreeLayout(graveyardStage.layoutSlot);
    HUDUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    ResultsScreenUnload();
    CardUnload();
    HaystackKingUnload();
    UnloadSharedObjectTypes();
    ParaSpriteUnload();
    TutTxtUnload();
    ProjectileUnload();
    AudreyUnload();
    FroackerUnload();
    DravenUnload();
    YardSlayerUnload();
    PlayerUnload();
    HazardUnload();
    FreeMusic(graveyardMusic);
    tileStrikeHandler = nullptr;
    FinishUnload(&graveyardStage);
}

// ---- Village 1 --------------------------------------------------------------------------------------

void Village1StageLoad()
{
    const char* objects = "Data/Stages/Village/Objects";
    LoadStageLayout(&village1Stage, "Data/Stages/Village/layout1.bin");
    WriteStageLayers(villageLayers);
    SetLayersVisible(0, 7, 1);
    ClearActorTypeList();

    HUDLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr);
    CardLoad(nullptr);
    TestTextLoad(nullptr);
    LoadSharedObjectTypes(objects);
    CornLoad(ObjectsFile(objects, "Corn.bin"));
    WagonLoad(ObjectsFile(objects, "Wagon.bin"));
    HaystackKingLoad(ObjectsFile(objects, "HaystackKing.bin"));
    ProjectileLoad(nullptr);
    AudreyLoad(ObjectsFile(objects, "Audrey.bin"));
    FroackerLoad(ObjectsFile(objects, "Froacker.bin"));
    DravenLoad(ObjectsFile(objects, "Draven.bin"));
    YardSlayerLoad(ObjectsFile(objects, "YardSlayer.bin"));
    CandleHeadLoad(ObjectsFile(objects, "CandleHead.bin"));
    PlayerLoad(nullptr);
    HazardLoad(nullptr);

    village1Music = LoadMusic("Data/Music/Village1.ogg", 0, 183397);
    village1Stage.loaded = 1;
}

void Village1StageStart()
{
    tileStrikeHandler = ObjectNoOp;
    Spawn(&PauseMenu, 0.0f, 0.0f, 0, 0);
    Spawn(&Player, 64.0f, 700.0f, 0, 0);
    Spawn(&HUD, 0.0f, 0.0f, 0, 0);
    Spawn(&Card, 0.0f, 0.0f, 4, 5);
    Spawn(&Fade, 0.0f, 0.0f, FadeIn, 16);
    ResetScroll();
    PlayMusic(village1Music);
    // The boss's ending asks for this stage's music again.
    bossReturnMusic = village1Music;
    village1Stage.started = 1;
}

void Village1StageUnload()
{
    FreeLayout(village1Stage.layoutSlot);
    HUDUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    CardUnload();
    TestTextUnload();
    UnloadSharedObjectTypes();
    CornUnload();
    WagonUnload();
    HaystackKingUnload();
    ProjectileUnload();
    AudreyUnload();
    FroackerUnload();
    DravenUnload();
    YardSlayerUnload();
    CandleHeadUnload();
    PlayerUnload();
    HazardUnload();
    FreeMusic(village1Music);
    bossReturnMusic = noReturnMusic;
    tileStrikeHandler = nullptr;
    FinishUnload(&village1Stage);
}

// ---- Boss Rush --------------------------------------------------------------------------------------

void BossRushStageLoad()
{
    const char* objects = "Data/Stages/BossRush/Objects";
    LoadStageLayout(&bossRushStage, "Data/Stages/BossRush/layout1.bin");
    WriteStageLayers(bossRushLayers);
    SetLayersVisible(0, 0, 1);
    SetLayersVisible(2, 3, 1);
    ClearActorTypeList();

    HUDLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr);
    LoadSharedObjectTypes(objects);
    HaystackKingLoad(nullptr);
    PlayerLoad(nullptr);
    HazardLoad(nullptr);

    bossRushMusic = LoadMusic("Data/Music/Blank.ogg", 0, 0);
    bossRushStage.loaded = 1;
}

void BossRushStageStart()
{
    Spawn(&Player, 340.0f, 240.0f, 0, 0);
    Spawn(&HUD, 0.0f, 0.0f, 0, 0);
    Spawn(&HaystackKing, 32.0f, 0.0f, KingController, 0);
    cameraLimits[0].rightTarget = (i32)((f32)screenWidth * 1.5f + 32.0f);
    cameraLimits[0].bottomTarget = screenHeight * 2 - 8;
    Spawn(&Fade, 0.0f, 0.0f, FadeIn, 16);
    ResetScroll();
    PlayMusic(bossRushMusic);
    // No Village 1 music here: the boss's ending asks for this stage's own again.
    bossReturnMusic = bossRushMusic;
    bossRushStage.started = 1;
}

void BossRushStageUnload()
{
    FreeLayout(bossRushStage.layoutSlot);
    HUDUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    UnloadSharedObjectTypes();
    HaystackKingUnload();
    PlayerUnload();
    HazardUnload();
    FreeMusic(bossRushMusic);
    bossReturnMusic = noReturnMusic;
    FinishUnload(&bossRushStage);
}

// ---- The Bone Zone ----------------------------------------------------------------------------------

void BoneZoneStageLoad()
{
    const char* objects = "Data/Stages/BoneZone/Objects";
    LoadStageLayout(&boneZoneStage, "Data/Stages/BoneZone/layout1.bin");
    WriteStageLayers(boneZoneLayers);
    SetLayersVisible(0, 10, 1);
    SetLayersVisible(6, 6, 0);
    SetLayersVisible(8, 8, 0);
    // The actor type list is emptied by the start handler here, after the types are in.

    TitleMenuLoad(nullptr);
    HUDLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr);
    ResultsScreenLoad(nullptr);
    CardLoad(nullptr);
    LoadSharedObjectTypes(objects);
    ParaSpriteLoad(nullptr);
    AudreyLoad(ObjectsFile(objects, "Audrey.bin"));
    FroackerLoad(ObjectsFile(objects, "Froacker.bin"));
    ProjectileLoad(nullptr);
    DravenLoad(ObjectsFile(objects, "Draven.bin"));
    YardSlayerLoad(ObjectsFile(objects, "YardSlayer.bin"));
    PlayerLoad(nullptr);
    HazardLoad(nullptr);

    boneZoneMusic = LoadMusic("Data/Music/BoneZone.ogg", 0, 769565);
    boneZoneStage.loaded = 1;
}

namespace {

// What the results cards compare against: the enemies (the types of update pass 2) and the placed
// bones that are live when the run starts.
void CountBoneZoneTotals()
{
    stageEnemiesTotal = 0;
    for (u32 slot = 0; objectTypes && slot < objectTypeCapacity; ++slot) {
        const ObjectType* type = objectTypes[slot];
        if (!type || !type->loadCount || type->updatePass != 2)
            continue;
        stageEnemiesTotal += (i32)type->liveCount;
        FormatDebugText("Value: %d", stageEnemiesTotal);
    }
    FormatDebugText("TOTAL ENEMY COUNT: %d", stageEnemiesTotal);
    stageBonesTotal = (i32)Collect.liveCount;
}

} // namespace

namespace {

void RaiseResultsCard(u8 kind, const PlayerRecord* player)
{
    ResultsScreenRecord* card = (ResultsScreenRecord*)Spawn(&ResultsScreen, 0.0f, 0.0f, kind, 0);
    if (!card)
        return;
    card->bonesCollected = player ? (i32)player->bonesCollected : 0;
    card->bonesTotal = stageBonesTotal;
    card->enemiesVanquished = (i32)vanquishedCount;
    card->enemiesTotal = stageEnemiesTotal;
    card->seconds = stageSeconds;
    card->minutes = stageMinutes;
}

// One card at a time: none is raised while the pool's first card is showing. The bones and the
// enemies cards come once a run, the defeat card whenever the player lies defeated.
void RaiseResultsCards()
{
    if (!ResultsScreen.registered || !ResultsScreen.pool || !ResultsScreen.poolSize || !ResultsScreen.pool[0]->free)
        return;
    const PlayerRecord* player = FirstPlayer();
    const i32 bones = player ? (i32)player->bonesCollected : 0;
    if (bones >= stageBonesTotal && bones > 0 && !bonesCardRaised) {
        RaiseResultsCard(ResultsAllBones, player);
        bonesCardRaised = 1;
    }
    if ((i32)vanquishedCount >= stageEnemiesTotal && (i32)vanquishedCount > 0 && !enemiesCardRaised) {
        RaiseResultsCard(ResultsAllEnemies, player);
        enemiesCardRaised = 1;
    }
    if (player && player->state == PlayerStateDefeated)
        RaiseResultsCard(ResultsDied, player);
}

} // namespace

void BoneZoneStageStart()
{
    Spawn(&PauseMenu, 0.0f, 0.0f, 0, 0);
    // A restart must leave exactly one player.
    ResetObjectInstances(&Player);
    if (PlayerRecord* player = (PlayerRecord*)Spawn(&Player, 272.0f, 1416.0f, 0, 0))
        player->header->vy = -8.0f;
    SpawnParaSprites();
    Spawn(&Card, 0.0f, 0.0f, 0, 1);
    Spawn(&HUD, 0.0f, 0.0f, 0, 0);
    Spawn(&Fade, 0.0f, 0.0f, FadeIn, 16);
    ResetScroll();
    stageMinutes = 0;
    stageSeconds = 0;
    ClearActorTypeList();
    PlayMusic(boneZoneMusic);
    CountBoneZoneTotals();
    bonesCardRaised = 0;
    enemiesCardRaised = 0;
    boneZoneStage.started = 1;
}

void BoneZoneStageFrame()
{
    constexpr int keyF = 33;
    if (ButtonState(PlanePressed, keyF))
        QueueSound(10);

    ClearAttackBoxes();
    UpdateObjects();

    RaiseResultsCards();

    // The clock runs on demoSeed, which stands still while the game is paused.
    if (demoSeed % 60 == 0) {
        ++stageSeconds;
        if (stageSeconds == 60) {
            ++stageMinutes;
            stageSeconds = 0;
        }
    }
}

void BoneZoneStageUnload()
{
    FreeLayout(boneZoneStage.layoutSlot);
    TitleMenuUnload();
    HUDUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    ResultsScreenUnload();
    CardUnload();
    UnloadSharedObjectTypes();
    ParaSpriteUnload();
    ProjectileUnload();
    AudreyUnload();
    FroackerUnload();
    DravenUnload();
    YardSlayerUnload();
    PlayerUnload();
    HazardUnload();
    FreeMusic(boneZoneMusic);
    FinishUnload(&boneZoneStage);
}

// ---- Test -------------------------------------------------------------------------------------------

void TestStageLoad()
{
    const char* objects = "Data/Stages/Test/Objects";
    LoadStageLayout(&testStage, "Data/Stages/Test/layout1.bin");
    WriteStageLayers(testLayers);
    SetLayersVisible(0, 0, 1);
    SetLayersVisible(2, 3, 1);

    HUDLoad(nullptr);
    PauseMenuLoad(nullptr);
    InputConfigMenuLoad(nullptr);
    LoadSharedObjectTypes(objects);
    ProjectileLoad(nullptr);
    AudreyLoad(ObjectsFile(objects, "Audrey.bin"));
    FroackerLoad(ObjectsFile(objects, "Froacker.bin"));
    DravenLoad(ObjectsFile(objects, "Draven.bin"));
    YardSlayerLoad(ObjectsFile(objects, "YardSlayer.bin"));
    CandleHeadLoad(ObjectsFile(objects, "CandleHead.bin"));
    BasicEnemyLoad(nullptr);
    OrbLoad(nullptr);
    ByuLoad(nullptr);
    PlayerLoad(nullptr);
    HazardLoad(nullptr);
    // Here the list is emptied after the types are in.
    ClearActorTypeList();

    testMusic = LoadMusic("Data/Music/Test.ogg", 0, 0);
    testStage.loaded = 1;
}

void TestStageStart()
{
    Spawn(&Player, 64.0f, 700.0f, 0, 0);
    Spawn(&Fade, 0.0f, 0.0f, FadeIn, 16);
    ResetScroll();
    PlayMusic(testMusic);
    testStage.started = 1;
}

void TestStageUnload()
{
    FreeLayout(testStage.layoutSlot);
    HUDUnload();
    PauseMenuUnload();
    InputConfigMenuUnload();
    UnloadSharedObjectTypes();
    ProjectileUnload();
    AudreyUnload();
    FroackerUnload();
    DravenUnload();
    YardSlayerUnload();
    CandleHeadUnload();
    BasicEnemyUnload();
    OrbUnload();
    ByuUnload();
    PlayerUnload();
    HazardUnload();
    FreeMusic(testMusic);
    FinishUnload(&testStage);
}
