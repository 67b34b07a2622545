// Pixel art for the characters, the enemy robot and the bullets.
#include "sprites.h"

#include "assetgen.h"
#include "detMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double pi = 3.141592653589793;

bool isKey(Rgb c)
{
    return c.r == 0 && c.g == 255 && c.b == 0;
}

}  // namespace

Canvas tinted(const Canvas& c, Rgb colour, double t)
{
    Canvas out = c;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            if (!isKey(p))
                out.set(x, y, mix(p, colour, t));
        }
    return out;
}

void writeAnimation(const std::string& folder, const std::string& infoFile, const std::string& stem,
                    const std::vector<Frame>& frames)
{
    std::string info = "FILES: " + std::to_string(frames.size()) + "\n";
    info += "# picture, display time in ms, three unused numbers\n";
    for (size_t i = 0; i < frames.size(); ++i) {
        std::string name = stem + std::to_string(i) + ".bmp";
        writeBmp(outPath(folder + "/" + name), frames[i].picture);
        info += name + " " + std::to_string(frames[i].durationMs) + " 0 0 0\n";
    }
    writeText(outPath(folder + "/" + infoFile), info);
}

namespace {

// ---------------------------------------------------------------------------
// The first player: two looks, drawn facing right in a 32 by 36 frame whose
// bottom row is the feet (the hit box is 30 by 36 from the frame's corner).

struct Look {
    Rgb skin, hair, tunic, tunicDark, legs, boots, belt;
    bool helmet;
};

const Look mirrinSkell{{240, 200, 160}, {244, 206, 84}, {40, 150, 176}, {24, 100, 124}, {64, 60, 96}, {110, 70, 40},
                       {236, 190, 60}, false};
const Look gantRellik{{196, 146, 106}, {60, 40, 30}, {176, 40, 40}, {116, 24, 28}, {54, 54, 58}, {70, 60, 60},
                      {200, 200, 210}, true};

struct Pose {
    double stride = 0;    // -1..1: which leg is ahead
    double armSwing = 0;  // -1..1
    double tuck = 0;      // 0..1: knees pulled up (rising)
    double spread = 0;    // 0..1: legs and arms apart (falling)
    double lean = 0;      // pixels the upper body leans back (knock-back)
    double bob = 0;       // pixels the whole body sinks
};

Canvas drawHero(const Look& look, const Pose& pose)
{
    Canvas c(32, 36);
    double ox = -pose.lean;
    double top = pose.bob;
    double hipX = 15, hipY = 24 + top;
    // Legs: back leg first, darker.
    auto leg = [&](double side, Rgb colour) {
        double footX = hipX + 5 * pose.stride * side + 4 * pose.spread * side;
        double footY = 34 - 6 * pose.tuck;
        double kneeX = (hipX + footX) / 2 + 2 + 3 * pose.tuck;
        double kneeY = (hipY + footY) / 2 - 2 * pose.tuck;
        c.line(hipX, hipY, kneeX, kneeY, 4, colour);
        c.line(kneeX, kneeY, footX, footY, 3.6, colour);
        c.fillRect(static_cast<int>(footX) - 1, static_cast<int>(footY) - 1, 5, 2, look.boots);
    };
    leg(-1, shade(look.legs, 0.7));
    // Back arm.
    double shoulderX = 15 + ox, shoulderY = 13 + top;
    double reach = 3 + 6 * pose.spread;
    c.line(shoulderX, shoulderY, shoulderX - 5 * pose.armSwing - reach * 0.5, shoulderY + 8 - 10 * pose.tuck, 3,
           shade(look.skin, 0.75));
    // Torso and belt.
    c.polygon({11 + ox, 12 + top, 20 + ox, 12 + top, 20, 24 + top, 11, 24 + top}, look.tunic);
    c.fillRect(static_cast<int>(11 + ox), static_cast<int>(12 + top), 3, 12, look.tunicDark);
    c.fillRect(11, static_cast<int>(22 + top), 10, 2, look.belt);
    leg(1, look.legs);
    // Head, hair and eye.
    double hx = 16 + ox, hy = 7 + top;
    c.fillCircle(hx, hy, 5, look.skin);
    if (look.helmet) {
        c.fillEllipse(hx - 0.5, hy - 3.5, 6, 3, look.belt);
        c.fillRect(static_cast<int>(hx - 6), static_cast<int>(hy - 3), 7, 1, shade(look.belt, 0.7));
        c.fillRect(static_cast<int>(hx - 6), static_cast<int>(hy - 1), 3, 5, look.hair);
    } else {
        c.fillEllipse(hx - 1, hy - 3, 5.5, 3, look.hair);
        c.line(hx - 4, hy - 2, hx - 7, hy + 6, 3, look.hair);  // hair down the back
    }
    c.set(static_cast<int>(hx + 2), static_cast<int>(hy), Rgb{20, 20, 40});
    c.set(static_cast<int>(hx + 4), static_cast<int>(hy + 2), shade(look.skin, 0.8));
    // Front arm.
    c.line(shoulderX + 1, shoulderY, shoulderX + 5 * pose.armSwing + reach, shoulderY + 8 - 12 * pose.tuck, 3,
           look.skin);
    return c;
}

// Left-facing art is the right-facing art mirrored.
std::vector<Frame> mirroredFrames(const std::vector<Frame>& frames)
{
    std::vector<Frame> out;
    for (const Frame& f : frames)
        out.push_back({f.picture.mirrored(), f.durationMs});
    return out;
}

void writeLook(const Look& look, const std::string& p)
{
    // Walking: frame 0 is the standing pose (shown while the player stands
    // still), then the stride.
    std::vector<Frame> walk;
    const double strides[4] = {0, 1, 0, -1};
    for (int i = 0; i < 4; ++i) {
        Pose pose;
        pose.stride = strides[i];
        pose.armSwing = -strides[i];
        pose.bob = (i % 2) ? 0 : 1;
        if (i == 0)
            pose.bob = 0;
        walk.push_back({drawHero(look, pose), 130});
    }
    writeAnimation("gfx/player/walk", p + "rightinfo.kvs", p + "right", walk);
    writeAnimation("gfx/player/walk", p + "leftinfo.kvs", p + "left", mirroredFrames(walk));

    // Knock-back: leaning away from the push, flashing red. The "left" pose
    // is shown while the player is pushed to the left, still facing right.
    std::vector<Frame> hurt;
    for (int i = 0; i < 2; ++i) {
        Pose pose;
        pose.lean = 3;
        pose.spread = 0.5;
        pose.armSwing = -0.6;
        Canvas body = drawHero(look, pose);
        hurt.push_back({tinted(body, Rgb{255, 40, 40}, i == 0 ? 0.55 : 0.2), 90});
    }
    writeAnimation("gfx/player/walk", p + "leftinfod.kvs", p + "leftd", hurt);
    writeAnimation("gfx/player/walk", p + "rightinfod.kvs", p + "rightd", mirroredFrames(hurt));

    // Rising: knees up, arms raised.
    std::vector<Frame> up;
    for (int i = 0; i < 2; ++i) {
        Pose pose;
        pose.tuck = i == 0 ? 0.8 : 0.6;
        pose.armSwing = 0.3;
        up.push_back({drawHero(look, pose), 150});
    }
    writeAnimation("gfx/player/jump", p + "uprightinfo.kvs", p + "upright", up);
    writeAnimation("gfx/player/jump", p + "upleftinfo.kvs", p + "upleft", mirroredFrames(up));

    // Falling: legs and arms apart (the game shows the first frame only).
    std::vector<Frame> down;
    for (int i = 0; i < 2; ++i) {
        Pose pose;
        pose.spread = i == 0 ? 1.0 : 0.8;
        pose.stride = 0.4;
        down.push_back({drawHero(look, pose), 150});
    }
    writeAnimation("gfx/player/jump", p + "downrightinfo.kvs", p + "downright", down);
    writeAnimation("gfx/player/jump", p + "downleftinfo.kvs", p + "downleft", mirroredFrames(down));
}

// The death: the game starts this animation at frame 52, so the sequence is
// laid out from there: a white flash, the body breaking into pieces that fly
// apart and fade, and a heap of ash left on the floor. 72 frames of 62 ms
// outlast the 3.82 s before the respawn, so the flash never comes round again.
void writeDeath(const Look& look, const std::string& p)
{
    const int count = 72, start = 52;
    Canvas body = drawHero(look, Pose{});
    std::vector<Frame> frames(static_cast<size_t>(count), Frame{Canvas(32, 36), 62});
    Rng rng(p == "p1" ? 0xDEAD1u : 0xDEAD2u);
    struct Piece {
        double x, y, vx, vy;
        Rgb colour;
    };
    std::vector<Piece> pieces;
    for (int y = 0; y < 36; y += 3)
        for (int x = 0; x < 32; x += 3) {
            Rgb colour = body.get(x + 1, y + 1);
            if (isKey(colour))
                continue;
            double dx = x - 15.0, dy = y - 18.0;
            double len = std::max(1.0, detHypot(dx, dy));
            double speed = 0.9 + rng.unit() * 1.3;
            pieces.push_back({x + rng.unit() * 2, y + rng.unit() * 2, dx / len * speed + (rng.unit() - 0.5) * 0.6,
                              dy / len * speed - 0.5, colour});
        }
    for (int step = 0; step < count; ++step) {
        Canvas& c = frames[static_cast<size_t>((start + step) % count)].picture;
        if (step < 6) {
            c = tinted(body, Rgb{255, 255, 255}, step % 2 == 0 ? 0.85 : 0.4);
            continue;
        }
        int t = step - 6;
        double fade = std::max(0.0, 1.0 - t / 40.0);
        // Ash heap growing on the floor.
        double heap = std::min(1.0, t / 30.0);
        c.fillEllipse(16, 35, 3 + 8 * heap, 1 + 2.5 * heap, Rgb{70, 64, 60});
        c.fillEllipse(16, 35, 1 + 5 * heap, 0.5 + 1.5 * heap, Rgb{110, 100, 92});
        for (const Piece& pc : pieces) {
            double x = pc.x + pc.vx * t, y = pc.y + pc.vy * t + 0.03 * t * t;
            if (y > 34)
                continue;
            Rgb colour = mix(Rgb{255, 200, 90}, pc.colour, std::min(1.0, t / 6.0));
            colour = mix(Rgb{50, 40, 40}, colour, fade);
            int size = t < 16 ? 2 : 1;
            if (fade > 0.05 || (static_cast<int>(x) + t) % 7 == 0)
                c.fillRect(static_cast<int>(x), static_cast<int>(y), size, size, colour);
        }
        // A few embers rising late in the sequence.
        if (t > 30)
            for (int e = 0; e < 3; ++e) {
                int ex = 10 + (e * 7 + t * 3) % 13, ey = 33 - (t * (e + 1)) % 20;
                c.set(ex, ey, Rgb{255, static_cast<uint8_t>(120 + 40 * e), 40});
            }
    }
    writeAnimation("gfx/player/explode", p + "death.kvs", p + "death", frames);
}

// The sword effect, drawn beside the body: a blade sweeping from high to low
// in front of the player with a fading trail.
void writeSword(const std::string& name, Rgb blade, Rgb edge, Rgb trail)
{
    std::vector<Frame> right;
    const double pivotX = -4, pivotY = 20;
    const int steps = 8;
    const double firstDeg = -60, stepDeg = 17;
    for (int i = 0; i < steps; ++i) {
        Canvas c(32, 36);
        double bladeDeg = firstDeg + i * stepDeg;
        // The trail: a crescent behind the blade, fading with distance.
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 32; ++x) {
                double dx = x + 0.5 - pivotX, dy = y + 0.5 - pivotY;
                double r = detHypot(dx, dy);
                double behind = bladeDeg - detAtan2(dy, dx) * 180 / pi;
                if (r < 14 || r > 33 || behind <= 2 || behind > 55)
                    continue;
                double strength = 1.0 - behind / 55;
                if (r > 30 || r < 16)
                    strength *= 0.6;
                // The faint end is dithered so it reads as a fading light
                // rather than a solid fan.
                if (strength < 0.4 && (x + y) % 2 != 0)
                    continue;
                c.set(x, y, mix(trail, edge, strength));
            }
        if (i < steps - 1) {
            double a = bladeDeg * pi / 180;
            double ex = pivotX + 33 * detCos(a), ey = pivotY + 33 * detSin(a);
            c.line(pivotX + 10 * detCos(a), pivotY + 10 * detSin(a), ex, ey, 4, edge);
            c.line(pivotX + 10 * detCos(a), pivotY + 10 * detSin(a), ex, ey, 2, blade);
            c.fillCircle(pivotX + 9 * detCos(a), pivotY + 9 * detSin(a), 2.5, Rgb{140, 110, 60});
        }
        right.push_back({c, 65});
    }
    writeAnimation("gfx/player/sword", name + "rightinfo.kvs", name + "right", right);
    writeAnimation("gfx/player/sword", name + "leftinfo.kvs", name + "left", mirroredFrames(right));
}

