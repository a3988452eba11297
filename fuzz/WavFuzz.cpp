// WAV effects: any bytes, read as a whole file by the effect loader, then played to the end on a
// voice. Nothing may be read outside the file or the samples made from it.
#include <cstdlib>

#include "Engine/Common/Sound.h"
#include "Engine/Platform/Audio.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    Sound sound{};
    ParseWav("fuzz.wav", data, (u32)size, &sound);
    SoundVoice& voice = soundVoices[1];
    voice = SoundVoice{};
    if (sound.samples && sound.end > sound.samples) {
        voice.position = sound.samples;
        voice.loopStart = sound.loopStart;
        voice.end = sound.end;
        voice.id = 1;
        voice.rate = mixRate * 3;
        voice.phase = mixRate;
        i16 pair[2];
        for (u32 i = 0; i <= sound.length && voice.position; ++i)
            MixSoundChannels(pair);
    }
    voice = SoundVoice{};
    free(sound.samples);
    return 0;
}
