#include "tools/datakit/HudArt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include <stb_truetype.h>

#include "tools/datakit/FontWriter.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

// Animation 1 + spawn byte: the Bone Zone (0, 1), the Graveyard (2, 3), Village 1 (4, 5), the
// beaten boss (4, 6).
const char* const cardWords[8] = {nullptr, "BONE ZONE", "BONUS STAGE", "GRAVEYARD", "ACT 1", "VILLAGE", "ACT 2", "CLEARED"};

namespace {

// A picture of palette indices.
struct Picture {
    int width = 0, height = 0;
    std::vector<u8> pixels;

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), pixels((size_t)w * h, 0) {}
    u8& At(int x, int y) { return pixels[(size_t)y * width + x]; }
    void Set(int x, int y, u8 index)
    {
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[(size_t)y * width + x] = index;
    }
    void Fill(const std::function<u8(int, int)>& paint)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (u8 index = paint(x, y))
                    At(x, y) = index;
    }
    // A ring of `index` around everything painted, on the clear pixels only.
    void Outline(u8 index)
    {
        const std::vector<u8> body = pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (body[(size_t)y * width + x])
                    continue;
                bool edge = false;
                for (int dy = -1; dy <= 1 && !edge; ++dy)
                    for (int dx = -1; dx <= 1 && !edge; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        edge = nx >= 0 && nx < width && ny >= 0 && ny < height && body[(size_t)ny * width + nx] &&
                               body[(size_t)ny * width + nx] != index;
                    }
                if (edge)
                    At(x, y) = index;
            }
    }
};

// Pictures packed left to right in rows of a 256-pixel sheet, each becoming a frame.
class SheetPacker {
public:
    ManFrame Add(const Picture& picture, i8 offsetX, i8 offsetY)
    {
        if (x_ + picture.width > sheetWidth) {
            x_ = 0;
            y_ += rowHeight_;
            rowHeight_ = 0;
        }
        placed_.push_back({x_, y_, picture});
        ManFrame frame;
        frame.srcX = (u16)x_;
        frame.srcY = (u16)y_;
        frame.width = (u8)picture.width;
        frame.height = (u8)picture.height;
        frame.offsetX = offsetX;
        frame.offsetY = offsetY;
        frame.duration = 1;
        x_ += picture.width;
        rowHeight_ = std::max(rowHeight_, picture.height);
        return frame;
    }

    TgaImage Sheet(const std::vector<Rgb>& colours) const
    {
        TgaImage sheet;
        sheet.width = sheetWidth;
        sheet.height = (u16)std::max(1, y_ + rowHeight_);
        sheet.pixels.assign((size_t)sheet.width * sheet.height, 0);
        sheet.colours = colours;
        for (const Placed& p : placed_)
            for (int y = 0; y < p.picture.height; ++y)
                for (int x = 0; x < p.picture.width; ++x)
                    sheet.pixels[(size_t)(p.y + y) * sheetWidth + p.x + x] = p.picture.pixels[(size_t)y * p.picture.width + x];
        return sheet;
    }

private:
    static constexpr int sheetWidth = 256;
    struct Placed {
        int x, y;
        Picture picture;
    };
    std::vector<Placed> placed_;
    int x_ = 0, y_ = 0, rowHeight_ = 0;
};

