// A recording object type for the object tests: every handler counts its calls in the instance and
// appends to one log, and a test can hook extra behaviour into any handler.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Render/VideoMode.h"

extern u8 forceFree;

struct Probe {
    ObjectHeader* header;
    ObjectHeader* boundHeader;
    u32 boundIndex;
    u32 bindCount, initCount, resetCount, updateCount, lateCount, drawCount, enterCount, leaveCount;
    u8 spawnedAtInit, spawnedAtReset;
    u32 marker;
    u8 keys[96]; // where the placement tests put their keys
};

// One test type with the module variable its instance table is given through.
struct ProbeType {
    ObjectType type{};
    void** instances = nullptr;

    Probe* At(u32 index) const { return (Probe*)instances[index]; }
    ObjectHeader* Header(u32 index) const { return type.pool[index]; }
};

// 'B'ind, 'I'nit, 'R'eset, 'U'pdate, 'L'ateUpdate, 'D'raw, 'E'nterView, 'V' LeaveView.
struct ProbeEvent {
    char what;
    const ObjectType* type;
    u32 index;
    u32 layer; // currentDrawLayer, for draws

    bool operator==(const ProbeEvent& other) const
    {
        return what == other.what && type == other.type && index == other.index && layer == other.layer;
    }
};

namespace probe {

inline std::vector<ProbeEvent> log;
inline bool logBinds = false;
inline std::function<void(Probe*)> onInit, onUpdate, onLateUpdate, onDraw;
inline std::function<void()> onUnload;

inline void Record(char what, void* instance)
{
    const ObjectHeader* header = HeaderOf(instance);
    log.push_back(ProbeEvent{what, header->type, header->index, what == 'D' ? currentDrawLayer : 0});
}

inline void Update(void* instance)
{
    ++((Probe*)instance)->updateCount;
    Record('U', instance);
    if (onUpdate)
        onUpdate((Probe*)instance);
}
inline void LateUpdate(void* instance)
{
    ++((Probe*)instance)->lateCount;
    Record('L', instance);
    if (onLateUpdate)
        onLateUpdate((Probe*)instance);
}
inline void Draw(void* instance)
{
    ++((Probe*)instance)->drawCount;
    Record('D', instance);
    if (onDraw)
        onDraw((Probe*)instance);
}
inline void EnterView(void* instance)
{
    ++((Probe*)instance)->enterCount;
    Record('E', instance);
}
inline void LeaveView(void* instance)
{
    ++((Probe*)instance)->leaveCount;
    Record('V', instance);
}
inline void Reset(void* instance)
{
    Probe* p = (Probe*)instance;
    ++p->resetCount;
    p->spawnedAtReset = p->header->spawned;
    Record('R', instance);
}
inline void Init(void* instance)
{
    Probe* p = (Probe*)instance;
    ++p->initCount;
    p->spawnedAtInit = p->header->spawned;
    Record('I', instance);
    if (onInit)
        onInit(p);
}
inline void Bind(void* instance, u32 index, ObjectHeader* header)
{
    Probe* p = (Probe*)instance;
    ++p->bindCount;
    p->boundIndex = index;
    p->boundHeader = header;
    if (logBinds)
        log.push_back(ProbeEvent{'B', header->type, index, 0});
}
inline void Load(const char*) {}
inline void Unload()
{
    if (onUnload)
        onUnload();
}

} // namespace probe

// Writes the settings a Load writes, then registers.
inline void RegisterProbe(ProbeType& t, u32 growth = 32, u8 pass = 0, u8 layer = 0, i16 marginX = -1, i16 marginY = -1,
                          const char* path = nullptr)
{
    t.type.growthStep = growth;
    t.type.updatePass = pass;
    t.type.drawLayer = layer;
    t.type.cullMarginX = marginX;
    t.type.cullMarginY = marginY;
    RegisterObjectType(path, &t.type, &t.instances, sizeof(Probe), probe::Update, probe::LateUpdate, probe::Draw,
                       probe::EnterView, probe::LeaveView, probe::Reset, probe::Init, probe::Bind, probe::Load,
                       probe::Unload);
}

// Fresh object state for every test, and the registry freed after it.
class ObjectTest : public ::testing::Test {
protected:
    i32 savedWidth = 0, savedHeight = 0;
    // The types live as long as the fixture: the registry still points at them in TearDown.
    std::vector<std::unique_ptr<ProbeType>> types;

    ProbeType& Make()
    {
        types.push_back(std::make_unique<ProbeType>());
        return *types.back();
    }

    void SetUp() override
    {
        FreeObjectTypeRegistry();
        currentStage = previousStage = pendingStage = nullptr;
        pauseMenuOpen = stageSwitching = 0;
        forceFree = 0;
        defaultCollisionLayer = 0;
        placingObjects = 0;
        lastSpawnedInstance = nullptr;
        stepsX = stepsY = stoppedStepsX = stoppedStepsY = 0;
        for (Camera& camera : cameras)
            camera = Camera{};
        for (int i = 0; i < cameraCount; ++i)
            cameraScrollX[i] = cameraScrollY[i] = 0;
        scrollX = scrollY = 0;
        savedWidth = screenWidth;
        savedHeight = screenHeight;
        screenWidth = 424;
        screenHeight = 240;
        probe::log.clear();
        probe::logBinds = false;
        probe::onInit = probe::onUpdate = probe::onLateUpdate = probe::onDraw = nullptr;
        probe::onUnload = nullptr;
    }

    void TearDown() override
    {
        probe::onInit = probe::onUpdate = probe::onLateUpdate = probe::onDraw = nullptr;
        probe::onUnload = nullptr;
        FreeObjectTypeRegistry();
        pauseMenuOpen = stageSwitching = 0;
        currentStage = previousStage = nullptr;
        screenWidth = savedWidth;
        screenHeight = savedHeight;
    }

    static void Register(ProbeType& t, u32 growth = 32, u8 pass = 0, u8 layer = 0, i16 marginX = -1,
                         i16 marginY = -1, const char* path = nullptr)
    {
        RegisterProbe(t, growth, pass, layer, marginX, marginY, path);
    }

    // A frame as the game thread runs it: the stage's update passes, then the scene draw.
    static void Frame()
    {
        UpdateObjects();
        DrawScene();
    }

    static u32 Count(char what)
    {
        u32 n = 0;
        for (const ProbeEvent& event : probe::log)
            n += event.what == what ? 1u : 0u;
        return n;
    }
};