// The second character: a small winged light. Its 4-pixel hit box sits 30
// pixels right of and below the frame's corner, so the figure is centred on
// (32, 32) of a 64 by 64 frame.
void writeAlt()
{
    std::vector<Frame> frames;
    for (int i = 0; i < 4; ++i) {
        Canvas c(64, 64);
        double flap = detSin(i * pi / 2);
        c.ring(32, 32, 9, 10, Rgb{60, 110, 150});
        double wingH = 5 + 2.5 * flap;
        c.fillEllipse(26, 29 - flap, 5, wingH, Rgb{120, 220, 255});
        c.fillEllipse(38, 29 - flap, 5, wingH, Rgb{120, 220, 255});
        c.fillEllipse(26, 29 - flap, 2.5, wingH * 0.6, Rgb{200, 245, 255});
        c.fillEllipse(38, 29 - flap, 2.5, wingH * 0.6, Rgb{200, 245, 255});
        c.fillEllipse(32, 34, 2.5, 4.5, Rgb{255, 250, 220});
        c.fillCircle(32, 28, 2.6, Rgb{255, 230, 190});
        c.set(33, 28, Rgb{40, 40, 90});
        frames.push_back({c, 100});
    }
    writeAnimation("gfx/player/alt", "alt.kvs", "alt", frames);
}