// Glyphs of one of the system's DejaVu fonts, drawn in a body colour with an outline.
class GlyphPainter {
public:
    bool Open(const std::string& ttfName, f32 pixelHeight)
    {
        const std::string path = std::string(dejavuFolder) + "/" + ttfName;
        FILE* file = fopen(path.c_str(), "rb");
        if (!file) {
            fprintf(stderr, "datakit: cannot read the font %s (fonts-dejavu-core)\n", path.c_str());
            return false;
        }
        u8 block[65536];
        size_t got;
        while ((got = fread(block, 1, sizeof(block), file)) > 0)
            ttf_.insert(ttf_.end(), block, block + got);
        fclose(file);
        if (ttf_.empty() || !stbtt_InitFont(&info_, ttf_.data(), stbtt_GetFontOffsetForIndex(ttf_.data(), 0))) {
            fprintf(stderr, "datakit: cannot read the font %s\n", path.c_str());
            return false;
        }
        scale_ = stbtt_ScaleForPixelHeight(&info_, pixelHeight);
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&info_, &ascent, &descent, &gap);
        ascent_ = (int)std::ceil(ascent * scale_);
        return true;
    }

    // The glyph's advance wide (or cellWidth, centred), its baseline at ascent + 1, with a
    // one-pixel margin for the outline; capitals only need the ascent.
    Picture Glyph(u32 code, u8 body, u8 outline, int cellWidth = 0, int height = 0) const
    {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info_, (int)code, &advance, &bearing);
        const int pen = (int)std::lround(advance * scale_);
        const int width = cellWidth ? cellWidth : pen + 2;
        const int cellHeight = height ? height : ascent_ + 3;
        Picture picture(width, cellHeight);
        if (code == ' ')
            return picture;
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBox(&info_, (int)code, scale_, scale_, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0)
            return picture;
        std::vector<u8> coverage((size_t)w * h);
        stbtt_MakeCodepointBitmap(&info_, coverage.data(), w, h, w, scale_, scale_, (int)code);
        const int left = cellWidth ? (cellWidth - w) / 2 - x0 : 1;
        const int baseline = 1 + ascent_;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (coverage[(size_t)y * w + x] >= 110)
                    picture.Set(left + x0 + x, baseline + y0 + y, body);
        picture.Outline(outline);
        return picture;
    }

    int Ascent() const { return ascent_; }

private:
    std::vector<u8> ttf_;
    stbtt_fontinfo info_{};
    f32 scale_ = 1.0f;
    int ascent_ = 0;
};

// ---- HUD --------------------------------------------------------------------------------------------

enum : u8 {
    HudClear = 0,
    HudInk,
    HudBone,
    HudBoneShade,
    HudHeart,
    HudHeartDark,
    HudShine,
    HudEmpty,
    HudPlate,
    HudText,
    HudGold,
    hudColourCount,
};

std::vector<Rgb> HudColours()
{
    std::vector<Rgb> colours(hudColourCount);
    colours[HudInk] = {20, 16, 32};
    colours[HudBone] = {242, 232, 204};
    colours[HudBoneShade] = {178, 160, 124};
    colours[HudHeart] = {224, 40, 64};
    colours[HudHeartDark] = {128, 16, 40};
    colours[HudShine] = {255, 220, 230};
    colours[HudEmpty] = {72, 60, 80};
    colours[HudPlate] = {48, 72, 160};
    colours[HudText] = {250, 250, 240};
    colours[HudGold] = {255, 206, 64};
    return colours;
}

// A bone knob: two round ends stacked, the way a bone's end looks from the side.
Picture BoneKnob(bool right)
{
    Picture knob(14, 16);
    knob.Fill([&](int x, int y) -> u8 {
        const double cx = right ? 8.5 : 5.5;
        const double d1 = std::hypot(x - cx, y - 4.0), d2 = std::hypot(x - cx, y - 11.0);
        const bool shaft = y >= 4 && y <= 11 && (right ? x <= 8 : x >= 5);
        if (d1 <= 4.2 || d2 <= 4.2 || shaft)
            return (d1 <= 2.4 && y < 4) ? HudShine : HudBone;
        return 0;
    });
    knob.Outline(HudInk);
    return knob;
}

Picture Heart(int blink)
{
    Picture heart(10, 9);
    heart.Fill([&](int x, int y) -> u8 {
        const double px = x + 0.5, py = y + 0.5;
        const bool lobe = std::hypot(px - 3.0, py - 3.0) <= 2.7 || std::hypot(px - 7.0, py - 3.0) <= 2.7;
        const bool point = py >= 3.0 && std::fabs(px - 5.0) <= (8.6 - py) * 0.85;
        if (!lobe && !point)
            return 0;
        if (blink == 0)
            return HudEmpty;
        // A blink: a shine sweeping across, one column band a step.
        if (blink >= 2 && std::abs(x + y - (blink - 2) * 3) <= 1)
            return HudShine;
        return y >= 6 ? HudHeartDark : HudHeart;
    });
    heart.Outline(HudInk);
    return heart;
}

