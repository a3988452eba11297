#include "Game/Stages/GameplayStages.h"

#include <algorithm>
#include <cstdio>
#include <span>

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
#include "Game/Actors/StageSettings.h"
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
#include "Game/Player/Player.h"
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

// ---- the tables ------------------------------------------------------------------------------------

// An object type's Load and Unload.
struct TypeCalls {
    void (*load)(const char* placementPath);
    void (*unload)();
};

// One row of a load table: a type, and what its Load is given: the name of its placement file in
// the stage's Objects folder, null for none, or wholeFolder.
struct TypeRow {
    TypeCalls type;
    const char* file = nullptr;
};

// The file of the shared set's row: the set is given the Objects folder and names its own files.
constexpr char wholeFolder[] = "(the Objects folder)";

// The load tables, and the types they name (by room: Display, World, Enemies, then Whip, Player
// and Actors).
namespace types {

constexpr TypeCalls hud{HUDLoad, HUDUnload};
constexpr TypeCalls pauseMenu{PauseMenuLoad, PauseMenuUnload};
constexpr TypeCalls inputConfigMenu{InputConfigMenuLoad, InputConfigMenuUnload};
constexpr TypeCalls resultsScreen{ResultsScreenLoad, ResultsScreenUnload};
constexpr TypeCalls card{CardLoad, CardUnload};
constexpr TypeCalls titleMenu{TitleMenuLoad, TitleMenuUnload};
constexpr TypeCalls fade{FadeLoad, FadeUnload};

constexpr TypeCalls collect{CollectLoad, CollectUnload};
constexpr TypeCalls checkpoint{CheckpointLoad, CheckpointUnload};
constexpr TypeCalls breakWall{BreakWallLoad, BreakWallUnload};
constexpr TypeCalls platform{PlatformLoad, PlatformUnload};
constexpr TypeCalls bonus{BonusLoad, BonusUnload};
constexpr TypeCalls paraSprite{ParaSpriteLoad, ParaSpriteUnload};
constexpr TypeCalls tutTxt{TutTxtLoad, TutTxtUnload};
constexpr TypeCalls testText{TestTextLoad, TestTextUnload};
constexpr TypeCalls corn{CornLoad, CornUnload};
constexpr TypeCalls wagon{WagonLoad, WagonUnload};

constexpr TypeCalls haystackKing{HaystackKingLoad, HaystackKingUnload};
constexpr TypeCalls projectile{ProjectileLoad, ProjectileUnload};
constexpr TypeCalls audrey{AudreyLoad, AudreyUnload};
constexpr TypeCalls froacker{FroackerLoad, FroackerUnload};
constexpr TypeCalls draven{DravenLoad, DravenUnload};
constexpr TypeCalls yardSlayer{YardSlayerLoad, YardSlayerUnload};
constexpr TypeCalls candleHead{CandleHeadLoad, CandleHeadUnload};
constexpr TypeCalls basicEnemy{BasicEnemyLoad, BasicEnemyUnload};
constexpr TypeCalls orb{OrbLoad, OrbUnload};
constexpr TypeCalls byu{ByuLoad, ByuUnload};

constexpr TypeCalls whip{WhipLoad, WhipUnload};
constexpr TypeCalls player{PlayerLoad, PlayerUnload};
constexpr TypeCalls explosion{ExplosionLoad, ExplosionUnload};
constexpr TypeCalls fx{FXLoad, FXUnload};
constexpr TypeCalls giblets{GibletsLoad, GibletsUnload};
constexpr TypeCalls hazard{HazardLoad, HazardUnload};

// The types every gameplay stage has, in load order (also their unload order).
constexpr TypeRow sharedSet[] = {
    {fade}, {collect, "Collect.bin"}, {checkpoint, "Checkpoint.bin"}, {explosion}, {fx}, {giblets},
    {breakWall, "BreakWall.bin"}, {platform, "Platform.bin"}, {whip}, {bonus},
};

constexpr TypeRow shared{{LoadSharedObjectTypes, UnloadSharedObjectTypes}, wholeFolder};

// Each stage's types in load order: the order in which they take registry slots, and so their
// order within an update pass and a draw layer.
constexpr TypeRow graveyard[] = {
    {hud}, {pauseMenu}, {inputConfigMenu}, {resultsScreen}, {card}, {haystackKing}, shared, {paraSprite},
    {tutTxt, "Info.bin"}, {audrey, "Audrey.bin"}, {froacker, "Froacker.bin"}, {projectile},
    {draven, "Draven.bin"}, {yardSlayer, "YardSlayer.bin"}, {player}, {hazard},
};

constexpr TypeRow village1[] = {
    {hud}, {pauseMenu}, {inputConfigMenu}, {card}, {testText}, shared, {corn, "Corn.bin"}, {wagon, "Wagon.bin"},
    {haystackKing, "HaystackKing.bin"}, {projectile}, {audrey, "Audrey.bin"}, {froacker, "Froacker.bin"},
    {draven, "Draven.bin"}, {yardSlayer, "YardSlayer.bin"}, {candleHead, "CandleHead.bin"}, {player}, {hazard},
};

constexpr TypeRow bossRush[] = {
    {hud}, {pauseMenu}, {inputConfigMenu}, shared, {haystackKing}, {player}, {hazard},
};

constexpr TypeRow boneZone[] = {
    {titleMenu}, {hud}, {pauseMenu}, {inputConfigMenu}, {resultsScreen}, {card}, shared, {paraSprite},
    {audrey, "Audrey.bin"}, {froacker, "Froacker.bin"}, {projectile}, {draven, "Draven.bin"},
    {yardSlayer, "YardSlayer.bin"}, {player}, {hazard},
};

constexpr TypeRow test[] = {
    {hud}, {pauseMenu}, {inputConfigMenu}, shared, {projectile}, {audrey, "Audrey.bin"}, {froacker, "Froacker.bin"},
    {draven, "Draven.bin"}, {yardSlayer, "YardSlayer.bin"}, {candleHead, "CandleHead.bin"}, {basicEnemy}, {orb},
    {byu}, {player}, {hazard},
};

} // namespace types

