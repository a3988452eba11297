#include "tools/datakit/WhipArt.h"

#include <cmath>
#include <functional>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

// Palette entries; 9 and 10 are the rope's line and its shade, which the game draws by index.
enum : u8 {
    Clear = 0,
    Ink = 1,
    Steel = 2,
    SteelLight = 3,
    LinkBrown = 4,
    LinkDark = 5,
    Spark = 6,
    SparkGold = 7,
    Rope = 9,
    RopeShade = 10,
    paletteSize = 16,
};

std::vector<Rgb> WhipColours()
{
    std::vector<Rgb> colours(paletteSize, Rgb{0, 0, 0});
    colours[Ink] = {24, 20, 36};
    colours[Steel] = {150, 156, 172};
    colours[SteelLight] = {222, 228, 240};
    colours[LinkBrown] = {160, 96, 40};
    colours[LinkDark] = {100, 56, 20};
    colours[Spark] = {255, 255, 255};
    colours[SparkGold] = {255, 226, 80};
    colours[Rope] = {176, 112, 52};
    colours[RopeShade] = {92, 52, 22};
    return colours;
}

// Every frame sits in a 16 x 16 cell of one row of the sheet, centred on its drawing position.
constexpr int cell = 16;

struct Cell {
    std::vector<u8> pixels = std::vector<u8>((size_t)cell * cell, Clear);
    void Put(int x, int y, u8 colour) // relative to the cell's centre
    {
        x += cell / 2;
        y += cell / 2;
        if (x >= 0 && x < cell && y >= 0 && y < cell)
            pixels[(size_t)y * cell + x] = colour;
    }
};

// The hook, pointing right (the game turns it to the throw): a shaft and two barbs.
Cell HookCell()
{
    Cell c;
    for (int x = -5; x <= 4; ++x) {
        c.Put(x, 0, Steel);
        c.Put(x, -1, Ink);
        c.Put(x, 1, Ink);
    }
    for (int i = 0; i <= 3; ++i) {
        c.Put(5 - i, -i, SteelLight);
        c.Put(5 - i, i, SteelLight);
    }
    c.Put(5, 0, SteelLight);
    return c;
}

// A rope link, lying along x; the sparkle frames add a star that grows and fades.
Cell LinkCell(int shape, int sparkle)
{
    Cell c;
    const int half = 2 + (shape & 1);
    for (int x = -half; x <= half; ++x) {
        c.Put(x, -1, shape < 2 ? LinkBrown : LinkDark);
        c.Put(x, 1, shape < 2 ? LinkBrown : LinkDark);
    }
    c.Put(-half, 0, LinkDark);
    c.Put(half, 0, LinkDark);
    if (sparkle > 0) {
        const int arm = sparkle == 2 ? 3 : 2;
        const u8 colour = sparkle == 3 ? SparkGold : Spark;
        for (int i = -arm; i <= arm; ++i) {
            c.Put(i, 0, colour);
            c.Put(0, i, colour);
        }
    }
    return c;
}

std::vector<i16> Synth(double seconds, const std::function<double(double p)>& wave)
{
    constexpr u32 rate = 22050;
    const size_t count = (size_t)(seconds * rate);
    return Synth8(count, 110.0, [&](size_t i) { return wave((double)i / (double)count); });
}

// A square glide from f0 to f1 mixed with noise, fading out: the lash and crack family.
std::vector<i16> Crack(double seconds, double f0, double f1, double noise)
{
    double phase = 0.0;
    u32 seed = 2463534242u;
    return Synth(seconds, [=](double p) mutable {
        phase += (f0 + (f1 - f0) * p) / 22050.0;
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const double hiss = (double)(seed & 0xFF) / 127.5 - 1.0;
        const double tone = std::fmod(phase, 1.0) < 0.5 ? 1.0 : -1.0;
        return ((1.0 - noise) * tone + noise * hiss) * 0.7 * (1.0 - p);
    });
}

