#include "tools/runner/RunnerPlay.h"

#include <algorithm>
#include <cstddef>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Enemies/Audrey.h"
#include "Game/Enemies/AudreyShot.h"
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
#include "Game/Whip/Whip.h"
#include "Game/World/BreakWall.h"
#include "Game/World/Collect.h"
#include "Game/World/Corn.h"
#include "Game/World/Wagon.h"

namespace {

// ---- key scripts ----------------------------------------------------------------------------------

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text))
        ++text;
    return text;
}

// A decimal tick number; advances text past it. False on no digits or a number past u32.
bool ParseTick(const char** text, u32* tick)
{
    const char* start = *text;
    if (*start < '0' || *start > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = strtoull(start, &end, 10);
    if (errno == ERANGE || value > 0xFFFFFFFFull)
        return false;
    *tick = (u32)value;
    *text = end;
    return true;
}

// A keyboard slot, decimal or 0x hex, 0-125; advances text past it.
bool ParseSlot(const char** text, int* slot)
{
    const char* start = *text;
    const bool hex = start[0] == '0' && (start[1] == 'x' || start[1] == 'X');
    const char* digits = hex ? start + 2 : start;
    if (!(hex ? isxdigit((unsigned char)*digits) : (*digits >= '0' && *digits <= '9')))
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = strtoul(digits, &end, hex ? 16 : 10);
    if (errno == ERANGE || value > 125)
        return false;
    *slot = (int)value;
    *text = end;
    return true;
}

// A word ending at a blank or the end of the line; advances text past it.
bool ParseWord(const char** text, const char* word)
{
    const size_t length = strlen(word);
    if (strncmp(*text, word, length) != 0)
        return false;
    const char after = (*text)[length];
    if (after != '\0' && !IsBlank(after))
        return false;
    *text += length;
    return true;
}

// One line of a script (without its newline). Returns null when it was taken, else what is wrong.
const char* ParseScriptLine(const char* line, std::vector<KeyEvent>* events)
{
    const char* text = SkipBlanks(line);
    if (*text == '\0' || *text == '#')
        return nullptr;
    u32 from = 0;
    if (!ParseTick(&text, &from))
        return "expected a tick number (0-4294967295) first";
    if (*text == '-') {
        ++text;
        u32 to = 0;
        if (!ParseTick(&text, &to))
            return "expected \"FROM-TO SLOT\": no tick after '-'";
        if (to < from)
            return "the range ends before it starts";
        if (to == 0xFFFFFFFFu)
            return "the range ends past the last tick";
        if (*text != '\0' && !IsBlank(*text))
            return "expected \"FROM-TO SLOT\"";
        int slot = 0;
        text = SkipBlanks(text);
        if (!ParseSlot(&text, &slot))
            return "expected a key slot 0-125 (decimal or 0x hex)";
        if (*SkipBlanks(text) != '\0')
            return "unexpected text after \"FROM-TO SLOT\"";
        events->push_back({from, slot, true});
        events->push_back({to + 1, slot, false});
        return nullptr;
    }
    if (!IsBlank(*text))
        return "expected \"TICK SLOT down|up\" or \"FROM-TO SLOT\"";
    int slot = 0;
    text = SkipBlanks(text);
    if (!ParseSlot(&text, &slot))
        return "expected a key slot 0-125 (decimal or 0x hex)";
    text = SkipBlanks(text);
    bool down = false;
    if (ParseWord(&text, "down"))
        down = true;
    else if (!ParseWord(&text, "up"))
        return "expected \"down\" or \"up\" after the slot";
    if (*SkipBlanks(text) != '\0')
        return "unexpected text after \"TICK SLOT down|up\"";
    events->push_back({from, slot, down});
    return nullptr;
}

// ---- the trace ------------------------------------------------------------------------------------

FILE* traceFile;
bool traceFailed;

const char* StateName(const PlayerRecord* player)
{
    if (!player->state)
        return "none";
    if (player->state == PlayerStateNormal)
        return "normal";
    if (player->state == PlayerStateAir)
        return "air";
    if (player->state == PlayerStateHanging)
        return "hanging";
    if (player->state == PlayerStateHurt)
        return "hurt";
    if (player->state == PlayerStateDefeated)
        return "defeated";
    if (player->state == PlayerStateDefeatedFall)
        return "defeatedFall";
    return "other";
}

// The stage name as a CSV field: quoted when it holds a comma or a quote.
void WriteStageField(FILE* file)
{
    const char* name = currentStage ? currentStage->name : "";
    if (!strpbrk(name, ",\"\n")) {
        fputs(name, file);
        return;
    }
    fputc('"', file);
    for (const char* c = name; *c; ++c) {
        if (*c == '"')
            fputc('"', file);
        fputc(*c, file);
    }
    fputc('"', file);
}

// Live instances of the registered types that the test picks (by pointer), summed.
template <typename Pick>
u32 CountLive(Pick pick)
{
    u32 count = 0;
    for (u32 slot = 0; objectTypes && slot < objectTypeCapacity; ++slot) {
        const ObjectType* type = objectTypes[slot];
        if (type && type->registered && type->loadCount > 0 && pick(type))
            count += type->liveCount;
    }
    return count;
}

// The enemies run in update pass 2 and keep their actor block right behind the header pointer.
bool IsEnemyType(const ObjectType* type)
{
    return type->updatePass == 2;
}

// The live enemy nearest to (x, y), or null.
const ActorBlock* NearestEnemy(f32 x, f32 y)
{
    const ActorBlock* nearest = nullptr;
    f32 best = 0.0f;
    for (u32 slot = 0; objectTypes && slot < objectTypeCapacity; ++slot) {
        const ObjectType* type = objectTypes[slot];
        if (!type || !type->registered || type->loadCount == 0 || !IsEnemyType(type) || !type->instanceTable)
            continue;
        for (u32 i = 0; i < type->poolSize; ++i) {
            const ObjectHeader* header = type->pool ? type->pool[i] : nullptr;
            void* data = type->instanceTable[i];
            if (!header || !data || !header->alive || header->free)
                continue;
            const f32 dx = header->x - x, dy = header->y - y, distance = dx * dx + dy * dy;
            if (!nearest || distance < best) {
                nearest = (const ActorBlock*)((void**)data + 1);
                best = distance;
            }
        }
    }
    return nearest;
}

// ---- test tools: watched actors and the player's start ------------------------------------------

struct TraceWatch {
    std::string spec, name;
    u32 index;
    const ObjectType* type; // null until a type of that name first registers
};
std::vector<TraceWatch> traceWatches;

bool startAtPending;
f32 startAtX, startAtY;

// Types that never name themselves, found by the name of their record instead.
struct UnnamedType {
    const char* name;
    const ObjectType* type;
};
const UnnamedType unnamedTypes[] = {{"AudreyShot", &AudreyShot}, {"Projectile", &Projectile}};

const ObjectType* TypeNamed(const std::string& name)
{
    for (const UnnamedType& unnamed : unnamedTypes)
        if (name == unnamed.name)
            return unnamed.type->registered && unnamed.type->loadCount > 0 ? unnamed.type : nullptr;
    for (u32 slot = 0; objectTypes && slot < objectTypeCapacity; ++slot) {
        const ObjectType* type = objectTypes[slot];
        if (type && type->registered && type->loadCount > 0 && type->name && name == type->name)
            return type;
    }
    return nullptr;
}

// Where each actor type keeps its block in its record. Any other type is watched by its header alone:
// reading a block it does not have would read past its record.
struct ActorBlockAt {
    const ObjectType* type;
    size_t offset;
};
const ActorBlockAt actorBlocks[] = {
    {&Player, offsetof(PlayerRecord, actor)},         {&Whip, offsetof(WhipRecord, actor)},
    {&BasicEnemy, offsetof(EnemyRecord, actor)},      {&Byu, offsetof(EnemyRecord, actor)},
    {&Projectile, offsetof(EnemyRecord, actor)},      {&CandleHead, offsetof(CandleHeadRecord, actor)},
    {&Orb, offsetof(OrbRecord, actor)},               {&Audrey, offsetof(AudreyRecord, actor)},
    {&AudreyShot, offsetof(AudreyShotRecord, actor)}, {&Draven, offsetof(DravenRecord, actor)},
    {&Froacker, offsetof(FroackerRecord, actor)},     {&YardSlayer, offsetof(YardSlayerRecord, actor)},
    {&HaystackKing, offsetof(HaystackKingRecord, actor)}, {&BreakWall, offsetof(BreakWallRecord, actor)},
    {&Corn, offsetof(CornRecord, actor)},             {&Wagon, offsetof(WagonRecord, actor)},
};

const ActorBlock* ActorBlockOf(const ObjectType* type, void* data)
{
    for (const ActorBlockAt& at : actorBlocks)
        if (at.type == type)
            return (const ActorBlock*)((u8*)data + at.offset);
    return nullptr;
}

// The watched type while a stage holds it: looked up by name until it first registers, and from
// then on known by its record.
const ObjectType* WatchedType(TraceWatch& watch)
{
    if (!watch.type)
        watch.type = TypeNamed(watch.name);
    const ObjectType* type = watch.type;
    return type && type->registered && type->loadCount > 0 ? type : nullptr;
}

void WriteWatchColumns(TraceWatch& watch)
{
    const ObjectType* type = WatchedType(watch);
    fprintf(traceFile, ",%u", type ? (unsigned)type->liveCount : 0u);
    const ObjectHeader* header = type && type->pool && watch.index < type->poolSize ? type->pool[watch.index] : nullptr;
    void* data = header && type->instanceTable ? type->instanceTable[watch.index] : nullptr;
    if (!header || !data || !header->alive || header->free) {
        fputs(",0,,,,,,,,,", traceFile);
        return;
    }
    const ActorBlock* actor = ActorBlockOf(type, data);
    const AnimPlayer* anim = actor ? actor->anim : nullptr;
    fprintf(traceFile, ",1,%u,%.9g,%.9g,%.9g,%.9g,", (unsigned)header->state, header->x, header->y, header->vx,
            header->vy);
    if (actor)
        fprintf(traceFile, "%.9g", actor->hp);
    fprintf(traceFile, ",%u", (unsigned)header->flipX);
    if (anim)
        fprintf(traceFile, ",%u,%u", (unsigned)anim->activeAnimIndex, (unsigned)anim->frameIndex);
    else
        fputs(",,", traceFile);
}

} // namespace

