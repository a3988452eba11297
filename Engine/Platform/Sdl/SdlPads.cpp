#include "Engine/Platform/Sdl/SdlPads.h"

#include <SDL.h>


#include "Engine/Platform/Pads.h"
#include "Engine/Platform/Platform.h"

namespace {

struct OpenPad {
    SDL_Joystick* joystick;            // null: the place is free
    SDL_GameController* controller;    // XInput-class pads only
    SDL_JoystickID id;
};

// Main thread only.
OpenPad xpadSlots[xpadUserCount];
OpenPad dpadSlots[padCount];
int dpadSlotCount; // places handed out so far; a freed place keeps its pad number

// The snapshot, written by the main thread and read by the game thread under padLock.
struct PadSnapshot {
    bool xconnected[xpadUserCount];
    XPadState xstates[xpadUserCount];
    bool dconnected[padCount];
    DPadState dstates[padCount];
    int dcount;
    int excluded;
};
SDL_mutex* padLock;
PadSnapshot snapshot;

bool IsXInputKind(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex))
        return false;
    const SDL_GameControllerType type = SDL_GameControllerTypeForIndex(deviceIndex);
    return type == SDL_CONTROLLER_TYPE_XBOX360 || type == SDL_CONTROLLER_TYPE_XBOXONE;
}

bool IsOpen(SDL_JoystickID id)
{
    for (const OpenPad& pad : xpadSlots)
        if (pad.joystick && pad.id == id)
            return true;
    for (int i = 0; i < dpadSlotCount; ++i)
        if (dpadSlots[i].joystick && dpadSlots[i].id == id)
            return true;
    return false;
}

// Opens the pad at a device index into a free place: an XInput-kind controller takes the first
// free user index; anything else (or a fifth XInput-kind pad) the first free DirectInput place.
// Returns 1 when it became an XInput-class pad, 0 otherwise.
int OpenDevice(int deviceIndex)
{
    if (IsXInputKind(deviceIndex)) {
        for (OpenPad& slot : xpadSlots) {
            if (slot.joystick)
                continue;
            SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
            if (!controller)
                return 0;
            slot.controller = controller;
            slot.joystick = SDL_GameControllerGetJoystick(controller);
            slot.id = SDL_JoystickInstanceID(slot.joystick);
            return 1;
        }
    }
    int place = 0;
    while (place < dpadSlotCount && dpadSlots[place].joystick)
        ++place;
    if (place == padCount)
        return 0;
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick)
        return 0;
    dpadSlots[place].joystick = joystick;
    dpadSlots[place].controller = nullptr;
    dpadSlots[place].id = SDL_JoystickInstanceID(joystick);
    if (place == dpadSlotCount)
        ++dpadSlotCount;
    return 0;
}

void Release(OpenPad& pad)
{
    if (pad.controller)
        SDL_GameControllerClose(pad.controller);
    else if (pad.joystick)
        SDL_JoystickClose(pad.joystick);
    pad = OpenPad{};
}

i16 InvertAxis(Sint16 value)
{
    // XInput's sticks are positive upwards, SDL's downwards.
    return value == -32768 ? (i16)32767 : (i16)-value;
}

void ReadXPad(SDL_GameController* c, XPadState* state)
{
    struct ButtonBit {
        SDL_GameControllerButton button;
        u16 bit;
    };
    static const ButtonBit bits[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, XPadDpadUp},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XPadDpadDown},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XPadDpadLeft},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XPadDpadRight},
        {SDL_CONTROLLER_BUTTON_START, XPadStart},
        {SDL_CONTROLLER_BUTTON_BACK, XPadBack},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, XPadLeftThumb},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XPadRightThumb},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XPadLeftShoulder},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XPadRightShoulder},
        {SDL_CONTROLLER_BUTTON_A, XPadA},
        {SDL_CONTROLLER_BUTTON_B, XPadB},
        {SDL_CONTROLLER_BUTTON_X, XPadX},
        {SDL_CONTROLLER_BUTTON_Y, XPadY},
    };
    *state = XPadState{};
    for (const ButtonBit& b : bits)
        if (SDL_GameControllerGetButton(c, b.button))
            state->buttons |= b.bit;
    // Triggers run 0-32767 where XInput has 0-255.
    state->leftTrigger = (u8)(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT) >> 7);
    state->rightTrigger = (u8)(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) >> 7);
    state->thumbLX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    state->thumbLY = InvertAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    state->thumbRX = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
    state->thumbRY = InvertAxis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
}

