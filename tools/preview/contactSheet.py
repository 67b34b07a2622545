#!/usr/bin/python3
"""Contact sheets of the generated game folder, for looking at the art.

    /usr/bin/python3 tools/preview/contactSheet.py build/game OUT_FOLDER

Writes OUT_FOLDER/sprites.png (characters, sword, second character, robots,
bullets, tiles with their accents, emblem, popup, font), OUT_FOLDER/level.png
(the whole map in bands, as the game draws it at full brightness and at the
darkest shade with the accent light added) and OUT_FOLDER/pictures.png (the
three JPEG pictures). Not run by the build; needs Debian's python3-pil.
"""
import os
import sys

from PIL import Image, ImageDraw

KEY = (0, 255, 0)
BACKDROP = (58, 40, 52)


def load_bmp(path, key=KEY):
    """The picture with its key colour made transparent."""
    image = Image.open(path).convert("RGBA")
    pixels = image.load()
    for y in range(image.size[1]):
        for x in range(image.size[0]):
            if pixels[x, y][:3] == key:
                pixels[x, y] = (0, 0, 0, 0)
    return image


def read_frames(folder, info):
    lines = [l.strip() for l in open(os.path.join(folder, info)).read().splitlines()]
    count = int(lines[0].split(":")[1])
    names = [l.split()[0] for l in lines[1:] if l and not l.startswith("#")]
    return [load_bmp(os.path.join(folder, n)) for n in names[:count]]


class Sheet:
    """Rows of labelled pictures, each scaled up by a whole factor."""

    def __init__(self, width):
        self.width = width
        self.rows = []

    def row(self, label, pictures, scale=3, gap=4, backdrop=BACKDROP):
        self.rows.append((label, pictures, scale, gap, backdrop))

    def render(self):
        height = 0
        layout = []
        for label, pictures, scale, gap, backdrop in self.rows:
            x, y, line = 0, height + 14, 0
            for p in pictures:
                w, h = p.size[0] * scale, p.size[1] * scale
                if x + w > self.width:
                    x, y = 0, y + line + gap
                    line = 0
                layout.append((p, x, y, scale, backdrop))
                x += w + gap
                line = max(line, h)
            layout.append((label, 0, height, 0, None))
            height = y + line + 10
        sheet = Image.new("RGB", (self.width, height), (24, 24, 28))
        draw = ImageDraw.Draw(sheet)
        for p, x, y, scale, backdrop in layout:
            if scale == 0:
                draw.text((x + 2, y), p, fill=(230, 230, 230))
                continue
            big = p.resize((p.size[0] * scale, p.size[1] * scale), Image.NEAREST)
            tile = Image.new("RGBA", big.size, backdrop + (255,))
            tile.alpha_composite(big)
            sheet.paste(tile.convert("RGB"), (x, y))
        return sheet


def sprites_sheet(game):
    g = lambda *p: os.path.join(game, *p)
    s = Sheet(1400)
    for p in ("p1", "p2"):
        walk, jump = g("gfx/player/walk"), g("gfx/player/jump")
        s.row(p + " walk right / left", read_frames(walk, p + "rightinfo.kvs") + read_frames(walk, p + "leftinfo.kvs"))
        s.row(p + " up / down right, up / down left, knock-back (pushed left, pushed right)",
              read_frames(jump, p + "uprightinfo.kvs") + read_frames(jump, p + "downrightinfo.kvs") +
              read_frames(jump, p + "upleftinfo.kvs") + read_frames(jump, p + "downleftinfo.kvs") +
              read_frames(walk, p + "leftinfod.kvs") + read_frames(walk, p + "rightinfod.kvs"))
        death = read_frames(g("gfx/player/explode"), p + "death.kvs")
        s.row(p + " death from frame 52 (every second frame, wrapping)",
              [death[(52 + i) % len(death)] for i in range(0, len(death), 2)], scale=2)
    sword = g("gfx/player/sword")
    for name in ("es", "fs"):
        s.row(name + " sword right / left", read_frames(sword, name + "rightinfo.kvs") +
              read_frames(sword, name + "leftinfo.kvs"))
    s.row("second character", read_frames(g("gfx/player/alt"), "alt.kvs"), backdrop=(10, 8, 20))
    enemy = g("gfx/enemy")
    s.row("robot normal, hit", read_frames(enemy, "nenemy.kvs") + read_frames(enemy, "denemy.kvs"))
    s.row("robot dying", read_frames(enemy, "dieenemy.kvs"))
    bullets = []
    for kind in ("orb", "card", "spike", "oval"):
        bullets += [load_bmp(g("gfx/bullets", kind + ".bmp")), load_bmp(g("gfx/bullets", kind + "overlay.bmp"))]
    s.row("bullets and overlays (orb, card, spike, oval)", bullets, scale=4)
    tileset = [l.split() for l in open(g("data/tilesets/sands.txt")).read().splitlines()
               if l and not l.startswith("#") and l.split()[0].isdigit()]
    s.row("tiles: " + ", ".join(n + " " + name for n, name in tileset),
          [load_bmp(g("gfx/tiles", name + ".bmp")) for _, name in tileset], scale=2)
    s.row("accents", [load_bmp(g("gfx/tiles/accent", name + ".bmp")) for _, name in tileset],
          scale=2, backdrop=(0, 0, 0))
    s.row("emblem, time bonus, pixel", [load_bmp(g("gfx/yrere.bmp")), load_bmp(g("gfx/timebonus.bmp")),
                                         load_bmp(g("gfx/pixel.bmp"))], scale=3, backdrop=(0, 0, 0))
    s.row("font", [load_bmp(g("gfx/fonts/glFont.bmp"), key=(0, 0, 0))], scale=2, backdrop=(40, 40, 90))
    return s.render()