bool AddTraceWatch(const char* spec)
{
    std::string name = spec;
    u32 index = 0;
    if (const size_t colon = name.find(':'); colon != std::string::npos) {
        const std::string number = name.substr(colon + 1);
        char* end = nullptr;
        const unsigned long value = strtoul(number.c_str(), &end, 10);
        if (number.empty() || *end || value > 65535)
            return false;
        index = (u32)value;
        name.resize(colon);
    }
    if (name.empty() || strpbrk(spec, ",\"\n"))
        return false;
    traceWatches.push_back({spec, name, index, nullptr});
    return true;
}

void SetPlayerStartAt(f32 x, f32 y)
{
    startAtPending = true;
    startAtX = x;
    startAtY = y;
}

void ApplyPlayerStartAt()
{
    PlayerRecord* player = startAtPending ? FirstPlayer() : nullptr;
    if (!player || !player->header)
        return;
    ObjectHeader* header = player->header;
    header->x = startAtX;
    header->y = startAtY;
    header->vx = header->vy = header->groundSpeed = 0.0f;
    startAtPending = false;
}

bool ReadKeyScript(const char* path, std::vector<KeyEvent>* events)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "runner: cannot read the key script %s\n", path);
        return false;
    }
    std::string line;
    int lineNumber = 0;
    bool ok = true;
    for (int c = fgetc(file);; c = fgetc(file)) {
        if (c != '\n' && c != EOF) {
            if (c == '\0') {
                fprintf(stderr, "runner: %s:%d: a NUL byte in the line\n", path, lineNumber + 1);
                ok = false;
                break;
            }
            line += (char)c;
            continue;
        }
        ++lineNumber;
        if (const char* error = ParseScriptLine(line.c_str(), events)) {
            fprintf(stderr, "runner: %s:%d: %s: \"%s\"\n", path, lineNumber, error, line.c_str());
            ok = false;
            break;
        }
        line.clear();
        if (c == EOF)
            break;
    }
    if (ferror(file)) {
        fprintf(stderr, "runner: cannot read the key script %s\n", path);
        ok = false;
    }
    fclose(file);
    std::stable_sort(events->begin(), events->end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.tick < b.tick; });
    return ok;
}