// An axis scaled to -1000..1000, as the DirectInput pads have their ranges set.
i32 ScaledAxis(SDL_Joystick* j, int axis)
{
    if (axis >= SDL_JoystickNumAxes(j))
        return 0;
    const i32 value = SDL_JoystickGetAxis(j, axis);
    return value < 0 ? value * 1000 / 32768 : value * 1000 / 32767;
}

u32 HatPosition(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 0xFFFFFFFF;
    }
}

void ReadDPad(SDL_Joystick* j, DPadState* state)
{
    *state = DPadState{};
    // DirectInput's axis order: X, Y, Z, X rotation, Y rotation.
    state->x = ScaledAxis(j, 0);
    state->y = ScaledAxis(j, 1);
    state->z = ScaledAxis(j, 2);
    state->rx = ScaledAxis(j, 3);
    state->ry = ScaledAxis(j, 4);
    state->pov = SDL_JoystickNumHats(j) > 0 ? HatPosition(SDL_JoystickGetHat(j, 0)) : 0xFFFFFFFF;
    const int buttons = SDL_JoystickNumButtons(j) < 32 ? SDL_JoystickNumButtons(j) : 32;
    for (int b = 0; b < buttons; ++b)
        state->buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
}

} // namespace

void SdlInitPads()
{
    if (!padLock)
        padLock = SDL_CreateMutex();
    int excluded = 0;
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        excluded += OpenDevice(i);
    if (padLock) {
        SDL_LockMutex(padLock);
        snapshot.excluded = excluded;
        SDL_UnlockMutex(padLock);
    }
    SdlPumpPads();
}

void SdlPumpPads()
{
    if (!padLock)
        return;
    SDL_JoystickUpdate();
    for (OpenPad& pad : xpadSlots)
        if (pad.joystick && !SDL_JoystickGetAttached(pad.joystick))
            Release(pad);
    for (int i = 0; i < dpadSlotCount; ++i)
        if (dpadSlots[i].joystick && !SDL_JoystickGetAttached(dpadSlots[i].joystick))
            Release(dpadSlots[i]);
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        if (!IsOpen(SDL_JoystickGetDeviceInstanceID(i)))
            OpenDevice(i);

    PadSnapshot next{};
    for (int user = 0; user < xpadUserCount; ++user) {
        next.xconnected[user] = xpadSlots[user].controller != nullptr;
        if (next.xconnected[user])
            ReadXPad(xpadSlots[user].controller, &next.xstates[user]);
    }
    next.dcount = dpadSlotCount;
    for (int i = 0; i < dpadSlotCount; ++i) {
        next.dconnected[i] = dpadSlots[i].joystick != nullptr;
        if (next.dconnected[i])
            ReadDPad(dpadSlots[i].joystick, &next.dstates[i]);
    }
    SDL_LockMutex(padLock);
    next.excluded = snapshot.excluded;
    snapshot = next;
    SDL_UnlockMutex(padLock);
}

void SdlClosePads()
{
    for (OpenPad& pad : xpadSlots)
        Release(pad);
    for (OpenPad& pad : dpadSlots)
        Release(pad);
    dpadSlotCount = 0;
    snapshot = PadSnapshot{};
    if (padLock) {
        SDL_DestroyMutex(padLock);
        padLock = nullptr;
    }
}

bool PollXPad(int user, XPadState* state)
{
    if (!padLock || user < 0 || user >= xpadUserCount)
        return false;
    SDL_LockMutex(padLock);
    const bool connected = snapshot.xconnected[user];
    if (connected)
        *state = snapshot.xstates[user];
    SDL_UnlockMutex(padLock);
    return connected;
}

int DirectPadCount()
{
    if (!padLock)
        return 0;
    SDL_LockMutex(padLock);
    const int count = snapshot.dcount;
    SDL_UnlockMutex(padLock);
    return count;
}

DirectPadRead PollDirectPad(int index, DPadState* state)
{
    if (!padLock || index < 0 || index >= padCount)
        return DirectPadStop;
    SDL_LockMutex(padLock);
    const bool connected = index < snapshot.dcount && snapshot.dconnected[index];
    if (connected)
        *state = snapshot.dstates[index];
    SDL_UnlockMutex(padLock);
    return connected ? DirectPadOk : DirectPadAbsent;
}

int XInputPadsExcluded()
{
    if (!padLock)
        return 0;
    SDL_LockMutex(padLock);
    const int excluded = snapshot.excluded;
    SDL_UnlockMutex(padLock);
    return excluded;
}