// Layers first..last get the visible flag visible.
struct VisibleRun {
    u8 first, last, visible;
};

// What the load tells the objects about the layout's layers, and which layers it shows.
struct StageLayers {
    u32 collisionLayer;
    u8 collisionLayerTable[4];
    u8 playerStageSetting;
    u8 breakWallLayers[4];
    bool writesBreakWallLayers;
    std::span<const VisibleRun> visible;
};

constexpr VisibleRun graveyardVisible[] = {{0, 10, 1}, {6, 6, 0}, {8, 8, 0}};
constexpr VisibleRun villageVisible[] = {{0, 7, 1}};
constexpr VisibleRun arenaVisible[] = {{0, 0, 1}, {2, 3, 1}};

constexpr StageLayers graveyardLayers{11, {11, 12, 11, 12}, 10, {10, 10, 11, 12}, true, graveyardVisible};
constexpr StageLayers villageLayers{8, {8, 9, 8, 9}, 7, {7, 7, 8, 9}, true, villageVisible};
constexpr StageLayers bossRushLayers{4, {4, 5, 4, 5}, 3, {}, false, arenaVisible};
constexpr StageLayers testLayers{4, {4, 5, 4, 5}, 3, {3, 3, 4, 5}, true, arenaVisible};

// The Bone Zone is laid out like the Graveyard.
constexpr const StageLayers& boneZoneLayers = graveyardLayers;

// When the load empties the actor type list: before its types, after them, or not at all (the
// start handler does it).
enum class ActorListEmptied : u8 { BeforeTypes, AfterTypes, ByStart };

u32 graveyardMusic, village1Music, bossRushMusic, boneZoneMusic, testMusic;

// Everything a gameplay stage's load takes, and its unload gives back.
struct GameplayStageRow {
    Stage* stage;
    const char* layout;
    const char* objects; // the stage's Objects folder
    const StageLayers& layers;
    ActorListEmptied actorList;
    std::span<const TypeRow> types;
    u32* music; // the slot LoadMusic handed back
    const char* musicFile;
    u32 loopSample;
};

constexpr GameplayStageRow graveyard{&graveyardStage, "Data/Stages/Graveyard/layout1.bin",
                                     "Data/Stages/Graveyard/Objects", graveyardLayers,
                                     ActorListEmptied::BeforeTypes, types::graveyard,
                                     &graveyardMusic, "Data/Music/Graveyard.ogg", 769565};
constexpr GameplayStageRow village1{&village1Stage, "Data/Stages/Village/layout1.bin",
                                    "Data/Stages/Village/Objects", villageLayers,
                                    ActorListEmptied::BeforeTypes, types::village1,
                                    &village1Music, "Data/Music/Village1.ogg", 183397};
constexpr GameplayStageRow bossRush{&bossRushStage, "Data/Stages/BossRush/layout1.bin",
                                    "Data/Stages/BossRush/Objects", bossRushLayers,
                                    ActorListEmptied::BeforeTypes, types::bossRush,
                                    &bossRushMusic, "Data/Music/Blank.ogg", 0};
constexpr GameplayStageRow boneZone{&boneZoneStage, "Data/Stages/BoneZone/layout1.bin",
                                    "Data/Stages/BoneZone/Objects", boneZoneLayers,
                                    ActorListEmptied::ByStart, types::boneZone,
                                    &boneZoneMusic, "Data/Music/BoneZone.ogg", 769565};