bool RequestStageNamed(const char* name)
{
    for (u16 g = 0; g < stageGroupCount; ++g)
        for (u16 s = 0; s < stageGroups[g]->stageCount; ++s)
            if (strcmp(stageGroups[g]->stages[s]->name, name) == 0) {
                pendingStage = stageGroups[g]->stages[s];
                return true;
            }
    fprintf(stderr, "runner: no stage is named \"%s\"; the stages are:\n", name);
    for (u16 g = 0; g < stageGroupCount; ++g)
        for (u16 s = 0; s < stageGroups[g]->stageCount; ++s)
            fprintf(stderr, "  %s\n", stageGroups[g]->stages[s]->name);
    return false;
}

bool OpenPlayerTrace(const std::string& path)
{
    traceFile = fopen(path.c_str(), "wb");
    traceFailed = false;
    if (!traceFile)
        return false;
    fputs("tick,state,x,y,vx,vy,groundSpeed,plane,angle,contactLeft,contactRight,contactTop,contactBottom,"
          "groundContact,health,stage,invulnerable,lives,vanquished,enemies,bones,enemyX,enemyY,enemyHp,"
          "whipState,joints,lineLength,tipX,tipY,collected,bonesCollected,checkpoint,scrollX,scrollY",
          traceFile);
    for (const TraceWatch& watch : traceWatches)
        for (const char* column : {"count", "alive", "state", "x", "y", "vx", "vy", "hp", "flipX", "anim", "frame"})
            fprintf(traceFile, ",%s.%s", watch.spec.c_str(), column);
    fputc('\n', traceFile);
    return true;
}