// ---------------------------------------------------------------------------
// The enemy: a stationary robot, 32 by 32, facing left towards the player.

Canvas drawRobot(int eyeShift, bool antennaLit, double slump)
{
    Canvas c(32, 32);
    const Rgb metal{150, 156, 170}, dark{80, 84, 100}, light{210, 214, 226};
    int s = static_cast<int>(slump);
    // Treads.
    c.fillRect(5, 27, 22, 5, Rgb{50, 50, 56});
    for (int x = 6; x < 26; x += 4)
        c.fillRect(x, 28, 2, 3, Rgb{100, 100, 110});
    // Body.
    c.fillRect(7, 13 + s, 18, 14 - s, metal);
    c.fillRect(7, 13 + s, 18, 2, light);
    c.fillRect(21, 15 + s, 4, 12 - s, dark);
    c.fillRect(12, 18 + s, 8, 4, Rgb{60, 64, 80});
    c.fillRect(13, 19 + s, 2, 2, Rgb{240, 200, 60});
    c.fillRect(17, 19 + s, 2, 2, Rgb{240, 90, 60});
    // Cannon arm pointing left.
    c.fillRect(1, 17 + s, 8, 4, dark);
    c.fillRect(0, 18 + s, 2, 2, Rgb{30, 30, 30});
    // Head dome with a visor.
    c.fillEllipse(16, 10 + s, 7, 6, metal);
    c.fillRect(9, 8 + s, 14, 4, Rgb{30, 20, 30});
    c.fillRect(11 + eyeShift, 9 + s, 4, 2, Rgb{255, 40, 30});
    // Antenna.
    c.line(19, 4 + s, 22, 0 + s, 1.5, dark);
    c.fillCircle(22.5, 1 + s, 1.6, antennaLit ? Rgb{255, 240, 120} : Rgb{120, 100, 60});
    return c;
}

