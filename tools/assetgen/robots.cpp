// The Evil Force's robots and their bullets.
#include "assetgen.h"
#include "detMath.h"
#include "palette.h"
#include "sprites.h"

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------
// The robot: a jackal-eared sentry on treads, 32 by 32 (the hit box is the
// whole frame), facing left towards the player's way in. It never moves.

struct RobotLook {
    int bob = 0;            // body and head sink by this many pixels
    int tread = 0;          // phase of the tread's rivets
    Rgb eye = pal::red;     // the visor slit
    Rgb muzzle = pal::red;  // the cannon's mouth
    bool wrecked = false;
};

Canvas drawRobot(const RobotLook& r)
{
    Canvas c(32, 32);
    const int b = r.bob;
    // Treads: a dark track with rivets that creep as it idles.
    c.fillRect(5, 25, 23, 7, pal::steel0);
    c.fillRect(6, 24, 21, 1, pal::steel0);
    c.fillRect(6, 26, 21, 1, pal::steel1);
    for (int x = 7 + r.tread % 4; x < 27; x += 4)
        c.fillRect(x, 28, 2, 2, pal::steel2);
    // Body: a rounded block, lit from the upper left.
    c.fillRect(8, 13 + b, 17, 12 - b, pal::steel2);
    c.fillRect(9, 12 + b, 15, 1, pal::steel2);
    c.fillRect(9, 13 + b, 13, 1, pal::steel3);
    c.fillRect(9, 13 + b, 1, 9, pal::steel3);
    c.fillRect(21, 14 + b, 4, 11 - b, pal::steel1);
    c.fillRect(8, 23, 17, 2, pal::steel1);
    // The Evil Force's eye on the chest.
    c.fillEllipse(16, 19 + b, 3.6, 2.2, pal::ink);
    c.fillEllipse(16, 19 + b, 2.4, 1.3, r.eye);
    c.set(16, 19 + b, r.wrecked ? pal::blood : pal::rose);
    // Shoulder and the cannon pointing left.
    c.fillRect(6, 15 + b, 5, 6, pal::steel1);
    c.fillRect(1, 16 + b, 8, 4, pal::steel2);
    c.fillRect(1, 16 + b, 8, 1, pal::steel3);
    c.fillRect(1, 19 + b, 8, 1, pal::steel1);
    c.fillRect(0, 17 + b, 2, 2, r.muzzle);
    // Head: a jackal's, snout forward, with two tall ears.
    c.polygon({11, 5.0 + b, 24, 5.0 + b, 24, 12.0 + b, 11, 12.0 + b}, pal::steel2);
    c.polygon({3, 8.0 + b, 12, 6.0 + b, 12, 11.0 + b, 4, 11.0 + b}, pal::steel2);  // snout
    c.fillRect(4, 8 + b, 8, 1, pal::steel3);
    c.fillRect(11, 5 + b, 12, 1, pal::steel3);
    c.fillRect(21, 6 + b, 3, 6, pal::steel1);
    c.polygon({14, 6.0 + b, 16, -0.5 + b, 18, 6.0 + b}, pal::steel2);  // ears
    c.polygon({19, 6.0 + b, 21, -0.5 + b, 23, 6.0 + b}, pal::steel1);
    c.fillRect(15, 2 + b, 1, 3, pal::red);
    // The visor slit, the robot's one eye.
    c.fillRect(8, 8 + b, 7, 2, pal::ink);
    c.fillRect(8, 8 + b, 5, 1, r.eye);
    c.set(4, 10 + b, pal::ink);  // nostril
    outline(c, pal::ink);
    return c;
}

