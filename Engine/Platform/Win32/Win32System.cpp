// Message boxes, the keyboard, the clocks, threads and the frame mutex on Win32.
#include <cstdio>
#include <cstdlib>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Win32/Win32Internal.h"

#include <mmsystem.h>

int ShowMessageBox(const char* text, const char* caption, u32 flags)
{
    const int answer = MessageBoxA(nullptr, text, caption, flags);
    if (answer == 0 && (flags & 0xF) == BoxYesNo)
        return BoxAnswerNo;
    return answer;
}

namespace {

struct KeyMapping {
    u8 virtualKey;
    u8 slot; // set-1 scan code without the extended prefix
};

// The keys the game reads. The generic Control, Shift and Alt keys land on the left keys' codes;
// F11 and F12 take the codes after F10's.
const KeyMapping keyMappings[] = {
    {'A', 30}, {'B', 48}, {'C', 46}, {'D', 32}, {'E', 18}, {'F', 33}, {'G', 34}, {'H', 35}, {'I', 23},
    {'J', 36}, {'K', 37}, {'L', 38}, {'M', 50}, {'N', 49}, {'O', 24}, {'P', 25}, {'Q', 16}, {'R', 19},
    {'S', 31}, {'T', 20}, {'U', 22}, {'V', 47}, {'W', 17}, {'X', 45}, {'Y', 21}, {'Z', 44},
    {'1', 2},  {'2', 3},  {'3', 4},  {'4', 5},  {'5', 6},  {'6', 7},  {'7', 8},  {'8', 9},  {'9', 10},
    {'0', 11},
    {VK_UP, 72}, {VK_LEFT, 75}, {VK_RIGHT, 77}, {VK_DOWN, 80},
    {VK_RETURN, 28}, {VK_TAB, 15}, {VK_SPACE, 57}, {VK_CONTROL, 29}, {VK_MENU, 56}, {VK_ESCAPE, 1},
    {VK_SHIFT, 42},
    {VK_F1, 59}, {VK_F2, 60}, {VK_F3, 61}, {VK_F4, 62}, {VK_F5, 63}, {VK_F6, 64}, {VK_F7, 65}, {VK_F8, 66},
    {VK_F9, 67}, {VK_F10, 68}, {VK_F11, 69}, {VK_F12, 70},
    {VK_BACK, 14}, {VK_PRIOR, 73}, {VK_NEXT, 81}, {VK_HOME, 71}, {VK_END, 79}, {VK_INSERT, 82}, {VK_DELETE, 83},
    {VK_OEM_3, 41}, {VK_OEM_MINUS, 12}, {VK_OEM_PLUS, 13}, {VK_OEM_4, 26}, {VK_OEM_6, 27}, {VK_OEM_5, 43},
    {VK_OEM_1, 39}, {VK_OEM_7, 40}, {VK_OEM_COMMA, 51}, {VK_OEM_PERIOD, 52}, {VK_OEM_2, 53},
};
static_assert(sizeof(keyMappings) / sizeof(keyMappings[0]) == 77, "the game reads 77 keys");

} // namespace

void PollKeys(u8 active[128])
{
    for (int slot = 0; slot < 126; ++slot)
        active[slot] = 0;
    // Any non-zero answer counts: down now, or pressed since the previous query.
    for (const KeyMapping& key : keyMappings)
        if (GetAsyncKeyState(key.virtualKey) != 0)
            active[key.slot] = 1;
    active[125] = (GetKeyState(VK_CAPITAL) & 1) ? 1 : 0;
}

bool PerfFrequency(i64* frequency)
{
    LARGE_INTEGER value;
    const bool has = QueryPerformanceFrequency(&value) != 0;
    *frequency = has ? (i64)value.QuadPart : 0;
    return has;
}

i64 PerfCounter()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return (i64)value.QuadPart;
}

u32 MilliTime()
{
    return (u32)timeGetTime();
}

void SleepMs(u32 milliseconds)
{
    Sleep(milliseconds);
}

struct PlatformThread {
    HANDLE handle;
    int (*procedure)(void*);
    void* argument;
};

namespace {

DWORD WINAPI ThreadStart(LPVOID parameter)
{
    PlatformThread* thread = (PlatformThread*)parameter;
    return (DWORD)thread->procedure(thread->argument);
}

} // namespace

PlatformThread* StartThread(int (*procedure)(void*), void* argument)
{
    PlatformThread* thread = (PlatformThread*)malloc(sizeof(PlatformThread));
    if (!thread)
        return nullptr;
    thread->procedure = procedure;
    thread->argument = argument;
    thread->handle = CreateThread(nullptr, 0, ThreadStart, thread, 0, nullptr);
    if (!thread->handle) {
        free(thread);
        return nullptr;
    }
    return thread;
}

void JoinThread(PlatformThread* thread)
{
    if (!thread)
        return;
    // Keep serving this thread's messages while waiting: the other thread's last pass may place the
    // window, which sends a message here and would wait for us forever.
    bool quitSeen = false;
    int quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &thread->handle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitSeen = true;
                quitCode = (int)message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // A quit message taken here still belongs to whoever pumps next.
    if (quitSeen)
        PostQuitMessage(quitCode);
    CloseHandle(thread->handle);
    free(thread);
}

PlatformMutex* CreateFrameMutex()
{
    return (PlatformMutex*)CreateMutexA(nullptr, FALSE, nullptr);
}

void LockFrameMutex(PlatformMutex* mutex)
{
    WaitForSingleObject((HANDLE)mutex, INFINITE);
}

void UnlockFrameMutex(PlatformMutex* mutex)
{
    ReleaseMutex((HANDLE)mutex);
}

void DestroyFrameMutex(PlatformMutex* mutex)
{
    CloseHandle((HANDLE)mutex);
}

void ExitProcessNow(int code)
{
    fflush(nullptr);
    exit(code);
}

void IdleBetweenPasses() {}
