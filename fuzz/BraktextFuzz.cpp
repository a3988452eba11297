// Braktext files (".btx") from arbitrary bytes: loading, then measuring and drawing the text in
// boxes of several widths with a real text font, must stay inside the file's bytes, the text and
// the frame, and every draw must end.
#include <cstdlib>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Braktext.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Shell.h"
#include "Engine/Render/VideoMode.h"
#include "fuzz/FuzzMemory.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace {

// A text font of small blocks: units 0x20-0x7F 3 to 6 pixels wide, 0xA1-0xFF 5 wide and taller.
void WriteTextFont()
{
    datakit::TgaImage sheet;
    sheet.width = 8;
    sheet.height = 12;
    sheet.pixels.assign(8 * 12, 1);
    sheet.colours = {{0, 0, 0}, {200, 200, 200}, {10, 20, 30}};
    datakit::Manifest manifest;
    manifest.sheets = {{"l.tga", true, 3}};
    manifest.boxes = {datakit::ManBox{}};
    datakit::ManAnimation ascii, latin;
    for (u32 u = 0x20; u <= 0x7F; ++u) {
        datakit::ManFrame frame;
        frame.width = (u8)(3 + u % 4);
        frame.height = 8;
        ascii.frames.push_back(frame);
    }
    for (u32 u = 0xA1; u <= 0xFF; ++u) {
        datakit::ManFrame frame;
        frame.width = 5;
        frame.height = 12;
        latin.frames.push_back(frame);
    }
    manifest.animations = {ascii, latin};
    ServeFuzzCompanion("Data/Sprites/Global/Talkbox/l.tga", datakit::MakeTga(sheet));
    ServeFuzzCompanion("Data/Sprites/Global/Talkbox/l.man", datakit::MakeManifest(manifest));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        if (!InitPlatform())
            abort();
        SetVideoMode(25);
        WriteTextFont();
        ready = true;
    }
    ServeFuzzFile("Data/Text/f.btx", data, size);
    TextBlock block{};
    LoadBraktext("Data/Text/f.btx", &block);
    if (!block.loaded || (block.length && !block.text) || !textFont.loaded)
        abort();
    for (i32 width : {0, 7, 60, 353, 2000})
        DrawText(&block, block.length, (f32)(width % 50) - 10.0f, 4.0f, width);
    DrawText(&block, block.length / 2 + 1, 100.5f, 200.0f, 212);
    FreeBraktext(&block);
    if (textFont.loaded || textFontUseCount)
        abort();
    headless::ClearShownBoxes();
    return 0;
}
