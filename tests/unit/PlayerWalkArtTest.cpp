// The data kit's walk, read off the frames it writes: through each stride the planted foot slides
// back under the body, as the ground passes under it, and the raised foot swings forward.
#include <algorithm>
#include <vector>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Sheets.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/PlayerArt.h"

extern u8 forceFree;

namespace {

struct Boot {
    f64 x;     // the middle of its columns, in pixels from the player's position
    i32 sole;  // its lowest row
};

// The boots of one frame of the legs layer: the patches of the boots' colour, split where a column
// holds none.
std::vector<Boot> Boots(const SpriteImage& image, u8 bootColour)
{
    std::vector<Boot> boots;
    i32 first = -1, sole = 0;
    for (i32 column = 0; column <= image.width; ++column) {
        i32 lowest = -1;
        for (i32 row = 0; column < image.width && row < image.height; ++row)
            if (image.pixels[row * image.width + column] == bootColour)
                lowest = row;
        if (lowest >= 0) {
            if (first < 0)
                first = column, sole = lowest;
            sole = std::max(sole, lowest);
        } else if (first >= 0) {
            boots.push_back({image.offsetX + (first + column - 1) / 2.0, image.offsetY + sole});
            first = -1;
        }
    }
    return boots;
}

class PlayerWalkArtTest : public HeadlessGame, protected TestFolder {
protected:
    AnimSet set{};

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-walkart-");
        forceFree = 0;
        ASSERT_TRUE(datakit::WritePlayerData("."));
        LoadAnim("Data/Sprites/Players/Player.man", &set);
        ASSERT_TRUE(set.loaded);
    }

    void TearDown() override
    {
        FreeAnim(&set);
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    // The palette entry of the boots' brown in the set's sheet.
    u8 BootColour() const
    {
        const Sheet* sheet = set.sheets[0];
        for (u32 i = 1; i < 256; ++i)
            if (sheet->colourMap[i][0] == 78 && sheet->colourMap[i][1] == 44 && sheet->colourMap[i][2] == 20)
                return (u8)i;
        return 0;
    }
};

struct WalkCase {
    u16 animation;
    f64 forward; // +1 facing right, -1 facing left
};

TEST_F(PlayerWalkArtTest, ThePlantedFootGoesBackAndTheRaisedOneForward)
{
    const u8 boot = BootColour();
    ASSERT_NE(boot, 0);
    for (const WalkCase c : {WalkCase{12, 1.0}, WalkCase{15, -1.0}}) {
        SCOPED_TRACE(testing::Message() << "walk " << c.animation);
        const Animation& walk = set.animations[c.animation];
        ASSERT_GE(walk.frameCount, 4);
        // A stride runs from one frame with both feet down to the next; within it, the frames where
        // the two boots stand apart show the planted one (lower sole) and the raised one.
        struct Stride {
            std::vector<f64> planted, raised;
        };
        std::vector<Stride> strides(1);
        u32 bothDown = 0;
        for (u16 i = 0; i <= walk.frameCount; ++i) {
            const std::vector<Boot> boots = Boots(walk.frames[i % walk.frameCount].image, boot);
            ASSERT_GE(boots.size(), 1u) << "frame " << i;
            if (boots.size() != 2)
                continue; // passing: the boots overlap
            if (boots[0].sole == boots[1].sole) {
                bothDown += i < walk.frameCount;
                strides.emplace_back();
                continue;
            }
            const bool firstPlanted = boots[0].sole > boots[1].sole;
            strides.back().planted.push_back(boots[firstPlanted ? 0 : 1].x * c.forward);
            strides.back().raised.push_back(boots[firstPlanted ? 1 : 0].x * c.forward);
        }
        EXPECT_GE(bothDown, 2u) << "a cycle of two strides";
        u32 steps = 0;
        for (const Stride& stride : strides)
            for (size_t k = 1; k < stride.planted.size(); ++k, ++steps) {
                EXPECT_LT(stride.planted[k], stride.planted[k - 1]) << "the planted foot slides forward";
                EXPECT_GT(stride.raised[k], stride.raised[k - 1]) << "the raised foot swings back";
            }
        EXPECT_GE(steps, 2u) << "each stride seen in two frames at least";
    }
}

} // namespace
