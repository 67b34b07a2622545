// The first player's two looks (Mirrin Skell and Gant Rellik), their death,
// the two sword effects and the second character.
#include "assetgen.h"
#include "detMath.h"
#include "palette.h"
#include "sprites.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double degree = detPi / 180;

// Body frames are 32 by 64: both sides powers of two, so the picture reaches
// the screen texel for pixel (other sizes are rescaled when uploaded and
// blur). The figure fills the top 37 rows: the 30 by 36 hit box from the
// frame's corner and the soles on row 36, the row just above the ground the
// player stands on.
constexpr int frameW = 32, frameH = 64;
constexpr int soleRow = 36;

bool isKey(Rgb c)
{
    return c.r == keyGreen.r && c.g == keyGreen.g && c.b == keyGreen.b;
}

struct Pt {
    double x, y;
};

// The point length pixels from p in the direction deg degrees from straight
// down, positive towards the front (right).
Pt along(Pt p, double length, double deg)
{
    return {p.x + length * detSin(deg * degree), p.y + length * detCos(deg * degree)};
}

struct Look {
    std::vector<std::string> head;  // right-facing, 12 rows, the last is the neck
    std::map<char, Rgb> headColours;
    Rgb skin, skinShade;
    Rgb tunic, tunicShade, tunicLight, belt;
    Rgb sleeve, sleeveShade, cuff;
    Rgb legs, legsShade, boots, bootsShade;
    Rgb hair, hairShade;
    bool ponytail;  // Mirrin's hair, streaming behind her
    bool cape;      // Gant's short cape
    Rgb capeColour, capeShade;
};

// Mirrin Skell: a desert ranger in teal with copper hair and a gold belt.
Look mirrinSkell()
{
    Look l;
    l.head = {
        "...hhhhh...",
        "..hhhhhhhh.",
        ".hhhhhhhhhh",
        ".hhhhhsssss",
        "Hhhhhsssssh",
        "Hhhhssssess",
        "HhhHsssseWs",
        ".HhHssssssS",
        ".HH.Sssmss.",
        "..H..Sssss.",
        ".....SSss..",
        "......Ss...",
    };
    l.headColours = {{'h', pal::copper}, {'H', pal::clay},   {'s', pal::skinLight}, {'S', pal::skin},
                     {'e', pal::ink},    {'W', pal::white}, {'m', pal::skinDark}};
    l.skin = pal::skinLight;
    l.skinShade = pal::skin;
    l.tunic = pal::teal1;
    l.tunicShade = pal::teal0;
    l.tunicLight = pal::teal2;
    l.belt = pal::gold;
    l.sleeve = pal::teal1;
    l.sleeveShade = pal::teal0;
    l.cuff = pal::gold;
    l.legs = pal::dusk;
    l.legsShade = pal::night;
    l.boots = pal::clay;
    l.bootsShade = pal::umber;
    l.hair = pal::copper;
    l.hairShade = pal::clay;
    l.ponytail = true;
    l.cape = false;
    return l;
}

// Gant Rellik: a bearded warrior in royal blue under a bronze helmet, with a
// short cape.
Look gantRellik()
{
    Look l;
    l.head = {
        ".ccc.......",
        "cccGggg....",
        "ccGGggggg..",
        "c.GGgggggg.",
        "GGGGGGGGGGG",
        ".bBSssssess",
        ".bBSsssseWs",
        ".bBSssssssS",
        "..bBbbbbbs.",
        "..bbbbbbbb.",
        "...bbbbbb..",
        "......Ss...",
    };
    l.headColours = {{'g', pal::gold}, {'G', pal::bronze}, {'s', pal::skin}, {'S', pal::skinDark},
                     {'e', pal::ink},  {'W', pal::white},  {'b', pal::umber}, {'B', pal::clay}, {'c', pal::bone}};
    l.skin = pal::skin;
    l.skinShade = pal::skinDark;
    l.tunic = pal::blue;
    l.tunicShade = pal::navy;
    l.tunicLight = pal::sky;
    l.belt = pal::gold;
    l.sleeve = pal::blue;
    l.sleeveShade = pal::navy;
    l.cuff = pal::bronze;
    l.legs = pal::slate1;
    l.legsShade = pal::slate0;
    l.boots = pal::umber;
    l.bootsShade = pal::ink;
    l.hair = pal::umber;
    l.hairShade = pal::umber;
    l.ponytail = false;
    l.cape = true;
    l.capeColour = pal::navy;
    l.capeShade = pal::night;
    return l;
}