// The wreck the dying robot ends on: the body slumped on its treads, the
// head knocked off beside it, the eye dark.
Canvas drawWreck(int smoke)
{
    Canvas c(32, 32);
    c.fillRect(5, 25, 23, 7, pal::steel0);
    c.fillRect(6, 26, 21, 1, pal::steel1);
    for (int x = 7; x < 27; x += 4)
        c.fillRect(x, 28, 2, 2, pal::slate1);
    c.polygon({8, 25, 9, 18, 17, 15, 25, 17, 25, 25}, pal::steel1);
    c.polygon({9, 19, 17, 16, 18, 18, 10, 21}, pal::steel2);
    c.fillRect(21, 18, 4, 7, pal::steel0);
    c.fillEllipse(16, 21, 3, 1.8, pal::blood);
    c.line(12, 17, 15, 22, 1, pal::ink);  // a crack
    c.line(19, 17, 21, 21, 1, pal::ink);
    // The fallen head, snout down, one ear bent.
    c.polygon({0, 26, 3, 21, 9, 21, 9, 26}, pal::steel2);
    c.polygon({3, 21, 5, 17, 6, 21}, pal::steel0);
    c.fillRect(1, 23, 5, 1, pal::ink);
    // Scorch marks and a few embers still glowing.
    c.set(20, 19, pal::ember);
    c.set(13, 23, pal::ember);
    if (smoke >= 0) {
        c.fillCircle(18 + smoke % 2, 12 - smoke, 1.6 + smoke * 0.2, pal::slate1);
        c.fillCircle(16, 7 - smoke, 1.2 + smoke * 0.15, pal::slate2);
    }
    outline(c, pal::ink);
    return c;
}

void writeRobot()
{
    // Idle: the eye pulses, the treads creep, the body hums up and down.
    std::vector<Frame> normal;
    const Rgb eyes[4] = {pal::red, pal::rose, pal::red, pal::blood};
    for (int i = 0; i < 4; ++i) {
        RobotLook r;
        r.bob = i % 2;
        r.tread = i;
        r.eye = eyes[i];
        r.muzzle = i == 1 ? pal::rose : pal::blood;
        normal.push_back({drawRobot(r), 150});
    }
    writeAnimation("gfx/enemy", "nenemy.kvs", "nenemy", normal);

    // The hit flash after a sword cut: white, then red with sparks.
    RobotLook stung;
    stung.eye = pal::white;
    Canvas struck = drawRobot(stung);
    Canvas burning = rampFlash(struck, {pal::blood, pal::red, pal::rose});
    for (auto [x, y] : {std::pair{6, 10}, {24, 14}, {13, 4}, {27, 22}})
        burning.set(x, y, pal::spark);
    writeAnimation("gfx/enemy", "denemy.kvs", "denemy", {{flashed(struck, pal::white, 0.7), 60}, {burning, 80}});

    // Dying: the game shows frame 1 onwards (the first draw after the switch
    // skips frame 0) and freezes on frame 19 from 1905 ms on; these 95 ms
    // frames reach 19 at about that time. Sparks, a blast, smoke, the wreck.
    std::vector<Frame> dying;
    Rng rng(0xB07u);
    for (int i = 0; i < 20; ++i) {
        Canvas c(32, 32);
        if (i < 6) {
            RobotLook r;
            r.bob = i % 2;
            r.eye = i % 2 ? pal::white : pal::rose;
            c = drawRobot(r);
            if (i % 2)
                c = rampFlash(c, {pal::ember, pal::flame, pal::spark});
            for (int k = 0; k < 2 + i; ++k) {
                int x = rng.range(3, 28), y = rng.range(1, 24);
                c.set(x, y, pal::white);
                c.set(x + 1, y, pal::spark);
                c.set(x, y + 1, pal::flame);
            }
        } else if (i < 12) {
            int t = i - 6;
            c = t < 3 ? drawRobot(RobotLook{}) : drawWreck(-1);
            double r = 5 + t * 2.4;
            c.fillCircle(16, 17, r, pal::ember);
            c.fillCircle(16, 17, r * 0.78, pal::flame);
            c.fillCircle(15, 16, r * 0.52, pal::spark);
            c.fillCircle(15, 16, r * 0.25, pal::white);
            // Debris flying out.
            for (int k = 0; k < 6; ++k) {
                double a = k * 1.047 + 0.4;
                int x = static_cast<int>(16 + (r + 2) * detCos(a)), y = static_cast<int>(17 + (r + 2) * detSin(a) * 0.8);
                c.fillRect(x, y, 2, 2, k % 2 ? pal::steel2 : pal::steel0);
            }
        } else {
            int t = i - 12;
            c = drawWreck(std::min(t, 5));
            if (t < 4) {
                // The last of the fireball, breaking into smoke.
                double r = 9 - t * 2;
                c.fillCircle(17, 14 - t, r, t < 2 ? pal::ember : pal::slate1);
                c.fillCircle(17, 14 - t, r * 0.5, t < 2 ? pal::flame : pal::slate2);
            }
        }
        dying.push_back({c, 95});
    }
    dying.back().picture = drawWreck(3);
    writeAnimation("gfx/enemy", "dieenemy.kvs", "dieenemy", dying);
}

