// The object system per frame: UpdateObjects over 5000 instances of ten types in mixed passes, and
// DrawScene of a full layout with 500 objects, each beside a plain baseline doing the same work
// without the registry, the pools and the draw queues.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/LayerScroll.h"
#include "Engine/Render/SpriteImage.h"
#include "Engine/Render/VideoMode.h"
#include "bench/SlotTablesAside.h"
#include "bench/DiscSprite.h"

namespace {

struct Body {
    ObjectHeader* header;
    u32 kind;
    u32 steps;
};

void BodyUpdate(void* instance)
{
    Body* body = (Body*)instance;
    ObjectHeader* header = body->header;
    // Back and forth on the spot, so the window stays the same from frame to frame.
    header->x += header->vx;
    header->vx = -header->vx;
    ++body->steps;
}

void BodyNothing(void*) {}

constexpr u32 spriteKinds = 4;
std::vector<u8> spritePixels[spriteKinds];
std::vector<u32> spriteRows[spriteKinds];
SpriteImage sprites[spriteKinds];

void BodyDraw(void* instance)
{
    const Body* body = (const Body*)instance;
    const ObjectHeader* header = body->header;
    rendererSlots.DrawSprite(&sprites[body->kind], scrollX, scrollY, (i32)header->x, (i32)header->y);
}

constexpr u32 typeCount = 10;
ObjectType types[typeCount];
void** typeInstances[typeCount];

void Register(u32 t, u32 count, u8 pass, i16 margin)
{
    ObjectType& type = types[t];
    type.growthStep = count;
    type.updatePass = pass;
    type.drawLayer = (u8)(t % 16);
    type.cullMarginX = margin;
    type.cullMarginY = margin;
    RegisterObjectType(nullptr, &type, &typeInstances[t], sizeof(Body), BodyUpdate, BodyNothing, BodyDraw, BodyNothing,
                       BodyNothing, BodyNothing, BodyNothing, nullptr, nullptr, nullptr);
}

void ClearTypes()
{
    for (ObjectType& type : types) {
        FreeObjectType(&type);
        type = ObjectType{};
    }
}

// The headless shell in 424x240, once for the whole run.
void UseScreen()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    InitPlatform();
    SetVideoMode(25);
    std::mt19937 random(11);
    for (u32 k = 0; k < spriteKinds; ++k)
        sprites[k] = MakeDiscSprite(random, 256, &spritePixels[k], &spriteRows[k]);
}

// 5000 bodies: ten types of 500 in passes 0-6, spread over a world four screens wide and two high,
// so that about a third lie in the activity window of the camera at the origin; two types are
// never culled.
void MakeUpdateScene()
{
    ClearTypes();
    currentStage = previousStage = nullptr;
    std::mt19937 random(3);
    for (u32 t = 0; t < typeCount; ++t) {
        Register(t, 500, (u8)(t % 7), t < 2 ? (i16)-1 : (i16)128);
        for (u32 i = 0; i < 500; ++i) {
            SpawnObject(&types[t], (f32)(random() % 1700) - 128.0f, (f32)(random() % 480) - 128.0f, 0, 0);
            ObjectHeader* header = HeaderOf(lastSpawnedInstance);
            header->vx = 0.5f;
            ((Body*)lastSpawnedInstance)->kind = i % spriteKinds;
        }
    }
    cameraScrollX[0] = cameraScrollY[0] = 0;
    scrollX = scrollY = 0;
}

void BM_Objects_UpdateObjects5000(benchmark::State& state)
{
    UseScreen();
    MakeUpdateScene();
    for (auto _ : state) {
        UpdateObjects();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 5000);
    ClearTypes();
}
BENCHMARK(BM_Objects_UpdateObjects5000);

