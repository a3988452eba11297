#include "tools/datakit/EnemySprites.h"

#include <algorithm>
#include <cmath>

namespace datakit {

std::vector<Rgb> EnemyPalette()
{
    std::vector<Rgb> colours(72, Rgb{0, 0, 0});
    colours[EnemyInk] = {22, 16, 30};
    SetDebugBoxColours(colours);
    return colours;
}

void EnemyCanvas::Rotate(double steps)
{
    const double a = steps * 2.0 * pi / 256.0;
    cosA = std::cos(a);
    sinA = std::sin(a);
}

void EnemyCanvas::Squash(double sx, double sy)
{
    scaleX = sx;
    scaleY = sy;
}

Pt EnemyCanvas::Source(int x, int y) const
{
    const double px = x + 0.5, py = y + 0.5;
    const double rx = px * cosA + py * sinA, ry = -px * sinA + py * cosA;
    return {rx / scaleX, ry / scaleY};
}

void EnemyCanvas::Fill(const std::function<bool(Pt)>& inside, u8 colour)
{
    for (int row = 0; row < cellHeight; ++row)
        for (int column = 0; column < cellWidth; ++column)
            if (inside(Source(column + cellLeft, row + cellTop)))
                pixels[(size_t)row * cellWidth + column] = colour;
}

void EnemyCanvas::Ellipse(Pt c, double rx, double ry, u8 colour)
{
    Fill([=](Pt p) {
        const double dx = (p.x - c.x) / rx, dy = (p.y - c.y) / ry;
        return dx * dx + dy * dy <= 1.0;
    }, colour);
}

void EnemyCanvas::Line(Pt a, Pt b, double r, u8 colour)
{
    Fill([=](Pt p) {
        const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = a.x + dx * t - p.x, ey = a.y + dy * t - p.y;
        return ex * ex + ey * ey <= r * r;
    }, colour);
}

void EnemyCanvas::Rect(double left, double top, double right, double bottom, u8 colour)
{
    Fill([=](Pt p) { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }, colour);
}

void EnemyCanvas::Triangle(Pt a, Pt b, Pt c, u8 colour)
{
    Fill([=](Pt p) {
        const auto side = [&](Pt u, Pt v) { return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x); };
        const double s0 = side(a, b), s1 = side(b, c), s2 = side(c, a);
        return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
    }, colour);
}

void EnemyCanvas::Ring(Pt c, double r0, double r1, u8 colour)
{
    Fill([=](Pt p) {
        const double d = std::hypot(p.x - c.x, p.y - c.y);
        return d >= r0 && d <= r1;
    }, colour);
}

bool WriteEnemySprites(const std::string& dir, const EnemySprites& set)
{
    Manifest manifest;
    manifest.boxes = {set.body};
    manifest.hitSets = set.hitSets;
    manifest.extraPalettes = set.extraPalettes;

    TgaImage sheet;
    sheet.width = (u16)set.sheetWidth;
    sheet.colours = set.colours;
    ShelfPacker packer(sheet);

    for (const EnemyAnimation& spec : set.animations) {
        ManAnimation animation;
        animation.speed = spec.speed;
        animation.playMode = spec.playMode;
        animation.loopFrame = 0;
        for (int f = 0; f < spec.frames; ++f) {
            EnemyFrame info;
            spec.paint(info, f);
            if (spec.outline)
                info.canvas.Outline();
            const EnemyCanvas& canvas = info.canvas;
            ManFrame frame = packer.Add(
                Crop(canvas.pixels, canvas.cellLeft, canvas.cellTop, canvas.cellWidth, canvas.cellHeight));
            frame.duration = (u16)(spec.ticks * spec.speed);
            frame.points = info.points;
            frame.boxIndex = 0;
            for (u16 hitSet : info.hitSets)
                frame.hits.push_back({hitSet, 0, 0});
            animation.frames.push_back(frame);
        }
        manifest.animations.push_back(animation);
    }
    packer.Finish();
    manifest.sheets = {{set.name + ".tga", true, (u8)set.colours.size()}};

    const std::string path = "Data/Sprites/Enemies/" + set.folder + "/" + set.name;
    return PutFile(dir, path + ".tga", MakeTga(sheet)) && PutFile(dir, path + ".man", MakeManifest(manifest));
}

bool WriteEnemySet(const std::string& dir, const EnemySet& set)
{
    return WriteEnemySprites(dir, set) &&
           PutFile(dir, "Data/Sprites/Enemies/" + set.folder + "/" + set.name + ".vep", MakeVep(set.vep));
}

} // namespace datakit
