// audio_check OUT: the sound output of the Win32 backend on the real device. The platform starts
// as the game starts it (window, Direct3D, DirectInput, DirectSound), then the refill runs as the
// game loop runs it, with an effect queued at every half, until 40 halves have been mixed. Any
// message box is read (caption and text), noted and answered by a watcher thread, so a run that
// shows one still ends. OUT gets one line a fact:
//   box CAPTION|TEXT      a message box that was shown
//   device 0|1            whether the stream plays on a device
//   halves N              halves mixed
//   cursor N              distinct play-cursor readings (device only)
//   done                  the platform was shut down after the run
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Engine/Common/Sound.h"
#include "Engine/Platform/Audio.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Platform/Win32/Win32Internal.h"
#include "Engine/Platform/Win32/Win32Platform.h"
#include "tests/programs/ExitLine.h"

namespace {

CRITICAL_SECTION boxLock;
std::vector<std::string> boxes;
volatile LONG watching = 1;

BOOL CALLBACK AnswerBox(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (process != GetCurrentProcessId() || strcmp(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    char caption[256] = {}, text[512] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text)); // the message box's static text
    EnterCriticalSection(&boxLock);
    boxes.push_back(std::string(caption) + "|" + text);
    LeaveCriticalSection(&boxLock);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

DWORD WINAPI WatchBoxes(void*)
{
    while (watching) {
        EnumWindows(AnswerBox, 0);
        Sleep(100);
    }
    return 0;
}

// A short 8-bit mono tone for the effect voices.
bool WriteBeep()
{
    const u32 samples = 4000;
    u8 header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                     0x44, 0xAC, 0, 0, 0x44, 0xAC, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a'};
    const u32 riff = 36 + samples;
    memcpy(header + 4, &riff, 4);
    memcpy(header + 40, &samples, 4);
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\SFX", nullptr);
    FILE* file = fopen("Data/SFX/Beep.wav", "wb");
    if (!file)
        return false;
    fwrite(header, 1, sizeof(header), file);
    for (u32 i = 0; i < samples; ++i)
        fputc((i / 50) % 2 ? 168 : 88, file);
    return fclose(file) == 0;
}

int Run(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: audio_check OUT\n");
        return 2;
    }
    FILE* out = fopen(argv[1], "wb"); // plain line ends for the script that reads it
    if (!out || !WriteBeep()) {
        fprintf(stderr, "audio_check: cannot write its files\n");
        return 2;
    }
    InitializeCriticalSection(&boxLock);
    HANDLE watcher = CreateThread(nullptr, 0, WatchBoxes, nullptr, 0, nullptr);

    SetStartupArguments(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    const bool started = InitPlatform();
    int halves = 0;
    std::set<u32> cursors;
    if (started) {
        const u16 beep = (u16)LoadSound("Data/SFX/Beep.wav");
        const DWORD begin = GetTickCount();
        u8 half = nextStreamHalf;
        // Bounded by the clock only so that a stream that never moves still ends the run.
        while (halves < 40 && GetTickCount() - begin < 20000) {
            RefillSoundStream();
            if (nextStreamHalf != half) {
                half = nextStreamHalf;
                ++halves;
                QueueSound(beep);
            }
            u32 cursor;
            if (soundDeviceOpen && SoundPlayCursor(&cursor))
                cursors.insert(cursor);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            Sleep(1);
        }
        fprintf(out, "device %d\nhalves %d\ncursor %d\n", soundDeviceOpen, halves, (int)cursors.size());
        ShutdownPlatform();
        fprintf(out, "done\n");
    }
    watching = 0;
    WaitForSingleObject(watcher, 5000);
    for (const std::string& box : boxes)
        fprintf(out, "box %s\n", box.c_str());
    fclose(out);
    return started ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    return ReturnWithExitLine("audio_check", Run(argc, argv));
}