bool WriteHud(const std::string& dir)
{
    GlyphPainter sans;
    if (!sans.Open("DejaVuSans-Bold.ttf", 11.0f))
        return false;

    SheetPacker packer;
    Manifest manifest;
    auto still = [](std::vector<ManFrame> frames) {
        ManAnimation animation;
        animation.speed = 0;
        animation.playMode = 1;
        animation.frames = std::move(frames);
        return animation;
    };

    // 0: the bar as a long bone: a knob at each end and the shaft pieces, 7 px tall drawn 4 px up
    // (so the pulse swells it around the knobs' middle).
    Picture shaft(14, 7);
    shaft.Fill([](int, int y) -> u8 { return y == 0 || y == 6 ? HudInk : (y == 5 ? HudBoneShade : HudBone); });
    manifest.animations.push_back(still({packer.Add(BoneKnob(false), 0, 0), packer.Add(shaft, 0, -4), packer.Add(BoneKnob(true), 0, 0)}));

    // 1: hearts by blink step: 0 empty, 1 at rest, 2-8 the shine; 6 px down so they hang under the bar.
    std::vector<ManFrame> hearts;
    for (int blink = 0; blink <= 8; ++blink)
        hearts.push_back(packer.Add(Heart(blink), 0, 6));
    manifest.animations.push_back(still(hearts));

    // 2: one bone unit, 2 px wide: the bones carried fill the shaft from 14 px in.
    Picture unit(2, 5);
    unit.Fill([](int x, int) -> u8 { return x == 0 ? HudGold : HudBoneShade; });
    manifest.animations.push_back(still({packer.Add(unit, 14, 1)}));

    // 3: the digits.
    std::vector<ManFrame> digits;
    for (u32 d = 0; d < 10; ++d)
        digits.push_back(packer.Add(sans.Glyph('0' + d, HudGold, HudInk, 9, 13), 0, -1));
    manifest.animations.push_back(still(digits));

    // 4: "SCORE", a glyph a frame, every one as wide so the label lines up.
    std::vector<ManFrame> label;
    for (const char* c = "SCORE"; *c; ++c)
        label.push_back(packer.Add(sans.Glyph((u8)*c, HudText, HudInk, 11, 13), 0, -1));
    manifest.animations.push_back(still(label));

    // 5: not used by the HUD.
    Picture blank(1, 1);
    manifest.animations.push_back(still({packer.Add(blank, 0, 0)}));

    // 6: the lives banner: a plate reading "LIVES" with room on its right for the count.
    Picture banner(44, 13);
    banner.Fill([](int x, int y) -> u8 {
        if (y == 0 || y == 12 || x == 0)
            return HudInk;
        return x > 40 ? (((y + x) & 1) ? HudPlate : 0) : HudPlate;
    });
    int pen = 3;
    for (const char* c = "LIVES"; *c; ++c) {
        Picture glyph = sans.Glyph((u8)*c, HudText, HudInk, 0, 13);
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
                if (glyph.At(x, y) == HudText)
                    banner.Set(pen + x - 1, y - 1, HudText);
        pen += glyph.width - 2;
    }
    manifest.animations.push_back(still({packer.Add(banner, 0, 0)}));

    const std::vector<Rgb> colours = HudColours();
    manifest.sheets = {{"HUD.tga", true, (u8)colours.size()}};
    manifest.boxes = {ManBox{}};
    const std::string folder = "Data/Sprites/Display/HUD/";
    return PutFile(dir, folder + "HUD.tga", MakeTga(packer.Sheet(colours))) && PutFile(dir, folder + "HUD.man", MakeManifest(manifest));
}

// ---- Title card ---------------------------------------------------------------------------------------

enum : u8 {
    CardClear = 0,
    CardInk,
    CardBand,
    CardBandEdge,
    CardLine,
    CardLetter,
    CardLetterShade,
    CardSecond,
    cardColourCount,
};