// The same bodies in one plain array: the window test and the step written out, no registry.
void BM_Objects_PlainLoop5000(benchmark::State& state)
{
    struct Plain {
        f32 x, y, vx;
        i16 margin;
        u8 inView, updated;
        u32 steps;
    };
    std::vector<Plain> bodies;
    std::mt19937 random(3);
    for (u32 t = 0; t < typeCount; ++t)
        for (u32 i = 0; i < 500; ++i)
            bodies.push_back(Plain{(f32)(random() % 1700) - 128.0f, (f32)(random() % 480) - 128.0f, 0.5f,
                                   t < 2 ? (i16)-1 : (i16)128, 0, 0, 0});
    const i32 width = 424, height = 240;
    for (auto _ : state) {
        for (Plain& body : bodies) {
            const bool inside = body.margin < 0 ||
                                (body.x > (f32)(-body.margin) && body.x < (f32)(width + body.margin) &&
                                 body.y > (f32)(-body.margin) && body.y < (f32)(height + body.margin));
            body.inView = inside;
            body.updated = inside;
            if (inside) {
                body.x += body.vx;
                body.vx = -body.vx;
                ++body.steps;
            }
        }
        benchmark::DoNotOptimize(bodies.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_Objects_PlainLoop5000);

// A full layout: three layers of 64 x 32 tiles over the whole screen at depths 2, 6 and 12 (an
// opaque scrolled background, camera-locked ground with holes, a row-scrolled foreground that is
// mostly empty), and 500 objects on every draw layer.
struct SceneLayout {
    std::vector<u8> pixels;
    std::vector<TileRecord> records;
    TileSheet sheet{};
    TileSheet* sheetPointer = &sheet;
    std::vector<u32> colours = std::vector<u32>(512);
    std::vector<u8> rgb = std::vector<u8>(512 * 3);
    Palette palette{};
    u8 flag = 0;
    TileLayer layers[3]{};
    Layout layout{};

    SceneLayout()
    {
        std::mt19937 random(7);
        constexpr u32 recordCount = 16;
        pixels.resize(recordCount * 256);
        records.resize(recordCount);
        for (u32 t = 0; t < recordCount; ++t) {
            records[t].pixels = &pixels[t * 256];
            bool opaque = true;
            for (u32 p = 0; p < 256; ++p) {
                const u8 index = t < 8 || random() % 4 ? (u8)(1 + random() % 255) : 0;
                records[t].pixels[p] = index;
                opaque = opaque && index;
            }
            records[t].opaque = opaque;
        }
        for (u32& colour : colours)
            colour = 0xFF000000u | (u32)(random() & 0xFFFFFF);
        palette = Palette{1, 0, colours.data(), rgb.data()};
        sheet.useCount = 1;
        sheet.recordCount = recordCount;
        sheet.tiles = records.data();
        sheet.palette = &palette;
        const u8 modes[3] = {ScrollLayer, ScrollCamera, ScrollRows};
        const u16 depths[3] = {2, 6, 12};
        for (int l = 0; l < 3; ++l) {
            TileLayer& layer = layers[l];
            CreateLayer(&layer, modes[l], 64, 32);
            for (i32 i = 0; i < 64 * 32; ++i) {
                u16 entry = 0;
                if (l == 0)
                    entry = (u16)(1 + random() % 7);
                else if (l == 1)
                    entry = random() % 3 ? (u16)(1 + random() % 15) : 0;
                else
                    entry = random() % 8 == 0 ? (u16)(8 + random() % 8) : 0;
                layer.map[i] = entry;
            }
            layer.visible = 1;
            layer.depth = depths[l];
            layer.tileSheetIndex = 0;
        }
        layout.layers = layers;
        layout.layerCount = 3;
        layout.tileSheetCount = 1;
        layout.tileSheets = &sheetPointer;
        layout.paletteSelect = &flag;
    }
    ~SceneLayout()
    {
        for (TileLayer& layer : layers)
            FreeLayer(&layer);
    }

    void Use()
    {
        currentLayout = &layout;
        CameraLimits& limits = cameraLimits[0];
        limits = CameraLimits{};
        limits.rightBound = limits.rightTarget = 64 * 16;
        limits.bottomBound = limits.bottomTarget = 32 * 16;
        cameraScrollX[0] = 200;
        cameraScrollY[0] = 100;
    }
};

// 500 bodies in view: fifty of each of ten types (draw layers 0-9), and their tiles.
void MakeDrawScene()
{
    ClearTypes();
    currentStage = previousStage = nullptr;
    std::mt19937 random(9);
    for (u32 t = 0; t < typeCount; ++t) {
        Register(t, 50, 0, -1);
        for (u32 i = 0; i < 50; ++i) {
            SpawnObject(&types[t], 200.0f + (f32)(random() % 456) - 16.0f, 100.0f + (f32)(random() % 272) - 16.0f, 0,
                        0);
            ((Body*)lastSpawnedInstance)->kind = i % spriteKinds;
            HeaderOf(lastSpawnedInstance)->drawLayer = (u8)(random() % 16);
        }
    }
    // Marks everything updated, as the frame handler's pass does before the draw.
    UpdateObjects();
}

SceneLayout& TheLayout()
{
    static SceneLayout scene;
    return scene;
}

void BM_Objects_DrawScene500(benchmark::State& state)
{
    SlotTablesAside aside;
    UseScreen();
    TheLayout().Use();
    MakeDrawScene();
    for (auto _ : state) {
        DrawScene();
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
    ClearTypes();
    currentLayout = nullptr;
}
BENCHMARK(BM_Objects_DrawScene500);

// The same picture drawn directly: the layer scroll, then depth by depth the sprites of that depth
// from a plain list and the layers of that depth, without queues or handlers.
void BM_Objects_DirectDraw500(benchmark::State& state)
{
    SlotTablesAside aside;
    UseScreen();
    SceneLayout& scene = TheLayout();
    scene.Use();
    struct Plain {
        i32 x, y;
        u32 kind, layer;
    };
    std::vector<Plain> bodies;
    std::mt19937 random(9);
    for (u32 t = 0; t < typeCount; ++t)
        for (u32 i = 0; i < 50; ++i) {
            const f32 x = 200.0f + (f32)(random() % 456) - 16.0f, y = 100.0f + (f32)(random() % 272) - 16.0f;
            bodies.push_back(Plain{(i32)x, (i32)y, i % spriteKinds, (u32)(random() % 16)});
        }
    for (auto _ : state) {
        scrollX = cameraScrollX[0];
        scrollY = cameraScrollY[0];
        UpdateLayerScroll();
        for (u32 depth = 0; depth < 16; ++depth) {
            for (const Plain& body : bodies)
                if (body.layer == depth)
                    rendererSlots.DrawSprite(&sprites[body.kind], scrollX, scrollY, body.x, body.y);
            for (u32 l = 0; l < scene.layout.layerCount; ++l)
                if (scene.layers[l].depth == depth)
                    DrawTileLayer(&scene.layers[l]);
        }
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
    currentLayout = nullptr;
}
BENCHMARK(BM_Objects_DirectDraw500);

// The bandwidth floor: one copy of the frame.
void BM_Objects_MemcpyFrame(benchmark::State& state)
{
    UseScreen();
    std::vector<u32> source((size_t)screenWidth * screenHeight, 0x123456);
    for (auto _ : state) {
        memcpy(frameBuffer, source.data(), source.size() * 4);
        benchmark::DoNotOptimize(frameBuffer);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Objects_MemcpyFrame);

} // namespace