void writeEnemy()
{
    std::vector<Frame> normal;
    const int eyes[4] = {0, 2, 4, 2};
    for (int i = 0; i < 4; ++i)
        normal.push_back({drawRobot(eyes[i], i % 2 == 0, 0), 160});
    writeAnimation("gfx/enemy", "nenemy.kvs", "nenemy", normal);

    std::vector<Frame> hit;
    hit.push_back({tinted(drawRobot(0, true, 0), Rgb{255, 255, 255}, 0.75), 70});
    hit.push_back({tinted(drawRobot(0, false, 0), Rgb{255, 40, 30}, 0.45), 70});
    writeAnimation("gfx/enemy", "denemy.kvs", "denemy", hit);

    // Dying: sparks, a burst, then the wreck that the game freezes on
    // (frame 19).
    std::vector<Frame> dying;
    Rng rng(0xB07u);
    for (int i = 0; i < 20; ++i) {
        Canvas c(32, 32);
        if (i < 7) {
            c = tinted(drawRobot(i % 5, i % 2 == 0, i / 3.0), Rgb{255, 120, 40}, 0.15 * (i % 2));
            for (int k = 0; k < 3; ++k)
                c.set(rng.range(4, 27), rng.range(2, 26), Rgb{255, 255, 160});
        } else if (i < 13) {
            c = drawRobot(2, false, 4);
            double r = 4 + (i - 7) * 2.5;
            c.fillCircle(16, 18, r, Rgb{255, 120, 30});
            c.fillCircle(16, 18, r * 0.65, Rgb{255, 200, 60});
            c.fillCircle(16, 18, r * 0.3, Rgb{255, 255, 210});
        } else {
            // Wreck: collapsed plates and a wisp of smoke.
            c.fillRect(5, 27, 22, 5, Rgb{50, 50, 56});
            c.polygon({6, 27, 14, 20, 20, 27}, Rgb{90, 92, 100});
            c.polygon({15, 27, 24, 22, 27, 27}, Rgb{70, 72, 84});
            c.fillEllipse(11, 25, 4, 2, Rgb{120, 124, 136});
            c.fillRect(13, 24, 2, 1, Rgb{120, 20, 16});
            int smoke = i - 13;
            c.fillCircle(16 + smoke % 3, 16 - smoke, 2 + smoke * 0.4, Rgb{90, 90, 96});
            c.fillCircle(18, 10 - smoke, 1.5 + smoke * 0.3, Rgb{120, 120, 126});
        }
        dying.push_back({c, 95});
    }
    writeAnimation("gfx/enemy", "dieenemy.kvs", "dieenemy", dying);
}

