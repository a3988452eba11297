#include "tools/datakit/DisplayArt.h"

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/SpriteCanvas.h"
#include "tools/datakit/TgaWriter.h"

namespace datakit {

bool WriteFadeData(const std::string& dir)
{
    // Drawn 14 times as wide and 8 times as tall from the screen origin, it covers the largest
    // screen, 640 x 480.
    constexpr u8 width = 48, height = 64;
    TgaImage sheet;
    sheet.width = width;
    sheet.height = height;
    // Index 0 is transparent, so the picture is painted with entry 1, black.
    sheet.colours = {Rgb{0, 0, 0}, Rgb{0, 0, 0}};
    sheet.pixels.assign((size_t)width * height, 1);

    Manifest manifest;
    manifest.sheets = {{"Fade.tga", true, 2}};
    manifest.boxes = {ManBox{width, height, 0, 0}};
    ManAnimation animation;
    animation.speed = 0; // a still picture
    animation.playMode = 1;
    ManFrame frame;
    frame.width = width;
    frame.height = height;
    frame.duration = 1;
    animation.frames = {frame};
    manifest.animations = {animation};

    const std::string folder = "Data/Sprites/Display/Fade/";
    return PutFile(dir, folder + "Fade.tga", MakeTga(sheet)) && PutFile(dir, folder + "Fade.man", MakeManifest(manifest));
}

} // namespace datakit
