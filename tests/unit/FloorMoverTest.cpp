// The floor mover on small worlds from the data kit, as one table of layouts and starting states:
// steps and walls, landing, slopes down, ledges, the hand-over to the right wall, ceilings, camera
// edges and a collision layer the layout lacks. Outcomes are read through the tile queries, which
// address the map on their own.
#include <functional>
#include <vector>

#include "tests/unit/CollisionFixture.h"

namespace {

using datakit::CollisionWorld;

constexpr u8 layer = datakit::collisionWorldLayer;

// The body of these cases: 16 wide and 32 tall around its position.
constexpr i64 boxLeft = -8, boxRight = 8, boxTop = -16, boxBottom = 16;

// The floor these cases stand on: its top row is 128, so a standing body has y = 112.
void Floor(CollisionWorld& world)
{
    world.Box(0, 128, world.Width(), world.Height());
}

// A ramp rising 64 over 32 (surface angle 211) from x = 200, then a block.
void SteepRamp(CollisionWorld& world)
{
    Floor(world);
    world.Ramp(200, 128, 232, 64, 256);
    world.Box(232, 64, world.Width(), world.Height());
}

typedef std::vector<ObjectHeader> States;

struct FloorCase {
    const char* name;
    std::function<void(CollisionWorld&)> draw;
    f32 x, y;
    bool standing;      // grounded by two still moves before the run
    f32 speed, vy;      // ground speed when standing, else the airborne speeds (speed is vx)
    int moves;
    std::function<void(ObjectHeader&)> setup; // after the start, before the run
    std::function<void(const States&)> check; // the header after every move
};

class FloorMoverTest : public CollisionFixture {};

TEST_F(FloorMoverTest, Cases)
{
    const FloorCase cases[] = {
        {"an 8-pixel step is climbed",
         [](CollisionWorld& w) {
             Floor(w);
             w.Box(200, 120, w.Width(), 128);
         },
         150, 112, true, 3, 0, 30, nullptr,
         [](const States& s) {
             EXPECT_EQ(s.back().x, 240.0f);
             EXPECT_EQ(s.back().y, 104.0f);
             EXPECT_EQ(s.back().groundContact, layer);
             EXPECT_EQ(s.back().vx, 3.0f);
             EXPECT_EQ(s.back().groundSpeed, 3.0f);
             for (const ObjectHeader& h : s)
                 EXPECT_EQ(h.contacts[1], 0u);
         }},
        {"a 9-pixel step is a wall",
         [](CollisionWorld& w) {
             Floor(w);
             w.Box(200, 119, w.Width(), 128);
         },
         150, 112, true, 3, 0, 30, nullptr,
         [](const States& s) {
             EXPECT_EQ(s.back().x + boxRight, 200.0f); // its side against the wall
             EXPECT_EQ(s.back().y, 112.0f);
             EXPECT_EQ(s.back().vx, 0.0f);
             EXPECT_EQ(s.back().groundSpeed, 0.0f);
             EXPECT_EQ(s.back().contacts[1], layer);
             EXPECT_EQ(s.back().groundContact, layer);
         }},
        {"falling onto a floor lands",
         Floor, 100, 40, false, 1, 5, 20, nullptr,
         [](const States& s) {
             size_t landed = 0;
             while (landed < s.size() && !s[landed].groundContact)
                 ++landed;
             ASSERT_LT(landed, s.size());
             const ObjectHeader& h = s[landed];
             EXPECT_EQ(h.y, 112.0f);
             EXPECT_EQ(h.vy, 0.0f);
             EXPECT_EQ(h.groundSpeed, 1.0f); // the speed across it when it landed
             EXPECT_EQ(h.contacts[3], layer);
             for (size_t i = landed; i < s.size(); ++i)
                 EXPECT_TRUE(s[i].groundContact && OnSurface(s[i])) << "move " << i;
         }},
        {"a down-slope is followed",
         [](CollisionWorld& w) {
             w.Box(0, 128, 160, 256);
             w.Ramp(160, 128, 320, 208, 256); // falling 1 in 2: atan(1/2) is 19 steps
             w.Box(320, 208, w.Width(), 256);
         },
         120, 112, true, 2, 0, 60, nullptr,
         [](const States& s) {
             for (size_t i = 0; i < s.size(); ++i) {
                 EXPECT_TRUE(s[i].groundContact && OnSurface(s[i])) << "move " << i;
                 if (s[i].x + boxLeft + 1 > 160) {
                     EXPECT_EQ(s[i].angle, 19.0f) << "move " << i;
                 }
             }
             EXPECT_GT(s.back().y, 112.0f + 30.0f); // well down the slope
         }},
        {"standing still on a slope keeps the floor's angle",
         [](CollisionWorld& w) {
             w.Ramp(0, 128, 384, 320, 256);
         },
         200, 240, true, 0, 0, 3, nullptr,
         [](const States& s) {
             for (const ObjectHeader& h : s) {
                 EXPECT_TRUE(h.groundContact && OnSurface(h));
                 EXPECT_EQ(h.angle, 19.0f);
                 EXPECT_EQ(h.x, 200.0f);
                 EXPECT_EQ(h.y, s.front().y);
             }
         }},
        {"walking off a ledge keeps the height and leaves the ground",
         [](CollisionWorld& w) {
             w.Box(0, 128, 160, 256);
             w.Box(160, 224, w.Width(), 256);
         },
         120, 112, true, 2, 0, 40, nullptr,
         [](const States& s) {
             bool left = false;
             for (size_t i = 0; i < s.size() && !left; ++i) {
                 const bool overLedge = s[i].x + boxLeft + 1 <= 159;
                 EXPECT_EQ(s[i].groundContact != 0, overLedge) << "move " << i;
                 EXPECT_EQ(s[i].y, 112.0f) << "move " << i;
                 left = !s[i].groundContact;
             }
             EXPECT_TRUE(left);
         }},
        {"handed to the right wall when steps are left",
         SteepRamp, 192, 112, true, 4, 0, 1, nullptr,
         [](const States& s) {
             const ObjectHeader& h = s.back();
             EXPECT_EQ(h.plane, PlaneRightWall);
             EXPECT_EQ(h.vy, -4.0f); // the speed along the floor turned up the wall
             EXPECT_EQ(h.vx, 4.0f);
             EXPECT_EQ(h.groundContact, layer);
             EXPECT_LT(h.y, 112.0f);
         }},
        {"handed over at the next move when the climb is the last step",
         SteepRamp, 150, 112, true, 1, 0, 60, nullptr,
         [](const States& s) {
             size_t turned = 1;
             while (turned < s.size() && s[turned].plane != PlaneRightWall)
                 ++turned;
             ASSERT_LT(turned + 1, s.size());
             // The move that changed the plane finished as a floor move: one pixel along x and no
             // speed given up the wall.
             EXPECT_EQ(s[turned].x, s[turned - 1].x + 1.0f);
             EXPECT_EQ(s[turned].vy, 0.0f);
             // The next move ran on the wall: up it.
             EXPECT_EQ(s[turned + 1].plane, PlaneRightWall);
             EXPECT_LT(s[turned + 1].y, s[turned].y);
         }},
        {"never handed straight back to the plane it came from",
         SteepRamp, 192, 112, true, 4, 0, 5,
         [](ObjectHeader& h) { h.prevPlane = PlaneRightWall; },
         [](const States& s) {
             for (const ObjectHeader& h : s) {
                 EXPECT_EQ(h.plane, PlaneFloor);
                 EXPECT_EQ(h.prevPlane, PlaneRightWall);
             }
             EXPECT_LT(s.back().y, 112.0f - 8.0f); // it climbs the ramp on the floor plane instead
         }},
        {"a ceiling stops the rise",
         [](CollisionWorld& w) {
             Floor(w);
             w.Box(0, 0, w.Width(), 40);
         },
         100, 80, false, 0, -6, 5, nullptr,
         [](const States& s) {
             const ObjectHeader& h = s.back();
             EXPECT_EQ(h.y, 54.0f); // the head row met the ceiling's last row
             EXPECT_EQ(h.vy, 0.0f);
             EXPECT_EQ(h.contacts[2], layer);
             EXPECT_EQ(h.angle, 128.0f); // no angle found: a ceiling
             EXPECT_EQ(h.groundContact, 0u);
         }},
        {"the left camera bound is a wall when the flag is set",
         Floor, 40, 112, true, -3, 0, 20,
         [](ObjectHeader& h) { h.edgeFlags[2] = 1; },
         [](const States& s) {
             size_t stopped = 0;
             while (stopped < s.size() && !s[stopped].contacts[0])
                 ++stopped;
             ASSERT_LT(stopped, s.size());
             for (const ObjectHeader& h : s)
                 EXPECT_EQ(h.x < 9.0f, false);
             const ObjectHeader& h = s[stopped];
             EXPECT_EQ(h.x, 9.0f); // x <= left bound + 1 - left
             EXPECT_EQ(h.contacts[0], 255u);
             EXPECT_EQ(h.vx, 0.0f);
             EXPECT_EQ(h.groundSpeed, 0.0f);
             EXPECT_EQ(h.groundContact, layer);
         }},
        {"but not where the camera wraps",
         Floor, 40, 112, true, -3, 0, 20,
         [](ObjectHeader& h) {
             h.edgeFlags[2] = 1;
             cameraLimits[0].wrapX = 1;
         },
         [](const States& s) {
             EXPECT_EQ(s.back().x, -20.0f);
             EXPECT_EQ(s.back().contacts[0], 0u);
             EXPECT_EQ(s.back().groundContact, layer); // carried by the floor wrapped round
         }},
        {"the bottom camera bound carries a falling body",
         [](CollisionWorld&) {}, 100, 40, false, 0, 4, 12,
         [](ObjectHeader& h) {
             h.edgeFlags[1] = 1;
             cameraLimits[0].bottomBound = 100;
         },
         [](const States& s) {
             size_t landed = 0;
             while (landed < s.size() && !s[landed].groundContact)
                 ++landed;
             ASSERT_LT(landed, s.size());
             const ObjectHeader& h = s[landed];
             EXPECT_EQ(h.y, 83.0f); // y >= bottom bound - 1 - bottom
             EXPECT_EQ(h.groundContact, 255u);
             EXPECT_EQ(h.contacts[3], 255u);
             EXPECT_EQ(h.vy, 0.0f);
             // Only the fall meets the bound: standing on it, the next scans find no floor.
             EXPECT_EQ(s.back().y, 83.0f);
         }},
        {"a collision layer the layout lacks moves without tiles",
         Floor, 100, 40, false, 2, 5, 30,
         [](ObjectHeader& h) { h.collisionLayer = 5; },
         [](const States& s) {
             const ObjectHeader& h = s.back();
             EXPECT_EQ(h.x, 160.0f);
             EXPECT_EQ(h.y, 190.0f);
             EXPECT_EQ(h.groundContact, 0u);
             for (u64 contact : h.contacts)
                 EXPECT_EQ(contact, 0u);
         }},
        {"and is airborne after it even when it was grounded",
         Floor, 100, 112, true, 2, 0, 1,
         [](ObjectHeader& h) { h.collisionLayer = 5; },
         [](const States& s) {
             EXPECT_EQ(s.back().x, 102.0f);
             EXPECT_EQ(s.back().groundContact, 0u);
         }},
    };

    for (const FloorCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetWorld();
        CollisionWorld world(24, 16);
        c.draw(world);
        ASSERT_TRUE(Load(world));
        Place(c.x, c.y, boxLeft, boxRight, boxTop, boxBottom);
        if (c.standing) {
            Settle();
            Settle();
            ASSERT_TRUE(header.groundContact && OnSurface(header)) << header.x << "," << header.y;
            header.groundSpeed = c.speed;
        } else {
            header.vx = c.speed;
            header.vy = c.vy;
        }
        if (c.setup)
            c.setup(header);
        States states{header};
        for (int i = 0; i < c.moves; ++i) {
            Move();
            states.push_back(header);
        }
        states.erase(states.begin()); // keep the states after each move
        c.check(states);
    }
}

} // namespace