// Joint angles in degrees from straight down, positive towards the front.
struct Pose {
    double nearThigh = 4, nearShin = 0, farThigh = -4, farShin = 0;
    double nearUpper = 8, nearFore = 20, farUpper = -8, farFore = 10;
    double lean = 0;   // torso tipped forward (positive) or back
    int bob = 0;       // the whole body sinks by this many pixels
    double flow = 0;   // hair and cape blown back, 0..1
    bool wince = false;  // eyes shut (knock-back)
    bool planted = true;  // the lower foot stands on the ground (bob then adds nothing)
};

void leg(Canvas& c, Pt hip, double thigh, double shin, Rgb cloth, Rgb boot)
{
    Pt knee = along(hip, 6, thigh);
    Pt ankle = along(knee, 6, shin);
    c.line(hip.x, hip.y, knee.x, knee.y, 3.4, cloth);
    c.line(knee.x, knee.y, ankle.x, ankle.y - 1.5, 3.0, cloth);
    // The boot points forward from the ankle, its sole level; the outline
    // drawn round the figure later puts the soles' edge on soleRow.
    int bx = static_cast<int>(std::floor(ankle.x - 1.5)), by = static_cast<int>(std::floor(ankle.y));
    by = std::min(by, soleRow - 1);
    c.fillRect(bx, by - 2, 4, 2, boot);
    c.fillRect(bx + 1, by - 1, 4, 2, boot);
}

void arm(Canvas& c, Pt shoulder, double upper, double fore, Rgb sleeve, Rgb cuff, Rgb hand)
{
    Pt elbow = along(shoulder, 5, upper);
    Pt wrist = along(elbow, 5, fore);
    c.line(elbow.x, elbow.y, wrist.x, wrist.y, 2.4, hand);
    c.line(shoulder.x, shoulder.y, elbow.x, elbow.y, 2.8, sleeve);
    Pt band = along(elbow, 3.5, fore);
    c.fillCircle(band.x, band.y, 1.2, cuff);
    c.fillCircle(wrist.x, wrist.y, 1.4, hand);
}