constexpr GameplayStageRow test{&testStage, "Data/Stages/Test/layout1.bin",
                                "Data/Stages/Test/Objects", testLayers,
                                ActorListEmptied::AfterTypes, types::test,
                                &testMusic, "Data/Music/Test.ogg", 0};

// ---- loading and unloading by the tables -----------------------------------------------------------

// What a row's Load is given: "%s/%s" of the folder and the row's file, the folder itself for the
// shared set, or null for a row without a file or a stage without a folder.
const char* PlacementPath(const char* folder, const char* file)
{
    static char path[512];
    if (!folder || !file)
        return nullptr;
    if (file == wholeFolder)
        return folder;
    snprintf(path, sizeof(path), "%s/%s", folder, file);
    return path;
}

void LoadTypes(std::span<const TypeRow> rows, const char* folder)
{
    for (const TypeRow& row : rows)
        row.type.load(PlacementPath(folder, row.file));
}

// The unload keeps the load order, except that Projectile goes back just before Audrey wherever
// the table loads it after her.
void UnloadTypes(std::span<const TypeRow> rows)
{
    auto rowOf = [rows](const TypeCalls& type) {
        return std::ranges::find_if(rows, [&type](const TypeRow& row) { return row.type.unload == type.unload; });
    };
    const auto audreyRow = rowOf(types::audrey);
    const auto projectileRow = rowOf(types::projectile);
    const bool projectileFirst = projectileRow != rows.end() && audreyRow < projectileRow;
    for (auto row = rows.begin(); row != rows.end(); ++row) {
        if (projectileFirst && row == projectileRow)
            continue;
        if (projectileFirst && row == audreyRow)
            types::projectile.unload();
        row->type.unload();
    }
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
    // A layout with fewer layers keeps what it has.
    if (!currentLayout)
        return;
    for (const VisibleRun& run : layers.visible)
        for (u32 i = run.first; i <= run.last && i < currentLayout->layerCount; ++i)
            currentLayout->layers[i].visible = run.visible;
}

void LoadGameplayStage(const GameplayStageRow& row)
{
    row.stage->layoutSlot = LoadLayout(row.layout);
    currentLayoutSlot = row.stage->layoutSlot;
    currentLayout = LayoutInSlot(row.stage->layoutSlot);
    WriteStageLayers(row.layers);
    if (row.actorList == ActorListEmptied::BeforeTypes)
        ClearActorTypeList();
    LoadTypes(row.types, row.objects);
    if (row.actorList == ActorListEmptied::AfterTypes)
        ClearActorTypeList();
    *row.music = LoadMusic(row.musicFile, 0, row.loopSample);
    row.stage->loaded = 1;
}

void UnloadGameplayStage(const GameplayStageRow& row)
{
    FreeLayout(row.stage->layoutSlot);
    UnloadTypes(row.types);
    FreeMusic(*row.music);
    row.stage->started = 0;
    row.stage->loaded = 0;
}

// ---- what the start handlers share -----------------------------------------------------------------

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

} // namespace

// ---- shared by every gameplay stage ----------------------------------------------------------------

void LoadSharedObjectTypes(const char* folder)
{
    LoadTypes(types::sharedSet, folder);
}

void UnloadSharedObjectTypes()
{
    UnloadTypes(types::sharedSet);
}

void GameplayStageFrame()
{
    ClearAttackBoxes();
    UpdateObjects();
}

// ---- Graveyard --------------------------------------------------------------------------------------

void GraveyardStageLoad()
{
    LoadGameplayStage(graveyard);
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
    UnloadGameplayStage(graveyard);
    tileStrikeHandler = nullptr;
}

// ---- Village 1 --------------------------------------------------------------------------------------

void Village1StageLoad()
{
    LoadGameplayStage(village1);
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
    UnloadGameplayStage(village1);
    bossReturnMusic = noReturnMusic;
    tileStrikeHandler = nullptr;
}

// ---- Boss Rush --------------------------------------------------------------------------------------

void BossRushStageLoad()
{
    LoadGameplayStage(bossRush);
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
    UnloadGameplayStage(bossRush);
    bossReturnMusic = noReturnMusic;
}

// ---- The Bone Zone ----------------------------------------------------------------------------------

void BoneZoneStageLoad()
{
    LoadGameplayStage(boneZone);
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
    UnloadGameplayStage(boneZone);
}

// ---- Test -------------------------------------------------------------------------------------------

void TestStageLoad()
{
    LoadGameplayStage(test);
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
    UnloadGameplayStage(test);
}