// ---------------------------------------------------------------------------
// Bullets: each a single picture with a matching glow overlay.

void writeBullets()
{
    {
        Canvas orb(16, 16);
        orb.fillCircle(8, 8, 6.5, Rgb{180, 40, 200});
        orb.fillCircle(8, 8, 4.5, Rgb{240, 110, 250});
        orb.fillCircle(7, 7, 2, Rgb{255, 240, 255});
        writeBmp(outPath("gfx/bullets/orb.bmp"), orb);
        Canvas glow(16, 16);
        glow.ring(8, 8, 5, 8, Rgb{120, 30, 140});
        glow.ring(8, 8, 6, 7, Rgb{200, 90, 220});
        writeBmp(outPath("gfx/bullets/orboverlay.bmp"), glow);
    }
    {
        Canvas card(12, 16);
        card.fillRect(1, 1, 10, 14, Rgb{200, 30, 40});
        card.fillRect(2, 2, 8, 12, Rgb{250, 248, 240});
        card.polygon({6, 4, 9, 8, 6, 12, 3, 8}, Rgb{200, 30, 40});
        writeBmp(outPath("gfx/bullets/card.bmp"), card);
        Canvas glow(12, 16);
        glow.fillRect(0, 0, 12, 16, Rgb{255, 220, 90});
        glow.fillRect(2, 2, 8, 12, keyGreen);
        writeBmp(outPath("gfx/bullets/cardoverlay.bmp"), glow);
    }
    {
        Canvas spike(12, 12);
        spike.polygon({6, 0, 7.5, 4.5, 12, 6, 7.5, 7.5, 6, 12, 4.5, 7.5, 0, 6, 4.5, 4.5}, Rgb{90, 220, 255});
        spike.fillCircle(6, 6, 2, Rgb{240, 255, 255});
        writeBmp(outPath("gfx/bullets/spike.bmp"), spike);
        Canvas glow(12, 12);
        glow.line(1, 1, 11, 11, 2, Rgb{40, 120, 200});
        glow.line(1, 11, 11, 1, 2, Rgb{40, 120, 200});
        writeBmp(outPath("gfx/bullets/spikeoverlay.bmp"), glow);
    }
    {
        Canvas oval(16, 8);
        oval.fillEllipse(8, 4, 7.5, 3.5, Rgb{150, 230, 80});
        oval.fillEllipse(7, 3.5, 4, 1.8, Rgb{230, 255, 200});
        writeBmp(outPath("gfx/bullets/oval.bmp"), oval);
        Canvas glow(16, 8);
        glow.fillEllipse(8, 4, 8, 4, Rgb{80, 160, 40});
        glow.fillEllipse(8, 4, 6, 2.5, keyGreen);
        writeBmp(outPath("gfx/bullets/ovaloverlay.bmp"), glow);
    }
}

}  // namespace

void writePlayerSprites()
{
    // Mirrin Skell (p1) carries the energy sword (es), Gant Rellik (p2) the
    // fire sword (fs).
    writeLook(mirrinSkell, "p1");
    writeLook(gantRellik, "p2");
    writeDeath(mirrinSkell, "p1");
    writeDeath(gantRellik, "p2");
    writeSword("es", Rgb{230, 250, 255}, Rgb{80, 170, 255}, Rgb{40, 90, 200});
    writeSword("fs", Rgb{255, 250, 200}, Rgb{255, 150, 40}, Rgb{200, 50, 20});
    writeAlt();
}

void writeEnemySprites()
{
    writeEnemy();
}

void writeBulletPictures()
{
    writeBullets();
}