Vep WhipProperties()
{
    Vep vep;
    vep.values = {0.2, 0.1, 0.15, 6.0, 0.2, 0.4, 0.4, 8.0, 16.0, 4.0, 1.0, 0.21875, 0.21875, 2.0, 3.0};
    vep.hp = 1;
    vep.flags = {0, 0, 0, 0, 0};
    vep.anims = {0, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // the whip plays its own animations
    vep.skipped = {0};
    // One row: the hook's attack, once per throw, knocking up and away.
    vep.rows = {{0x4, 1, 6, 3.0, 1.0, 224}};
    return vep;
}

} // namespace

bool WriteWhipData(const std::string& dir)
{
    const std::string folder = "Data/Sprites/Global/";
    std::vector<Cell> cells = {HookCell()};
    for (int link = 0; link < 4; ++link)
        for (int f = 0; f < whipLinkFrames; ++f)
            cells.push_back(LinkCell(link, f));

    TgaImage sheet;
    sheet.width = (u16)(cell * cells.size()); // one row
    sheet.colours = WhipColours();
    ShelfPacker packer(sheet);
    std::vector<ManFrame> placed;
    for (const Cell& c : cells)
        placed.push_back(packer.Add(Cropped{cell, cell, -cell / 2, -cell / 2, c.pixels}));
    packer.Finish();

    Manifest manifest;
    manifest.sheets = {{"Whip.tga", true, (u8)paletteSize}};
    manifest.boxes = {BoxOf(-cell / 2, cell / 2, -cell / 2, cell / 2)};
    manifest.hitSets = {{BoxOf(whipHookBoxLeft, whipHookBoxRight, whipHookBoxTop, whipHookBoxBottom)}};
    const auto frameAt = [&placed](size_t index, u16 ticks) {
        ManFrame frame = placed[index];
        frame.duration = (u16)(ticks * 256);
        frame.boxIndex = 0;
        return frame;
    };
    // 0: the hook, with its attack box.
    ManAnimation hook;
    hook.speed = 256;
    ManFrame hookFrame = frameAt(0, 60);
    hookFrame.hits = {{0, 0, 0}};
    hook.frames = {hookFrame};
    manifest.animations.push_back(hook);
    // 1-4: the links; the game picks the frame itself (the sparkle phase).
    for (int link = 0; link < 4; ++link) {
        ManAnimation animation;
        animation.speed = 256;
        animation.playMode = 1;
        for (int f = 0; f < whipLinkFrames; ++f)
            animation.frames.push_back(frameAt(1 + (size_t)link * whipLinkFrames + (size_t)f, 2));
        manifest.animations.push_back(animation);
    }

    const std::string sounds = "Data/SFX/Global/Whip/";
    return PutFile(dir, folder + "Whip.tga", MakeTga(sheet)) && PutFile(dir, folder + "Whip.man", MakeManifest(manifest)) &&
           PutFile(dir, folder + "Whip.vep", MakeVep(WhipProperties())) &&
           PutFile(dir, sounds + "Hit.wav", MakeWav(Crack(0.12, 900, 200, 0.6), 22050, 8, 1)) &&
           PutFile(dir, sounds + "Hook.wav", MakeWav(Crack(0.08, 1400, 1100, 0.3), 22050, 8, 1)) &&
           PutFile(dir, sounds + "Attack.wav", MakeWav(Crack(0.14, 500, 1600, 0.5), 22050, 8, 1)) &&
           PutFile(dir, sounds + "Attack2.wav", MakeWav(Crack(0.16, 400, 1900, 0.5), 22050, 8, 1)) &&
           PutFile(dir, sounds + "AttackAir.wav", MakeWav(Crack(0.14, 600, 1700, 0.4), 22050, 8, 1)) &&
           PutFile(dir, sounds + "Fire.wav", MakeWav(Crack(0.18, 300, 1200, 0.7), 22050, 8, 1)) &&
           PutFile(dir, sounds + "Bungee.wav", MakeWav(Crack(0.25, 180, 90, 0.2), 22050, 8, 1));
}

} // namespace datakit