// ---------------------------------------------------------------------------
// Bullets: 16 by 16 pictures, drawn turned about their centre. The drawing
// turns them upside down as well, and an aimed shot's angle keeps its sprite
// within a half turn of pointing right whichever way it flies, so every
// picture is symmetric top to bottom and left to right.

void writeBullets()
{
    {
        // The orb: a ball of the Evil Force's red fire.
        Canvas orb(16, 16);
        orb.fillCircle(8, 8, 5.6, pal::blood);
        orb.fillCircle(8, 8, 4.4, pal::red);
        orb.fillCircle(8, 8, 2.8, pal::rose);
        orb.fillCircle(8, 8, 1.4, pal::white);
        outline(orb, pal::ink);
        writeBmp(outPath("gfx/bullets/orb.bmp"), orb);
        Canvas glow(16, 16);
        glow.ring(8, 8, 5.5, 7.8, pal::blood);
        glow.ring(8, 8, 6.2, 7.0, pal::red);
        writeBmp(outPath("gfx/bullets/orboverlay.bmp"), glow);
    }
    {
        // The card: a stone tablet carved with the eye.
        Canvas card(16, 16);
        card.fillRect(4, 1, 8, 14, pal::slate1);
        card.fillRect(5, 2, 6, 12, pal::slate2);
        card.fillEllipse(8, 8, 2.6, 1.6, pal::red);
        card.set(7, 8, pal::white);
        card.set(8, 8, pal::white);
        outline(card, pal::ink);
        writeBmp(outPath("gfx/bullets/card.bmp"), card);
        Canvas glow(16, 16);
        glow.fillRect(2, 0, 12, 16, pal::red);
        glow.fillRect(4, 1, 8, 14, keyGreen);
        writeBmp(outPath("gfx/bullets/cardoverlay.bmp"), glow);
    }
    {
        // The spike: a thorn of light, long along its flight, short across.
        Canvas spike(16, 16);
        spike.polygon({0.5, 8, 6, 6.5, 8, 3.5, 10, 6.5, 15.5, 8, 10, 9.5, 8, 12.5, 6, 9.5}, pal::red);
        spike.polygon({2.5, 8, 6.5, 7, 8, 5, 9.5, 7, 13.5, 8, 9.5, 9, 8, 11, 6.5, 9}, pal::rose);
        spike.fillRect(7, 7, 2, 2, pal::white);
        outline(spike, pal::ink);
        writeBmp(outPath("gfx/bullets/spike.bmp"), spike);
        Canvas glow(16, 16);
        glow.line(1, 8, 15, 8, 3, pal::blood);
        glow.line(8, 2, 8, 14, 2, pal::blood);
        writeBmp(outPath("gfx/bullets/spikeoverlay.bmp"), glow);
    }
    {
        // The oval: a scarab of green fire.
        Canvas oval(16, 16);
        oval.fillEllipse(8, 8, 7, 4, pal::moss);
        oval.fillEllipse(8, 8, 5.5, 2.8, pal::leaf);
        oval.fillRect(2, 7, 12, 2, pal::butter);
        oval.fillRect(7, 7, 2, 2, pal::white);
        outline(oval, pal::ink);
        writeBmp(outPath("gfx/bullets/oval.bmp"), oval);
        Canvas glow(16, 16);
        glow.fillEllipse(8, 8, 8, 5, pal::moss);
        glow.fillEllipse(8, 8, 6.5, 3.5, keyGreen);
        writeBmp(outPath("gfx/bullets/ovaloverlay.bmp"), glow);
    }
}

}  // namespace

void writeEnemySprites()
{
    writeRobot();
}

void writeBulletPictures()
{
    writeBullets();
}