bool WriteCard(const std::string& dir)
{
    GlyphPainter big, small;
    if (!big.Open("DejaVuSans-Bold.ttf", 22.0f) || !small.Open("DejaVuSans-Bold.ttf", 15.0f))
        return false;

    SheetPacker packer;
    Manifest manifest;
    auto still = [](std::vector<ManFrame> frames) {
        ManAnimation animation;
        animation.speed = 0;
        animation.playMode = 1;
        animation.frames = std::move(frames);
        return animation;
    };

    // 0: the bars. Bar 0 is a band drawn from its left end, stretched twice as tall behind the first
    // word (whose letters hang 10 px up from their place so that they sit inside it); bar 1 a rule centred on its position, stretched 3.4 times across between the words.
    Picture band(216, 12);
    band.Fill([](int x, int y) -> u8 {
        if (y == 0 || y == 11)
            return CardBandEdge;
        return (x > 200 && ((x + y) & 1)) ? 0 : CardBand; // it frays at the right end
    });
    Picture rule(64, 3);
    rule.Fill([](int, int y) -> u8 { return y == 1 ? CardLine : CardInk; });
    manifest.animations.push_back(still({packer.Add(band, 0, -1), packer.Add(rule, -32, -1)}));

    // 1-7: the words, a letter a frame.
    for (int word = 1; word < 8; ++word) {
        const bool first = word != 2 && word != 4 && word != 6 && word != 7;
        std::vector<ManFrame> letters;
        for (const char* c = cardWords[word]; *c; ++c) {
            Picture glyph = first ? big.Glyph((u8)*c, CardLetter, CardInk) : small.Glyph((u8)*c, CardSecond, CardInk);
            if (first) // a darker lower half gives the big letters some weight
                for (int y = glyph.height / 2 + 2; y < glyph.height; ++y)
                    for (int x = 0; x < glyph.width; ++x)
                        if (glyph.At(x, y) == CardLetter)
                            glyph.At(x, y) = CardLetterShade;
            if (*c == ' ')
                glyph = Picture(first ? 6 : 4, glyph.height);
            letters.push_back(packer.Add(glyph, 0, first ? -10 : -2));
        }
        manifest.animations.push_back(still(letters));
    }

    std::vector<Rgb> colours(cardColourCount);
    colours[CardInk] = {16, 12, 28};
    colours[CardBand] = {36, 28, 64};
    colours[CardBandEdge] = {196, 160, 72};
    colours[CardLine] = {240, 210, 110};
    colours[CardLetter] = {255, 244, 214};
    colours[CardLetterShade] = {232, 190, 96};
    colours[CardSecond] = {180, 220, 255};
    manifest.sheets = {{"Card.tga", true, (u8)colours.size()}};
    manifest.boxes = {ManBox{}};
    const std::string folder = "Data/Sprites/Display/Card/";
    return PutFile(dir, folder + "Card.tga", MakeTga(packer.Sheet(colours))) && PutFile(dir, folder + "Card.man", MakeManifest(manifest));
}

// ---- Pause menu -------------------------------------------------------------------------------------

// The title menu's cursor: a small bone that rocks toward the item, four frames.
bool WritePause(const std::string& dir)
{
    SheetPacker packer;
    ManAnimation animation;
    animation.speed = 1;
    animation.playMode = 0;
    const int shifts[4] = {0, 1, 2, 1};
    for (int f = 0; f < 4; ++f) {
        Picture bone(20, 9);
        const int s = shifts[f];
        bone.Fill([&](int x, int y) -> u8 {
            const int bx = x - s;
            const bool knobs = std::hypot(bx - 2.5, y - 2.5) <= 2.2 || std::hypot(bx - 2.5, y - 6.5) <= 2.2 ||
                               std::hypot(bx - 14.5, y - 2.5) <= 2.2 || std::hypot(bx - 14.5, y - 6.5) <= 2.2;
            const bool shaft = bx >= 2 && bx <= 15 && y >= 3 && y <= 6;
            return knobs || shaft ? 2 : 0;
        });
        bone.Outline(1);
        ManFrame frame = packer.Add(bone, -10, -4);
        frame.duration = 8;
        animation.frames.push_back(frame);
    }
    Manifest manifest;
    manifest.animations = {animation};
    const std::vector<Rgb> colours = {{0, 0, 0}, {20, 16, 32}, {255, 206, 64}};
    manifest.sheets = {{"Pause.tga", true, (u8)colours.size()}};
    manifest.boxes = {ManBox{}};
    const std::string folder = "Data/Sprites/Display/Pause/";
    return PutFile(dir, folder + "Pause.tga", MakeTga(packer.Sheet(colours))) && PutFile(dir, folder + "Pause.man", MakeManifest(manifest));
}

} // namespace

bool WriteHudData(const std::string& dir)
{
    return WriteHud(dir) && WriteCard(dir) && WritePause(dir);
}

} // namespace datakit
