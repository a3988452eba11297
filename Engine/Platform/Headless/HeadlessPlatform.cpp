// The seam with a virtual clock, no window and no device, for runs in tests and in the runner.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Headless/Headless.h"

namespace {

i64 counter;
bool hasCounter = true;
u8 keys[128];
int boxAnswer = BoxAnswerNo;
std::vector<headless::ShownBox> boxes;
std::vector<PresentResult> presentResults;
int recoverCount;
std::vector<u32> lastPicture;
u32 lastWidth, lastHeight, presentCount;
u32 clientWidth, clientHeight;
bool windowFullscreen, deviceLinear, cursorVisible = true;
u32 sleptMs;

struct ScriptedDirectPad {
    DPadState state;
    DirectPadRead read;
    int readCount;
};
bool xpadPresent[4];
XPadState xpads[4];
ScriptedDirectPad directPads[16];
int directPadCount, excludedXPads;

void ResetPads()
{
    memset(xpadPresent, 0, sizeof(xpadPresent));
    memset(xpads, 0, sizeof(xpads));
    memset(directPads, 0, sizeof(directPads));
    for (ScriptedDirectPad& pad : directPads)
        pad.state.pov = 0xFFFFFFFF; // at rest: hat centred
    directPadCount = excludedXPads = 0;
}

} // namespace

struct PlatformThread {
    int (*procedure)(void*);
    void* argument;
};
struct PlatformMutex {
    int depth;
};

namespace headless {

void SetCounter(i64 value) { counter = value; }
i64 Counter() { return counter; }
void AdvanceMs(u32 milliseconds) { counter += counterFrequency / 1000 * milliseconds; }
void SetHasPerformanceCounter(bool has) { hasCounter = has; }
void SetKey(int slot, bool down)
{
    if (slot >= 0 && slot < 126)
        keys[slot] = down ? 1 : 0;
}
void ReleaseAllKeys() { memset(keys, 0, sizeof(keys)); }
void SetBoxAnswer(int answer) { boxAnswer = answer; }
const std::vector<ShownBox>& ShownBoxes() { return boxes; }
void ClearShownBoxes() { boxes.clear(); }
void QueuePresentResults(const std::vector<PresentResult>& results)
{
    presentResults.insert(presentResults.end(), results.begin(), results.end());
}
int RecoverCount() { return recoverCount; }
const std::vector<u32>& LastPresented() { return lastPicture; }
u32 LastPresentedWidth() { return lastWidth; }
u32 LastPresentedHeight() { return lastHeight; }
u32 PresentCount() { return presentCount; }
u32 WindowClientWidth() { return clientWidth; }
u32 WindowClientHeight() { return clientHeight; }
bool WindowFullscreen() { return windowFullscreen; }
bool DeviceLinear() { return deviceLinear; }
bool CursorVisible() { return cursorVisible; }
u32 SleptMs() { return sleptMs; }

void SetXPad(int user, const XPadState* state)
{
    if (user < 0 || user >= 4)
        return;
    xpadPresent[user] = state != nullptr;
    xpads[user] = state ? *state : XPadState{};
}
void SetDirectPads(int count, int excludedXInputPads)
{
    directPadCount = count < 0 ? 0 : count > 16 ? 16 : count;
    excludedXPads = excludedXInputPads;
}
void SetDirectPad(int index, const DPadState& state)
{
    if (index >= 0 && index < 16)
        directPads[index].state = state;
}
void SetDirectPadRead(int index, DirectPadRead read)
{
    if (index >= 0 && index < 16)
        directPads[index].read = read;
}
int DirectPadReadCount(int index)
{
    return index >= 0 && index < 16 ? directPads[index].readCount : 0;
}

void Reset()
{
    counter = 0;
    hasCounter = true;
    ReleaseAllKeys();
    boxAnswer = BoxAnswerNo;
    boxes.clear();
    presentResults.clear();
    recoverCount = 0;
    lastPicture.clear();
    lastWidth = lastHeight = presentCount = 0;
    clientWidth = clientHeight = 0;
    windowFullscreen = deviceLinear = false;
    cursorVisible = true;
    sleptMs = 0;
    ResetPads();
}

} // namespace headless

bool PlatformInit() { return true; }
void PlatformShutdown() {}

bool PumpMainThread(int*)
{
    return false;
}

void ExitProcessNow(int code)
{
    fflush(nullptr);
    exit(code);
}

void PlaceMainWindow(u32 width, u32 height, bool fullscreen, u32* quadWidth, u32* quadHeight)
{
    windowFullscreen = fullscreen;
    // A virtual 1920x1080 monitor without caption or frame metrics.
    clientWidth = fullscreen ? 1920 : width;
    clientHeight = fullscreen ? 1080 : height;
    *quadWidth = clientWidth;
    *quadHeight = clientHeight;
}

void SetMainWindowStyle(bool) {}
i32 CaptionHeightMetric() { return 0; }
void ShowMouseCursor(bool show) { cursorVisible = show; }

void CreateVideoDevice(u32, u32, u32, u32, bool linear)
{
    deviceLinear = linear;
}

PresentResult PresentPixels(const u32* pixels, u32 width, u32 height)
{
    ++presentCount;
    if (!presentResults.empty()) {
        const PresentResult result = presentResults.front();
        presentResults.erase(presentResults.begin());
        if (result != PresentOk)
            return result;
    }
    lastWidth = width;
    lastHeight = height;
    if (pixels)
        lastPicture.assign(pixels, pixels + (size_t)width * height);
    return PresentOk;
}

bool RecoverVideoDevice()
{
    ++recoverCount;
    return true;
}

int ShowMessageBox(const char* text, const char* caption, u32 flags)
{
    boxes.push_back({text, caption, flags});
    if ((flags & 0xF) == BoxYesNo)
        return boxAnswer;
    return BoxAnswerOk;
}

void PollKeys(u8 active[128])
{
    memcpy(active, keys, 126);
}

bool PollXPad(int user, XPadState* state)
{
    if (user < 0 || user >= 4 || !xpadPresent[user])
        return false;
    *state = xpads[user];
    return true;
}

int DirectPadCount() { return directPadCount; }

DirectPadRead PollDirectPad(int index, DPadState* state)
{
    if (index < 0 || index >= directPadCount)
        return DirectPadStop;
    ScriptedDirectPad& pad = directPads[index];
    ++pad.readCount;
    if (pad.read == DirectPadOk)
        *state = pad.state;
    return pad.read;
}

int XInputPadsExcluded() { return excludedXPads; }

bool PerfFrequency(i64* frequency)
{
    *frequency = headless::counterFrequency;
    return hasCounter;
}
i64 PerfCounter() { return counter; }
u32 MilliTime() { return (u32)(counter / (headless::counterFrequency / 1000)); }
void SleepMs(u32 milliseconds)
{
    sleptMs += milliseconds;
    headless::AdvanceMs(milliseconds);
}

// Headless runs are single-threaded: tests and the runner call the game thread's functions
// themselves, so a started thread is only a handle and never runs.
PlatformThread* StartThread(int (*procedure)(void*), void* argument)
{
    return new PlatformThread{procedure, argument};
}
void JoinThread(PlatformThread* thread)
{
    delete thread;
}

PlatformMutex* CreateFrameMutex() { return new PlatformMutex{0}; }
void LockFrameMutex(PlatformMutex* mutex)
{
    if (mutex)
        ++mutex->depth;
}
void UnlockFrameMutex(PlatformMutex* mutex)
{
    if (mutex)
        --mutex->depth;
}
void DestroyFrameMutex(PlatformMutex* mutex) { delete mutex; }

void IdleBetweenPasses() {}
