// device_loss_test: device creation, presentation and recovery of the Win32 backend against a
// stand-in for Direct3D that logs every call and answers as each case scripts it. Runs under Wine
// as a Windows program, so the thread that recovers is a real second thread.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Win32/Direct3DCalls.h"
#include "tests/programs/ExitLine.h"

namespace {

int failures;

#define CHECK(condition)                                                                                \
    do {                                                                                                \
        if (!(condition)) {                                                                             \
            printf("  FAILED at line %d: %s\n", __LINE__, #condition);                                 \
            ++failures;                                                                                 \
        }                                                                                               \
    } while (0)

// Direct3D values the backend must pass (from the Direct3D 9 headers).
constexpr u32 samplerMagFilter = 5, samplerMinFilter = 6, samplerMipFilter = 7;
constexpr u32 filterNone = 0, filterPoint = 1, filterLinear = 2;
constexpr u32 stageColorOp = 1, stageColorArg1 = 2, stageColorArg2 = 3;
constexpr u32 opSelectArg1 = 2, argTexture = 2, argDiffuse = 0;
constexpr u32 usageWriteOnly = 8, quadFormat = 0x104, poolManaged = 1, formatX8R8G8B8 = 22;
constexpr u32 clearTarget = 1, triangleList = 4;
constexpr i32 driverInternalError = (i32)0x88760827, genericFailure = (i32)0x80004005;

// ---- the stand-in ---------------------------------------------------------------------------------

struct FakeObject {
    char kind; // 'D' device, 'V' vertex buffer, 'T' texture
    int number;
    bool alive;
    std::vector<u8> memory;
    i32 pitch;
};

FakeObject objects[64];
int objectCount;
int kindCounts[3];
std::vector<std::string> calls;
thread_local int threadTag; // 0 on the main thread, 1 on the test's second thread

// Scripted results; each is used once and falls back to success.
struct Script {
    i32 createDevice, testCooperativeLevel, reset, lockRect, clear, beginScene, endScene, present;
} script;

i32 Take(i32* result)
{
    const i32 value = *result;
    *result = d3dOk;
    return value;
}

void* NewObject(char kind)
{
    if (objectCount == 64)
        return nullptr;
    FakeObject& object = objects[objectCount++];
    object.kind = kind;
    object.number = ++kindCounts[kind == 'D' ? 0 : kind == 'V' ? 1 : 2];
    object.alive = true;
    return &object;
}

std::string Name(void* handle)
{
    if (!handle)
        return "null";
    const FakeObject* object = (const FakeObject*)handle;
    if (object < objects || object >= objects + objectCount)
        return "stray";
    return std::string(1, object->kind) + std::to_string(object->number) + (object->alive ? "" : "(released)");
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...)
{
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    calls.push_back(text);
}

const Direct3DCalls fakeCalls = {
    .createDevice =
        [](void*, void** device) {
            const i32 result = Take(&script.createDevice);
            *device = result < 0 ? nullptr : NewObject('D');
            Log("createDevice on thread %d -> %s", threadTag, Name(*device).c_str());
            return result;
        },
    .testCooperativeLevel =
        [](void* device) {
            Log("testCooperativeLevel %s", Name(device).c_str());
            return Take(&script.testCooperativeLevel);
        },
    .reset =
        [](void* device) {
            Log("reset %s on thread %d", Name(device).c_str(), threadTag);
            return Take(&script.reset);
        },
    .setSamplerState =
        [](void* device, u32 sampler, u32 type, u32 value) {
            Log("setSamplerState %s %u %u %u", Name(device).c_str(), sampler, type, value);
            return d3dOk;
        },
    .setTextureStageState =
        [](void* device, u32 stage, u32 type, u32 value) {
            Log("setTextureStageState %s %u %u %u", Name(device).c_str(), stage, type, value);
            return d3dOk;
        },
    .setTexture =
        [](void* device, u32 stage, void* texture) {
            Log("setTexture %s %u %s", Name(device).c_str(), stage, Name(texture).c_str());
            return d3dOk;
        },
    .createVertexBuffer =
        [](void* device, u32 length, u32 usage, u32 fvf, u32 pool, void** buffer) {
            FakeObject* object = (FakeObject*)NewObject('V');
            object->memory.assign(length, 0xEE);
            *buffer = object;
            Log("createVertexBuffer %s %u %u 0x%X %u -> %s", Name(device).c_str(), length, usage, fvf, pool,
                Name(object).c_str());
            return d3dOk;
        },
    .createTexture =
        [](void* device, u32 width, u32 height, u32 levels, u32 usage, u32 format, u32 pool, void** texture) {
            FakeObject* object = (FakeObject*)NewObject('T');
            // Rows wider than the texture, so a copy that ignores the pitch shows.
            object->pitch = (i32)width * 4 + 64;
            object->memory.assign((size_t)object->pitch * height, 0xAB);
            *texture = object;
            Log("createTexture %s %u %u %u %u %u %u -> %s", Name(device).c_str(), width, height, levels, usage,
                format, pool, Name(object).c_str());
            return d3dOk;
        },
    .clear =
        [](void* device, u32 flags, u32 colour, f32 z, u32 stencil) {
            Log("clear %s %u %u %.1f %u", Name(device).c_str(), flags, colour, (double)z, stencil);
            return Take(&script.clear);
        },
    .beginScene =
        [](void* device) {
            Log("beginScene %s", Name(device).c_str());
            return Take(&script.beginScene);
        },
    .setFVF =
        [](void* device, u32 fvf) {
            Log("setFVF %s 0x%X", Name(device).c_str(), fvf);
            return d3dOk;
        },
    .setStreamSource =
        [](void* device, u32 stream, void* buffer, u32 offset, u32 stride) {
            Log("setStreamSource %s %u %s %u %u", Name(device).c_str(), stream, Name(buffer).c_str(), offset,
                stride);
            return d3dOk;
        },
    .drawPrimitive =
        [](void* device, u32 type, u32 start, u32 count) {
            Log("drawPrimitive %s %u %u %u", Name(device).c_str(), type, start, count);
            return d3dOk;
        },
    .endScene =
        [](void* device) {
            Log("endScene %s", Name(device).c_str());
            return Take(&script.endScene);
        },
    .present =
        [](void* device) {
            Log("present %s", Name(device).c_str());
            return Take(&script.present);
        },
    .lockVertexBuffer =
        [](void* buffer, u32 offset, u32 size, void** data, u32 flags) {
            Log("lockVertexBuffer %s %u %u %u", Name(buffer).c_str(), offset, size, flags);
            *data = ((FakeObject*)buffer)->memory.data();
            return d3dOk;
        },
    .unlockVertexBuffer =
        [](void* buffer) {
            Log("unlockVertexBuffer %s", Name(buffer).c_str());
            return d3dOk;
        },
    .lockRect =
        [](void* texture, u32 level, D3dLockedRect* locked, const D3dRect* rect, u32 flags) {
            Log("lockRect %s %u (%d %d %d %d) %u", Name(texture).c_str(), level, rect->left, rect->top, rect->right,
                rect->bottom, flags);
            const i32 result = Take(&script.lockRect);
            FakeObject* object = (FakeObject*)texture;
            locked->pitch = result < 0 ? 0 : object->pitch;
            locked->bits = result < 0 ? nullptr : object->memory.data();
            return result;
        },
    .unlockRect =
        [](void* texture, u32 level) {
            Log("unlockRect %s %u", Name(texture).c_str(), level);
            return d3dOk;
        },
    .release =
        [](void* object) {
            Log("release %s", Name(object).c_str());
            ((FakeObject*)object)->alive = false;
            return 0u;
        },
};

int LiveObjects()
{
    int live = 0;
    for (int i = 0; i < objectCount; ++i)
        live += objects[i].alive ? 1 : 0;
    return live;
}

FakeObject* LiveObject(char kind)
{
    for (int i = objectCount - 1; i >= 0; --i)
        if (objects[i].kind == kind && objects[i].alive)
            return &objects[i];
    return nullptr;
}

// Compares the calls since the last check with the expected ones, printing both on a mismatch.
void ExpectCalls(const std::vector<std::string>& expected)
{
    if (calls != expected) {
        ++failures;
        printf("  FAILED: calls differ\n  expected:\n");
        for (const std::string& call : expected)
            printf("    %s\n", call.c_str());
        printf("  made:\n");
        for (const std::string& call : calls)
            printf("    %s\n", call.c_str());
    }
    calls.clear();
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> SamplerCalls(const char* device, u32 filter)
{
    char magnify[80], minify[80], mip[80];
    snprintf(magnify, sizeof(magnify), "setSamplerState %s 0 %u %u", device, samplerMagFilter, filter);
    snprintf(minify, sizeof(minify), "setSamplerState %s 0 %u %u", device, samplerMinFilter, filter);
    snprintf(mip, sizeof(mip), "setSamplerState %s 0 %u %u", device, samplerMipFilter, filterNone);
    return {magnify, minify, mip};
}

std::vector<std::string> TextureStateCalls(const std::string& device, const std::string& texture)
{
    const std::string prefix = "setTextureStageState " + device + " 0 ";
    return {prefix + std::to_string(stageColorOp) + " " + std::to_string(opSelectArg1),
            prefix + std::to_string(stageColorArg1) + " " + std::to_string(argTexture),
            prefix + std::to_string(stageColorArg2) + " " + std::to_string(argDiffuse),
            "setTexture " + device + " 0 " + texture};
}

// The calls that make the quad and the texture after the device exists.
std::vector<std::string> QuadAndTextureCalls(const std::string& device, const std::string& buffer,
                                             const std::string& texture, u32 textureSize)
{
    const std::string size = std::to_string(textureSize);
    return Join({{"createVertexBuffer " + device + " 144 " + std::to_string(usageWriteOnly) + " 0x104 " +
                      std::to_string(poolManaged) + " -> " + buffer,
                  "lockVertexBuffer " + buffer + " 0 0 0", "unlockVertexBuffer " + buffer,
                  "createTexture " + device + " " + size + " " + size + " 1 0 " + std::to_string(formatX8R8G8B8) +
                      " " + std::to_string(poolManaged) + " -> " + texture},
                 TextureStateCalls(device, texture)});
}

std::vector<std::string> DrawCalls(const std::string& device, const std::string& buffer)
{
    return {"clear " + device + " " + std::to_string(clearTarget) + " 0 1.0 0",
            "beginScene " + device,
            "setFVF " + device + " 0x104",
            "setStreamSource " + device + " 0 " + buffer + " 0 24",
            "drawPrimitive " + device + " " + std::to_string(triangleList) + " 0 2",
            "endScene " + device,
            "present " + device};
}

void Case(const char* name)
{
    printf("case: %s\n", name);
    calls.clear();
    script = Script{};
}

// ---- the cases ------------------------------------------------------------------------------------

struct QuadVertex {
    f32 x, y, z, rhw, u, v;
};

void CheckQuad(const FakeObject* buffer, f32 w, f32 h, f32 pictureW, f32 pictureH, f32 textureSize)
{
    CHECK(buffer && buffer->memory.size() == 6 * sizeof(QuadVertex));
    if (!buffer || buffer->memory.size() != 6 * sizeof(QuadVertex))
        return;
    QuadVertex quad[6];
    memcpy(quad, buffer->memory.data(), sizeof(quad));
    // Two triangles over the quad, corners half a pixel up and left; the picture's share of the
    // texture from its top-left corner.
    const f32 l = -0.5f, t = -0.5f, r = w - 0.5f, b = h - 0.5f;
    const f32 uRight = pictureW / textureSize, vBottom = pictureH / textureSize;
    const QuadVertex expected[6] = {
        {l, b, 1, 1, 0, vBottom}, {l, t, 1, 1, 0, 0},      {r, t, 1, 1, uRight, 0},
        {l, b, 1, 1, 0, vBottom}, {r, t, 1, 1, uRight, 0}, {r, b, 1, 1, uRight, vBottom},
    };
    for (int i = 0; i < 6; ++i) {
        if (memcmp(&quad[i], &expected[i], sizeof(QuadVertex)) != 0) {
            printf("  vertex %d: (%g %g %g %g %g %g), expected (%g %g %g %g %g %g)\n", i, quad[i].x, quad[i].y,
                   quad[i].z, quad[i].rhw, quad[i].u, quad[i].v, expected[i].x, expected[i].y, expected[i].z,
                   expected[i].rhw, expected[i].u, expected[i].v);
            ++failures;
        }
    }
}

std::vector<u32> Picture(u32 width, u32 height, u32 seed)
{
    std::vector<u32> pixels((size_t)width * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (u32)(i * 2654435761u + seed) & 0xFFFFFF;
    return pixels;
}

// The picture sits in the texture's top-left corner row by row, and nothing right of it or below it
// was written.
void CheckTexture(const FakeObject* texture, const std::vector<u32>& pixels, u32 width, u32 height)
{
    CHECK(texture != nullptr);
    if (!texture)
        return;
    bool pictureOk = true, restUntouched = true;
    const u32 rows = (u32)(texture->memory.size() / (size_t)texture->pitch);
    for (u32 y = 0; y < rows; ++y) {
        const u8* row = texture->memory.data() + (size_t)y * texture->pitch;
        for (u32 byte = 0; byte < (u32)texture->pitch; ++byte) {
            if (y < height && byte < width * 4) {
                const u32 x = byte / 4;
                const u32 pixel = pixels[(size_t)y * width + x];
                pictureOk &= row[byte] == (u8)(pixel >> (8 * (byte & 3)));
            } else {
                restUntouched &= row[byte] == 0xAB;
            }
        }
    }
    CHECK(pictureOk);
    CHECK(restUntouched);
}

void CreateCases()
{
    Case("the device at 424x240 windowed: point filters, a 512 texture, the quad over 424x240");
    CreateVideoDevice(424, 240, 424, 240, false);
    ExpectCalls(Join({{"createDevice on thread 0 -> D1"}, SamplerCalls("D1", filterPoint),
                      QuadAndTextureCalls("D1", "V1", "T1", 512)}));
    CheckQuad(LiveObject('V'), 424, 240, 424, 240, 512);
    CHECK(LiveObjects() == 3);

    Case("a new size re-makes everything: 848x480 full screen over 1920x1057, linear filters, a 1024 texture");
    CreateVideoDevice(848, 480, 1920, 1057, true);
    ExpectCalls(Join({{"release T1", "release V1", "release D1", "createDevice on thread 0 -> D2"},
                      SamplerCalls("D2", filterLinear), QuadAndTextureCalls("D2", "V2", "T2", 1024)}));
    CheckQuad(LiveObject('V'), 1920, 1057, 848, 480, 1024);
    CHECK(LiveObjects() == 3);

    Case("back to 424x240 windowed");
    CreateVideoDevice(424, 240, 424, 240, false);
    CHECK(LiveObjects() == 3);
    CHECK(Name(LiveObject('D')) == "D3" && Name(LiveObject('T')) == "T3" && Name(LiveObject('V')) == "V3");
}

void PresentCases()
{
    Case("a present copies the rows with the texture's pitch and draws the quad");
    const std::vector<u32> picture = Picture(424, 240, 1);
    CHECK(PresentPixels(picture.data(), 424, 240) == PresentOk);
    ExpectCalls(Join({{"testCooperativeLevel D3", "lockRect T3 0 (0 0 424 240) 0", "unlockRect T3 0"},
                      DrawCalls("D3", "V3")}));
    CheckTexture(LiveObject('T'), picture, 424, 240);

    struct ResultCase {
        const char* name;
        Script script;
        PresentResult expected;
        bool locks, draws;        // the texture update and the draw calls happen
        const char* lastCall;     // the last call made
    };
    const ResultCase cases[] = {
        {"a lost device is left alone: no lock, no draw", {.testCooperativeLevel = d3dDeviceLost}, PresentLost,
         false, false, "testCooperativeLevel D3"},
        {"a device ready for Reset asks for recovery", {.testCooperativeLevel = d3dDeviceNotReset},
         PresentNotReset, false, false, "testCooperativeLevel D3"},
        {"another cooperative-level failure is fatal", {.testCooperativeLevel = driverInternalError},
         PresentFatal, false, false, "testCooperativeLevel D3"},
        {"a failed lock keeps the old picture and still draws", {.lockRect = genericFailure}, PresentOk, false,
         true, "present D3"},
        {"a device lost at Clear skips the scene", {.clear = d3dDeviceLost}, PresentLost, true, false,
         "clear D3 1 0 1.0 0"},
        {"a failing BeginScene is fatal", {.beginScene = genericFailure}, PresentFatal, true, false,
         "beginScene D3"},
        {"EndScene's result is not examined", {.endScene = genericFailure}, PresentOk, true, true, "present D3"},
        {"a device lost at Present", {.present = d3dDeviceLost}, PresentLost, true, true, "present D3"},
        {"Present asking for Reset", {.present = d3dDeviceNotReset}, PresentNotReset, true, true, "present D3"},
        {"any other Present failure is fatal", {.present = genericFailure}, PresentFatal, true, true,
         "present D3"},
    };
    for (const ResultCase& test : cases) {
        Case(test.name);
        script = test.script;
        const std::vector<u32> next = Picture(424, 240, 7);
        const PresentResult result = PresentPixels(next.data(), 424, 240);
        CHECK(result == test.expected);
        bool locked = false, unlocked = false, drew = false;
        for (const std::string& call : calls) {
            locked |= call.rfind("lockRect", 0) == 0;
            unlocked |= call.rfind("unlockRect", 0) == 0;
            drew |= call.rfind("drawPrimitive", 0) == 0;
        }
        // An unlock only ever follows a lock that worked.
        CHECK(unlocked == test.locks);
        CHECK(!unlocked || locked);
        CHECK(drew == test.draws);
        CHECK(!calls.empty() && calls.back() == test.lastCall);
        if (calls.empty() || calls.back() != test.lastCall)
            printf("  last call: %s\n", calls.empty() ? "none" : calls.back().c_str());
        if (test.locks)
            CheckTexture(LiveObject('T'), next, 424, 240);
        // Put the reference picture back for the next case.
        script = Script{};
        PresentPixels(picture.data(), 424, 240);
    }

    Case("a picture larger than the texture is not copied");
    const std::vector<u32> large = Picture(1024, 600, 3);
    CHECK(PresentPixels(large.data(), 1024, 600) == PresentOk);
    ExpectCalls(Join({{"testCooperativeLevel D3"}, DrawCalls("D3", "V3")}));
}

int recoverResults[2];

int RecoverTwice(void*)
{
    threadTag = 1;
    recoverResults[0] = RecoverVideoDevice() ? 1 : 0;
    recoverResults[1] = RecoverVideoDevice() ? 1 : 0;
    return 0;
}

void RecoveryCases()
{
    Case("Reset on the thread that made the device keeps texture and quad and restores their states");
    script.testCooperativeLevel = d3dDeviceNotReset;
    const std::vector<u32> picture = Picture(424, 240, 11);
    CHECK(PresentPixels(picture.data(), 424, 240) == PresentNotReset);
    calls.clear();
    CHECK(RecoverVideoDevice());
    ExpectCalls(Join({{"reset D3 on thread 0"}, TextureStateCalls("D3", "T3"), SamplerCalls("D3", filterPoint)}));
    CHECK(PresentPixels(picture.data(), 424, 240) == PresentOk);
    ExpectCalls(Join({{"testCooperativeLevel D3", "lockRect T3 0 (0 0 424 240) 0", "unlockRect T3 0"},
                      DrawCalls("D3", "V3")}));
    CheckTexture(LiveObject('T'), picture, 424, 240);

    Case("another thread never calls Reset: it makes device, quad and texture anew, then may Reset its own");
    PlatformThread* thread = StartThread(RecoverTwice, nullptr);
    CHECK(thread != nullptr);
    JoinThread(thread);
    CHECK(recoverResults[0] == 1 && recoverResults[1] == 1);
    ExpectCalls(Join({{"release T3", "release V3", "release D3", "createDevice on thread 1 -> D4"},
                      SamplerCalls("D4", filterPoint), QuadAndTextureCalls("D4", "V4", "T4", 512),
                      {"reset D4 on thread 1"}, TextureStateCalls("D4", "T4"), SamplerCalls("D4", filterPoint)}));
    CheckQuad(LiveObject('V'), 424, 240, 424, 240, 512);
    CHECK(PresentPixels(picture.data(), 424, 240) == PresentOk);
    ExpectCalls(Join({{"testCooperativeLevel D4", "lockRect T4 0 (0 0 424 240) 0", "unlockRect T4 0"},
                      DrawCalls("D4", "V4")}));
    CheckTexture(LiveObject('T'), picture, 424, 240);
    CHECK(LiveObjects() == 3);

    Case("a failed Reset makes the device anew (main thread, device of thread 1)");
    CreateVideoDevice(424, 240, 424, 240, false); // the main thread's own device again
    calls.clear();
    script.reset = d3dDeviceLost;
    CHECK(RecoverVideoDevice());
    ExpectCalls(Join({{"reset D5 on thread 0", "release T5", "release V5", "release D5",
                       "createDevice on thread 0 -> D6"},
                      SamplerCalls("D6", filterPoint), QuadAndTextureCalls("D6", "V6", "T6", 512)}));
    CHECK(LiveObjects() == 3);

    Case("when no device can be made yet, nothing is left and the next present asks again");
    CreateVideoDevice(848, 480, 1920, 1057, true);
    calls.clear();
    script.reset = d3dDeviceLost;
    script.createDevice = d3dDeviceLost;
    CHECK(!RecoverVideoDevice());
    ExpectCalls({"reset D7 on thread 0", "release T7", "release V7", "release D7", "createDevice on thread 0 -> null"});
    CHECK(LiveObjects() == 0);
    CHECK(PresentPixels(picture.data(), 424, 240) == PresentNotReset);
    ExpectCalls({});
    CHECK(RecoverVideoDevice());
    ExpectCalls(Join({{"createDevice on thread 0 -> D8"}, SamplerCalls("D8", filterLinear),
                      QuadAndTextureCalls("D8", "V8", "T8", 1024)}));
    CheckQuad(LiveObject('V'), 1920, 1057, 848, 480, 1024);
    const std::vector<u32> wide = Picture(848, 480, 5);
    CHECK(PresentPixels(wide.data(), 848, 480) == PresentOk);
    CheckTexture(LiveObject('T'), wide, 848, 480);
}

void ShutdownCases()
{
    Case("shutdown releases texture, quad and device once");
    PlatformShutdown();
    ExpectCalls({"release T8", "release V8", "release D8"});
    CHECK(LiveObjects() == 0);
    PlatformShutdown();
    ExpectCalls({});
}

} // namespace

int main()
{
    direct3DCalls = &fakeCalls;
    CreateCases();
    PresentCases();
    RecoveryCases();
    ShutdownCases();
    printf("%s: %d failure%s\n", failures ? "FAIL" : "PASS", failures, failures == 1 ? "" : "s");
    fflush(stdout);
    return ReturnWithExitLine("device_loss_test", failures ? 1 : 0);
}