void WritePlayerTraceRow(u32 tick)
{
    if (!traceFile)
        return;
    const PlayerRecord* player = FirstPlayer();
    const ObjectHeader* header = player ? player->header : nullptr;
    if (!header) {
        fprintf(traceFile, "%u,absent,,,,,,,,,,,,,,", tick);
    } else {
        // Nine digits bring every f32 back exactly.
        fprintf(traceFile, "%u,%s,%.9g,%.9g,%.9g,%.9g,%.9g,%u,%.9g,%llu,%llu,%llu,%llu,%llu,%u,", tick,
                StateName(player), header->x, header->y, header->vx, header->vy, header->groundSpeed,
                (unsigned)header->plane, header->angle, (unsigned long long)header->contacts[0],
                (unsigned long long)header->contacts[1], (unsigned long long)header->contacts[2],
                (unsigned long long)header->contacts[3], (unsigned long long)header->groundContact,
                (unsigned)player->health);
    }
    WriteStageField(traceFile);
    // The fight: the player's blink and lives, the enemies beaten and left, the bones out, and the
    // enemy nearest the player (or the first one found while no player is spawned).
    if (header)
        fprintf(traceFile, ",%u,%s", (unsigned)player->invulnerable,
                player->progress ? std::to_string(player->progress->lives).c_str() : "");
    else
        fputs(",,", traceFile);
    const u32 bones = CountLive([](const ObjectType* type) { return type == &Collect; });
    fprintf(traceFile, ",%u,%u,%u", (unsigned)vanquishedCount, CountLive(IsEnemyType), bones);
    if (const ActorBlock* enemy = NearestEnemy(header ? header->x : 0.0f, header ? header->y : 0.0f);
        enemy && enemy->header)
        fprintf(traceFile, ",%.9g,%.9g,%.9g", enemy->header->x, enemy->header->y, enemy->hp);
    else
        fputs(",,,", traceFile);
    // The whip: its state, the rope's bends, the set line length (8.8) and the tip.
    if (header && player->whip && player->whip->header)
        fprintf(traceFile, ",%u,%u,%d,%.9g,%.9g", (unsigned)player->whip->state, (unsigned)player->whip->jointCount,
                (int)player->lineLength, player->whip->header->x, player->whip->header->y);
    else
        fputs(",,,,,", traceFile);
    // The bones carried, the placed bones picked up, and the respawn point taken (255: none).
    if (header)
        fprintf(traceFile, ",%.9g,%u,%u", player->collected, (unsigned)player->bonesCollected,
                player->progress ? (unsigned)player->progress->checkpoint : 255u);
    else
        fputs(",,,", traceFile);
    // Camera 0's scroll: where the frame's top-left corner lies in the world.
    fprintf(traceFile, ",%d,%d", (int)scrollX, (int)scrollY);
    for (TraceWatch& watch : traceWatches)
        WriteWatchColumns(watch);
    // Each row goes out at once: the rows before a crash are the evidence of what led to it.
    if (fputc('\n', traceFile) == EOF || fflush(traceFile) != 0)
        traceFailed = true;
}

void SetPlayerLives(u8 lives)
{
    for (PlayerProgress& progress : playerProgress)
        progress.lives = lives;
}

bool ClosePlayerTrace()
{
    if (!traceFile)
        return true;
    const bool ok = !traceFailed && !ferror(traceFile);
    const bool closed = fclose(traceFile) == 0;
    traceFile = nullptr;
    return ok && closed;
}
