#include "tools/datakit/ManifestWriter.h"

#include "tools/datakit/Bytes.h"

namespace datakit {

namespace {

void PutName(std::vector<u8>& out, const std::string& name)
{
    out.push_back((u8)name.size());
    out.insert(out.end(), name.begin(), name.end());
}

void PutBox(std::vector<u8>& out, const ManBox& box)
{
    out.push_back(box.width);
    out.push_back(box.height);
    out.push_back(box.x);
    out.push_back(box.y);
}

} // namespace

std::vector<u8> MakeManifest(const Manifest& manifest)
{
    std::vector<u8> out;
    PutBe16(out, (u16)manifest.animations.size());
    out.push_back((u8)manifest.sheets.size());
    for (const ManSheet& sheet : manifest.sheets) {
        PutName(out, sheet.name);
        out.push_back(sheet.hasPalette ? 1 : 0);
        if (sheet.hasPalette)
            out.push_back(sheet.colourCount);
    }
    out.push_back((u8)manifest.extraPalettes.size());
    for (const std::string& name : manifest.extraPalettes)
        PutName(out, name);
    PutBe16(out, (u16)manifest.boxes.size());
    for (const ManBox& box : manifest.boxes)
        PutBox(out, box);
    PutBe16(out, (u16)manifest.hitSets.size());
    for (const std::vector<ManBox>& hitSet : manifest.hitSets) {
        out.push_back((u8)hitSet.size());
        for (const ManBox& box : hitSet)
            PutBox(out, box);
    }
    for (const ManAnimation& animation : manifest.animations) {
        PutBe16(out, (u16)animation.frames.size());
        PutBe16(out, animation.speed);
        out.push_back((u8)animation.playMode);
        out.push_back((u8)animation.loopFrame);
        for (const ManFrame& frame : animation.frames) {
            out.push_back(frame.sheetIndex);
            PutBe16(out, frame.srcX);
            PutBe16(out, frame.srcY);
            out.push_back(frame.width);
            out.push_back(frame.height);
            out.push_back((u8)frame.offsetX);
            out.push_back((u8)frame.offsetY);
            PutBe16(out, frame.duration);
            out.push_back((u8)frame.points.size());
            for (const ManPoint& point : frame.points) {
                out.push_back((u8)point.x);
                out.push_back((u8)point.y);
            }
            PutBe16(out, frame.boxIndex);
            PutBe16(out, (u16)frame.hits.size());
            for (const ManHit& hit : frame.hits) {
                PutBe16(out, hit.hitSet);
                out.push_back((u8)hit.dx);
                out.push_back((u8)hit.dy);
            }
        }
    }
    return out;
}

std::vector<u8> MakeRawPalette(const std::vector<Rgb>& colours)
{
    std::vector<u8> out;
    for (const Rgb& c : colours)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

} // namespace datakit