def read_map(game):
    lines = open(os.path.join(game, "data/maps/maplvl1.map")).read().splitlines()
    width = int(lines[0].split(":")[1])
    rows = []
    for line in lines[3:]:
        if not line or line[0] == "#":
            continue
        numbers = [int(v) for v in line.split()]
        rows.append([(numbers[2 * c], numbers[2 * c + 1]) for c in range(width)])
    return width, rows


def level_sheet(game, band=40):
    """The level as drawn over the background strip: at full brightness, then
    at the darkest shade (38 of 255) with the accents added."""
    g = lambda *p: os.path.join(game, *p)
    width, rows = read_map(game)
    names = {}
    for l in open(g("data/tilesets/sands.txt")).read().splitlines():
        parts = l.split()
        if len(parts) == 2 and parts[0].isdigit():
            names[int(parts[0])] = parts[1]
    base = {n: load_bmp(g("gfx/tiles", v + ".bmp")) for n, v in names.items()}
    accent = {n: load_bmp(g("gfx/tiles/accent", v + ".bmp")) for n, v in names.items()}
    robot = read_frames(g("gfx/enemy"), "nenemy.kvs")[0]
    hero = read_frames(g("gfx/player/walk"), "p1rightinfo.kvs")[0]
    bg = Image.open(g("gfx/bg.jpg")).convert("RGB").resize((640, Image.open(g("gfx/bg.jpg")).size[1]))

    def scene(shade):
        full = Image.new("RGB", (width * 32, 480), (0, 0, 0))
        for x in range(0, width * 32, 640):
            full.paste(bg.point(lambda v: v * max(shade, 38) // 255), (x, 120))
        light = Image.new("RGB", full.size, (0, 0, 0))
        for r, row in enumerate(rows):
            for c, (kind, tile) in enumerate(row):
                if tile:
                    b = base[tile].copy()
                    if shade < 255:
                        px = b.load()
                        for y in range(32):
                            for x in range(32):
                                p = px[x, y]
                                px[x, y] = (p[0] * shade // 255, p[1] * shade // 255, p[2] * shade // 255, p[3])
                    full.paste(b, (c * 32, r * 32), b)
                    if shade < 255:
                        light.paste(accent[tile], (c * 32, r * 32), accent[tile])
                if kind == 2:
                    full.paste(robot, (c * 32, r * 32), robot)
        if shade < 255:
            from PIL import ImageChops
            full = ImageChops.add(full, light.point(lambda v: v * (255 - shade) // 255))
        d = ImageDraw.Draw(full)
        full.paste(hero, (64, 416), hero)
        d.rectangle((150, 250, 154, 254), outline=(255, 0, 255))
        for c in range(0, width, 10):
            d.text((c * 32 + 2, 2), str(c), fill=(255, 255, 0))
        return full

    bright, dark = scene(255), scene(38)
    bands = (width + band - 1) // band
    out = Image.new("RGB", (band * 32, bands * 2 * 490), (24, 24, 28))
    for i in range(bands):
        box = (i * band * 32, 0, min(width, (i + 1) * band) * 32, 480)
        out.paste(bright.crop(box), (0, i * 980))
        out.paste(dark.crop(box), (0, i * 980 + 490))
    return out


def pictures_sheet(game):
    names = ("gfx/bg.jpg", "gfx/storymap.jpg", "gfx/gameover.jpg")
    pictures = [Image.open(os.path.join(game, n)).convert("RGB") for n in names]
    bg = pictures[0]
    # The strip as the game scrolls it: two copies side by side show the seam.
    strip = Image.new("RGB", (bg.size[0] * 2, bg.size[1]))
    strip.paste(bg, (0, 0))
    strip.paste(bg, (bg.size[0], 0))
    rows = [strip] + pictures[1:]
    out = Image.new("RGB", (max(p.size[0] for p in rows), sum(p.size[1] + 10 for p in rows)), (24, 24, 28))
    y = 0
    for p in rows:
        out.paste(p, (0, y))
        y += p.size[1] + 10
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: contactSheet.py GAME_FOLDER OUT_FOLDER")
    game, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    sprites_sheet(game).save(os.path.join(out, "sprites.png"))
    level_sheet(game).save(os.path.join(out, "level.png"))
    pictures_sheet(game).save(os.path.join(out, "pictures.png"))


if __name__ == "__main__":
    main()
