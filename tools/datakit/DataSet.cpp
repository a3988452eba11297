#include "tools/datakit/DataSet.h"

#include <cstdio>

#include "tools/datakit/ActorData.h"
#include "tools/datakit/BossArt.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/EffectArt.h"
#include "tools/datakit/EnemyArt.h"
#include "tools/datakit/LayoutWriter.h"
#include "tools/datakit/FontWriter.h"
#include "tools/datakit/FrontEndArt.h"
#include "tools/datakit/ItemArt.h"
#include "tools/datakit/HudArt.h"
#include "tools/datakit/PackWriter.h"
#include "tools/datakit/StageData.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/RosterArtA.h"
#include "tools/datakit/GimmickArtB.h"
#include "tools/datakit/GimmickArtA.h"
#include "tools/datakit/GimmickArtC.h"
#include "tools/datakit/RosterArtB.h"
#include "tools/datakit/SplashArt.h"
#include "tools/datakit/ThanksArt.h"
#include "tools/datakit/WhipArt.h"
#include "tools/datakit/Wav.h"

namespace datakit {

namespace {

bool Write(const std::string& dir, const std::string& path, const std::vector<u8>& bytes)
{
    if (WriteFile(dir + "/" + path, bytes))
        return true;
    fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), path.c_str());
    return false;
}

} // namespace

bool BuildDataSet(const std::string& dir)
{
    // The silent sound that start-up loads into sound slot 0: a tenth of a second of silence.
    const std::vector<i16> silence(2205, 128);
    if (!Write(dir, "Data/SFX/Global/Silent.wav", MakeWav(silence, 22050, 8, 1)))
        return false;

    // The dev font, the menu font and the text font, rasterised from the system's DejaVu fonts.
    std::vector<PackFile> fonts;
    std::string fontError;
    if (!MakeEngineFonts(&fonts, &fontError)) {
        fprintf(stderr, "datakit: %s\n", fontError.c_str());
        return false;
    }
    for (const PackFile& font : fonts)
        if (!Write(dir, font.path, font.bytes))
            return false;

    // The layer showcase the runner's --layout scene loads: a layer in every scroll mode.
    if (!WriteLayerShowcase(dir))
        return false;

    // The attack boxes' sprite set and the actors' shared hit, death and explosion sounds.
    if (!WriteHazardData(dir))
        return false;

    // The player: its sprite set with hurt and attack boxes, its properties and its sounds.
    if (!WritePlayerData(dir))
        return false;

    // The plain enemies' sprite sets and properties, and the CandleHeads the stages place.
    if (!WriteEnemyData(dir))
        return false;

    // Audrey with its shot and Draven: art, properties, sounds and where they stand.
    if (!WriteRosterDataA(dir))
        return false;

    // Froacker with Chuck and Larry, YardSlayer: sets, properties, sounds, placements.
    if (!WriteRosterDataB(dir))
        return false;

    // The boss: its sprite set, properties, sounds and music, and its Village 1 arena.
    if (!WriteBossData(dir))
        return false;

    // Platforms and the parallax hills; the breakable walls.
    if (!WriteGimmickArtA(dir))
        return false;
    if (!WriteGimmickDataB(dir))
        return false;
    // The wagon and the corn, with Village 1's placements of both.
    if (!WriteGimmickDataC(dir))
        return false;

    // The full-screen fade.
    if (!WriteFadeData(dir))
        return false;

    // The effects: explosions, the player's dust and giblets.
    if (!WriteEffectData(dir))
        return false;

    // The HUD, the title card's bars and words, and the title menu's cursor.
    if (!WriteHudData(dir))
        return false;

    // The whip: the hook and rope links, its properties and its sounds.
    if (!WriteWhipData(dir))
        return false;

    // The five gameplay stages: layouts, tile sheets and music.
    if (!WriteStageData(dir))
        return false;

    // Bones, the bonus text, checkpoints, the tutorial sign with its pages, and where they stand.
    if (!WriteItemData(dir))
        return false;

    // The disclaimer's text, the title picture and the title music.
    if (!WriteFrontEndData(dir))
        return false;

    // The studio logo and the engine emblem of the two splash screens.
    if (!WriteSplashData(dir))
        return false;

    // The thanks picture and its text; the starfield's star, added to the title picture.
    if (!WriteThanksData(dir))
        return false;

    // Last: everything written under Data/ again, packed into data.ch3.
    return PackFolder(dir + "/Data", "Data/", dir + "/data.ch3");
}

} // namespace datakit