Canvas drawHero(const Look& look, const Pose& pose)
{
    Canvas c(frameW, frameH);
    Pt hip{15.5, 24.0 + pose.bob};
    if (pose.planted) {
        // Lower the body until the lower ankle is on the sole row.
        double lowest = std::max(along(along(hip, 6, pose.nearThigh), 6, pose.nearShin).y,
                                 along(along(hip, 6, pose.farThigh), 6, pose.farShin).y);
        hip.y += soleRow - lowest;
    }
    Pt neck = along(hip, -10, -pose.lean);
    Pt shoulder{neck.x, neck.y + 2};
    Pt headCorner{std::round(neck.x - 5.5), std::round(neck.y - 11)};

    if (look.cape) {
        double sweep = 4 + 5 * pose.flow;
        c.polygon({shoulder.x - 3, shoulder.y - 1, shoulder.x + 1, shoulder.y - 1, hip.x - 1, hip.y + 5,
                   hip.x - 3 - sweep, hip.y + 4 - 2 * pose.flow},
                  look.capeShade);
        c.polygon({shoulder.x - 3, shoulder.y - 1, shoulder.x - 1, shoulder.y - 1, hip.x - 3, hip.y + 4,
                   hip.x - 3 - sweep, hip.y + 4 - 2 * pose.flow},
                  look.capeColour);
    }
    if (look.ponytail) {
        Pt root{headCorner.x + 1, headCorner.y + 3};
        Pt tip = along(root, 9, -35 - 45 * pose.flow);
        Pt mid = along(root, 5, -20 - 30 * pose.flow);
        c.line(root.x, root.y, mid.x, mid.y, 3.2, look.hair);
        c.line(mid.x, mid.y, tip.x, tip.y, 2.2, look.hairShade);
    }
    arm(c, {shoulder.x - 1.5, shoulder.y}, pose.farUpper, pose.farFore, look.sleeveShade, look.cuff,
        look.skinShade);
    leg(c, {hip.x - 1.5, hip.y}, pose.farThigh, pose.farShin, look.legsShade, look.bootsShade);

    // Torso: a tunic that narrows to the belt, with a skirt below it.
    double sx = shoulder.x, sy = shoulder.y - 1;
    c.polygon({sx - 4, sy, sx + 4, sy, hip.x + 4, hip.y + 4, hip.x - 5, hip.y + 4}, look.tunic);
    c.polygon({sx - 4, sy, sx - 2, sy, hip.x - 2.5, hip.y + 4, hip.x - 5, hip.y + 4}, look.tunicShade);
    c.line(sx + 2.5, sy + 1, hip.x + 2.5, hip.y - 2, 1, look.tunicLight);
    c.fillRect(static_cast<int>(hip.x - 4), static_cast<int>(hip.y - 1), 8, 2, look.belt);

    leg(c, {hip.x + 1.5, hip.y}, pose.nearThigh, pose.nearShin, look.legs, look.boots);
    std::map<char, Rgb> colours = look.headColours;
    if (pose.wince)
        colours['W'] = colours['e'];
    stamp(c, static_cast<int>(headCorner.x), static_cast<int>(headCorner.y), look.head, colours);
    arm(c, {shoulder.x + 1, shoulder.y}, pose.nearUpper, pose.nearFore, look.sleeve, look.cuff, look.skin);
    outline(c, pal::ink);
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

// The running stride: three poses and the same three with the legs and arms
// swapped. Angles: near thigh and shin, far thigh and shin, near arm upper
// and fore, far arm upper and fore, bob.
std::vector<Pose> strides()
{
    struct Key {
        double nt, ns, ft, fs, nu, nf, fu, ff;
        int bob;
    };
    const Key keys[3] = {
        {34, 12, -30, -62, -34, 10, 40, 95, 0},   // contact: near foot reaching forward
        {12, -28, 4, -88, -12, 40, 18, 80, 1},    // down: near leg under the body, far knee up
        {-22, -42, 38, 2, 24, 85, -30, 0, 0},     // push: near leg behind, far leg reaching
    };
    std::vector<Pose> out;
    for (int half = 0; half < 2; ++half)
        for (const Key& k : keys) {
            Pose p;
            p.nearThigh = half ? k.ft : k.nt;
            p.nearShin = half ? k.fs : k.ns;
            p.farThigh = half ? k.nt : k.ft;
            p.farShin = half ? k.ns : k.fs;
            p.nearUpper = half ? k.fu : k.nu;
            p.nearFore = half ? k.ff : k.nf;
            p.farUpper = half ? k.nu : k.fu;
            p.farFore = half ? k.nf : k.ff;
            p.bob = k.bob;
            p.lean = 6;
            p.flow = 0.7;
            out.push_back(p);
        }
    return out;
}

void writeLook(const Look& look, const std::string& p)
{
    // Frame 0 is the standing pose, shown while the player stands still;
    // while running it comes round once a cycle, so it shows for one tick
    // only. The six running frames follow.
    std::vector<Frame> walk{{drawHero(look, Pose{}), 12}};
    for (const Pose& pose : strides())
        walk.push_back({drawHero(look, pose), 62});
    writeAnimation("gfx/player/walk", p + "rightinfo.kvs", p + "right", walk);
    writeAnimation("gfx/player/walk", p + "leftinfo.kvs", p + "left", mirroredFrames(walk));

    // Knock-back: thrown back from the blow, flashing. The "left" set is
    // shown while the player is pushed to the left facing right.
    Pose hurt;
    hurt.lean = -16;
    hurt.nearThigh = 18;
    hurt.nearShin = 6;
    hurt.farThigh = -6;
    hurt.farShin = -30;
    hurt.nearUpper = -60;
    hurt.nearFore = -100;
    hurt.farUpper = -40;
    hurt.farFore = -80;
    hurt.flow = 1;
    hurt.wince = true;
    Canvas body = drawHero(look, hurt);
    std::vector<Frame> knock{{rampFlash(body, {pal::ink, pal::blood, pal::red, pal::rose}), 70},
                             {body, 70},
                             {flashed(body, pal::white, 0.6), 70},
                             {body, 70}};
    writeAnimation("gfx/player/walk", p + "leftinfod.kvs", p + "leftd", knock);
    writeAnimation("gfx/player/walk", p + "rightinfod.kvs", p + "rightd", mirroredFrames(knock));

    // Rising: knees drawn up, one arm reaching high.
    std::vector<Frame> up;
    for (int i = 0; i < 2; ++i) {
        Pose pose;
        pose.nearThigh = 70 - 10 * i;
        pose.nearShin = -10;
        pose.farThigh = 20;
        pose.farShin = -60;
        pose.nearUpper = -150 + 10 * i;
        pose.nearFore = -170;
        pose.farUpper = -30;
        pose.farFore = 20;
        pose.bob = -1;
        pose.flow = 0.2;
        pose.planted = false;
        up.push_back({drawHero(look, pose), 110});
    }
    writeAnimation("gfx/player/jump", p + "uprightinfo.kvs", p + "upright", up);
    writeAnimation("gfx/player/jump", p + "upleftinfo.kvs", p + "upleft", mirroredFrames(up));

    // Falling: legs reaching for the ground, arms out for balance. The game
    // shows the first frame only.
    std::vector<Frame> down;
    for (int i = 0; i < 2; ++i) {
        Pose pose;
        pose.nearThigh = 24;
        pose.nearShin = 4 - 6 * i;
        pose.farThigh = -14;
        pose.farShin = -24;
        pose.nearUpper = 100 + 10 * i;
        pose.nearFore = 140;
        pose.farUpper = -100;
        pose.farFore = -130;
        pose.bob = -1;
        pose.flow = 1.0;
        pose.planted = false;
        down.push_back({drawHero(look, pose), 110});
    }
    writeAnimation("gfx/player/jump", p + "downrightinfo.kvs", p + "downright", down);
    writeAnimation("gfx/player/jump", p + "downleftinfo.kvs", p + "downleft", mirroredFrames(down));
}

// The death, laid out from frame 52, where the game starts it: a flash, the
// body sinking to its knees and slumping forward, then crumbling into sand
// that the desert wind carries off, leaving a small heap and the spark of
// the soul rising from it. 64 frames of 62 ms outlast the 3820 ms before the
// respawn, so the sequence never comes round again.
void writeDeath(const Look& look, const std::string& p, uint32_t seed)
{
    const int count = 64, start = 52;
    Pose kneel;
    kneel.lean = 18;
    kneel.nearThigh = 80;
    kneel.nearShin = 0;
    kneel.farThigh = 10;
    kneel.farShin = -90;
    kneel.nearUpper = 20;
    kneel.nearFore = 10;
    kneel.farUpper = 10;
    kneel.farFore = 0;
    kneel.wince = true;
    Pose slump = kneel;
    slump.lean = 62;
    slump.nearUpper = 40;
    slump.nearFore = 40;
    const Canvas standing = drawHero(look, Pose{});
    const Canvas kneeling = drawHero(look, kneel);
    const Canvas slumped = drawHero(look, slump);

    // Each pixel of the slumped body turns to sand and then blows away, the
    // top of the body first.
    struct Grain {
        int x, y;
        double when, vx, vy;
        Rgb sandColour;
    };
    std::vector<Grain> grains;
    Rng rng(seed);
    const Rgb sandRamp[4] = {pal::clay, pal::ochre, pal::sand, pal::dune};
    for (int y = 0; y < frameH; ++y)
        for (int x = 0; x < frameW; ++x) {
            Rgb c = slumped.get(x, y);
            if (isKey(c))
                continue;
            int light = (c.r * 3 + c.g * 4 + c.b * 2) / 9;
            Grain g{x, y, 16 + (soleRow - y) * 0.45 + rng.unit() * 7, 0.6 + rng.unit() * 0.9,
                    -0.35 + rng.unit() * 0.3, sandRamp[std::min(3, light / 56)]};
            grains.push_back(g);
        }

    std::vector<Frame> frames(static_cast<size_t>(count), Frame{Canvas(frameW, frameH), 62});
    for (int s = 0; s < count; ++s) {
        Canvas& c = frames[static_cast<size_t>((start + s) % count)].picture;
        if (s < 4) {
            c = s % 2 ? rampFlash(standing, {pal::ink, pal::blood, pal::red, pal::rose})
                      : flashed(standing, pal::white, 0.7);
        } else if (s < 9) {
            c = s < 7 ? kneeling : slumped;
        }
        c.fillRect(0, soleRow + 1, frameW, frameH - soleRow - 1, keyGreen);  // the knees rest on the ground line
        if (s < 9)
            continue;
        // The heap grows where the body lay.
        double heap = std::min(1.0, (s - 12) / 24.0);
        if (heap > 0) {
            c.fillEllipse(16, soleRow + 0.5, 3 + 7 * heap, 1 + 2.2 * heap, pal::ochre);
            c.fillEllipse(15, soleRow + 0.5, 2 + 4 * heap, 0.5 + 1.2 * heap, pal::sand);
        }
        for (const Grain& g : grains) {
            double t = s - g.when;
            if (t < -5) {
                c.set(g.x, g.y, slumped.get(g.x, g.y));  // still flesh and cloth
            } else if (t < 0) {
                c.set(g.x, g.y, g.sandColour);  // turned to sand
            } else if (t < 14) {
                int gx = static_cast<int>(g.x + g.vx * t * 1.6), gy = static_cast<int>(g.y + g.vy * t + 0.02 * t * t);
                if (gy <= soleRow && (t < 8 || (gx + gy + s) % 2 == 0))
                    c.set(gx, gy, t < 7 ? g.sandColour : pal::clay);
            }
        }
        // The soul: a spark rising from the heap and fading at the top.
        if (s >= 30) {
            double u = (s - 30) / 33.0;
            int sx = static_cast<int>(16 + 2.5 * detSin(u * 9)), sy = static_cast<int>(30 - 27 * u);
            Rgb core = u < 0.8 ? pal::white : pal::glow2;
            c.set(sx, sy, core);
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                c.set(sx + dx, sy + dy, u < 0.8 ? pal::glow2 : pal::glow1);
            if (s % 2 == 0)
                c.set(sx, sy + 2, pal::glow1);
        }
        c.fillRect(0, soleRow + 1, frameW, frameH - soleRow - 1, keyGreen);  // nothing below the ground line
    }
    writeAnimation("gfx/player/explode", p + "death.kvs", p + "death", frames);
}

// The sword effect beside the body, its frame starting 30 pixels right of
// the body's: the blade sweeps from high to low through the 25-pixel sword
// box in front of the player, trailing light, then lifts back for the next
// cut. A swing lasts 1450 ms and the effect loops, so it cuts twice.
void writeSword(const std::string& name, Rgb core, Rgb edge, Rgb trail, Rgb faint)
{
    const Pt pivot{-3, 22};
    const double length = 25;
    const double angles[10] = {-60, -44, -20, 6, 32, 54, 60, 38, 0, -38};
    std::vector<Frame> right;
    for (int i = 0; i < 10; ++i) {
        Canvas c(frameW, frameH);
        double a = angles[i];
        bool cutting = i >= 1 && i <= 6;
        // The trail: a crescent behind the blade, brightest next to it.
        if (cutting) {
            double from = angles[std::max(0, i - 2)];
            for (int y = 0; y <= soleRow; ++y)
                for (int x = 0; x < frameW; ++x) {
                    double dx = x + 0.5 - pivot.x, dy = y + 0.5 - pivot.y;
                    double r = detHypot(dx, dy);
                    double at = detAtan2(dy, dx) / degree;
                    if (r < 11 || r > length + 1 || at < from || at > a)
                        continue;
                    double near = (at - from) / std::max(1.0, a - from);
                    double fade = i >= 5 ? 0.55 : 1.0;
                    double strength = near * fade * (r > length - 2 ? 0.7 : 1.0);
                    if (strength < 0.25 && (x + y) % 2)
                        continue;
                    c.set(x, y, strength > 0.75 ? edge : strength > 0.45 ? trail : faint);
                }
        }
        Pt tip{pivot.x + length * detCos(a * degree), pivot.y + length * detSin(a * degree)};
        Pt guard{pivot.x + 6 * detCos(a * degree), pivot.y + 6 * detSin(a * degree)};
        Rgb bladeEdge = cutting ? edge : trail, bladeCore = cutting ? core : edge;
        c.line(guard.x, guard.y, tip.x, tip.y, 3.2, bladeEdge);
        c.line(guard.x, guard.y, tip.x, tip.y, 1.2, bladeCore);
        double g = (a + 90) * degree;
        c.line(guard.x - 3 * detCos(g), guard.y - 3 * detSin(g), guard.x + 3 * detCos(g), guard.y + 3 * detSin(g),
               2, pal::gold);
        c.line(pivot.x, pivot.y, guard.x, guard.y, 2.2, pal::umber);
        outline(c, pal::ink);
        right.push_back({c, 72});
    }
    writeAnimation("gfx/player/sword", name + "rightinfo.kvs", name + "right", right);
    writeAnimation("gfx/player/sword", name + "leftinfo.kvs", name + "left", mirroredFrames(right));
}

// The second character: the ba, a small winged soul of light. Its 4-pixel
// hit box lies 30 pixels in from the frame's corner, so the figure is
// centred on (32, 32) of its 64 by 64 frame. The game shows the first frame
// only (it binds the animation again every frame); the others beat the wings.
void writeAlt()
{
    std::vector<Frame> frames;
    const double lifts[4] = {1.0, 0.3, -0.6, 0.3};
    for (int i = 0; i < 4; ++i) {
        Canvas c(64, 64);
        // A dithered halo: sparse light far out, denser close in.
        for (int y = 16; y < 48; ++y)
            for (int x = 16; x < 48; ++x) {
                double r = detHypot(x + 0.5 - 32, y + 0.5 - 32);
                if (r > 7 && r < 12 && (x + y) % 2 == 0 && (r < 9.5 || (x % 2 == 0 && y % 2 == 0)))
                    c.set(x, y, r < 9.5 ? pal::glow1 : pal::glow0);
            }
        double lift = lifts[i];
        for (int side : {-1, 1}) {
            // Three feathers a side, fanned by the beat.
            for (int f = 0; f < 3; ++f) {
                double deg = -25 * lift + 18 * f - 10;
                double len = 9 - f;
                double rad = (side > 0 ? -deg : 180 + deg) * degree;
                double ex = 32 + side * 2 + len * detCos(rad), ey = 31 + len * detSin(rad) * 0.9;
                c.line(32 + side * 2, 31, ex, ey, 2.2, f == 0 ? pal::butter : pal::glow2);
            }
        }
        c.fillEllipse(32, 32.5, 2.6, 3.6, pal::glow2);
        c.fillEllipse(32, 33, 1.4, 2.2, pal::white);
        c.fillCircle(32, 28.5, 1.9, pal::butter);  // the head, a little sun
        c.set(32, 28, pal::white);
        c.set(31, 37, pal::glow1);
        c.set(33, 37, pal::glow1);
        c.set(32, 38, pal::glow0);
        frames.push_back({c, 90});
    }
    writeAnimation("gfx/player/alt", "alt.kvs", "alt", frames);
}

}  // namespace

void writePlayerSprites()
{
    // Mirrin Skell (p1) carries the energy sword (es), Gant Rellik (p2) the
    // fire sword (fs).
    writeLook(mirrinSkell(), "p1");
    writeLook(gantRellik(), "p2");
    writeDeath(mirrinSkell(), "p1", 0xDEAD1u);
    writeDeath(gantRellik(), "p2", 0xDEAD2u);
    writeSword("es", pal::white, pal::glow2, pal::glow1, pal::glow0);
    writeSword("fs", pal::butter, pal::flame, pal::ember, pal::blood);
    writeAlt();
}
