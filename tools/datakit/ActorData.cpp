#include "tools/datakit/ActorData.h"

#include <cmath>
#include <vector>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

constexpr u32 soundRate = 22050;

// 72 colours: a grey ramp, then the outline colours 64-69 of the box kinds.
std::vector<Rgb> HazardColours()
{
    std::vector<Rgb> colours(72);
    for (u32 i = 0; i < colours.size(); ++i)
        colours[i] = Rgb{(u8)(i * 3), (u8)(i * 3), (u8)(i * 3)};
    colours[64] = Rgb{255, 255, 255}; // touch boxes
    colours[65] = Rgb{0, 255, 0};     // hurt boxes
    colours[66] = Rgb{0, 255, 255};
    colours[67] = Rgb{255, 0, 0};     // attack boxes
    colours[68] = Rgb{255, 255, 0};
    colours[69] = Rgb{255, 0, 255};   // fresh-id attack boxes
    return colours;
}

// Two 8x8 cells: a hollow square and a cross, each its own one-frame animation.
void MakeHazardSprites(std::vector<std::pair<std::string, std::vector<u8>>>* files)
{
    TgaImage sheet;
    sheet.width = 16;
    sheet.height = 8;
    sheet.pixels.assign((size_t)sheet.width * sheet.height, 0);
    sheet.colours = HazardColours();
    for (u16 y = 0; y < 8; ++y)
        for (u16 x = 0; x < 8; ++x) {
            if (x == 0 || x == 7 || y == 0 || y == 7)
                sheet.pixels[(size_t)y * sheet.width + x] = 67;
            if (x == y || x == 7 - y)
                sheet.pixels[(size_t)y * sheet.width + 8 + x] = 65;
        }

    Manifest manifest;
    manifest.sheets = {{"Hazard.tga", true, (u8)sheet.colours.size()}};
    manifest.boxes = {ManBox{8, 8, (u8)-4, (u8)-4}};
    for (u16 cell = 0; cell < 2; ++cell) {
        ManFrame frame;
        frame.srcX = (u16)(cell * 8);
        frame.width = 8;
        frame.height = 8;
        frame.offsetX = -4;
        frame.offsetY = -4;
        frame.duration = 1;
        ManAnimation animation;
        animation.speed = 0;
        animation.playMode = 1;
        animation.frames.push_back(frame);
        manifest.animations.push_back(animation);
    }
    files->push_back({"Data/Sprites/Enemies/Hazard/Hazard.tga", MakeTga(sheet)});
    files->push_back({"Data/Sprites/Enemies/Hazard/Hazard.man", MakeManifest(manifest)});
}

// 8-bit unsigned samples from a signal in -1..1.
std::vector<i16> ToUnsigned8(const std::vector<double>& signal)
{
    return Synth8(signal.size(), 127.0, [&](size_t i) { return signal[i]; });
}

// A fixed noise source, so every build of the data set is the same.
struct Noise {
    u32 state = 0x12345678u;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return (double)(state >> 8) / (double)(1u << 23) - 1.0;
    }
};

// A short thump: a square wave falling from 440 to 110 Hz over 0.12 s with a little noise.
std::vector<double> HitSignal()
{
    const size_t count = soundRate * 12 / 100;
    std::vector<double> s(count);
    Noise noise;
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = (double)i / (double)count;
        phase += (440.0 - 330.0 * t) / soundRate;
        const double square = std::fmod(phase, 1.0) < 0.5 ? 1.0 : -1.0;
        s[i] = (0.7 * square + 0.3 * noise.Next()) * (1.0 - t);
    }
    return s;
}

// A falling wail: a triangle wave from 660 down to 80 Hz over 0.4 s.
std::vector<double> DieSignal()
{
    const size_t count = soundRate * 40 / 100;
    std::vector<double> s(count);
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = (double)i / (double)count;
        phase += (660.0 - 580.0 * t) / soundRate;
        const double p = std::fmod(phase, 1.0);
        const double triangle = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
        s[i] = triangle * (1.0 - t * t);
    }
    return s;
}

// A burst of noise, low-passed more and more as it dies away over 0.5 s.
std::vector<double> ExplodeSignal()
{
    const size_t count = soundRate / 2;
    std::vector<double> s(count);
    Noise noise;
    double level = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = (double)i / (double)count;
        const double smoothing = 0.5 + 0.45 * t;
        level = level * smoothing + noise.Next() * (1.0 - smoothing);
        s[i] = level * 3.0 * (1.0 - t) * (1.0 - t);
    }
    return s;
}

} // namespace

bool WriteHazardData(const std::string& dir)
{
    std::vector<std::pair<std::string, std::vector<u8>>> files;
    MakeHazardSprites(&files);
    files.push_back({"Data/SFX/Global/EnemyHit.wav", MakeWav(ToUnsigned8(HitSignal()), soundRate, 8, 1)});
    files.push_back({"Data/SFX/Global/EnemyDie.wav", MakeWav(ToUnsigned8(DieSignal()), soundRate, 8, 1)});
    files.push_back({"Data/SFX/Global/EnemyExplode.wav", MakeWav(ToUnsigned8(ExplodeSignal()), soundRate, 8, 1)});
    for (const auto& [path, bytes] : files)
        if (!PutFile(dir, path, bytes))
            return false;
    return true;
}

} // namespace datakit
