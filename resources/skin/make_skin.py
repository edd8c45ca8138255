#!/usr/bin/python3
"""Draws every bitmap of the dialog skin from code, as 24-bit BMP files named by resource id.

    resources/skin/make_skin.py [output folder] [--tool PATH]

The output folder defaults to the folder of this script. The About box's planet (229) is
distorted by our own effect through the command-line tool of the native build (default
build/native/plugin-out/vortiflux; build the native preset first).

The pictures depend only on this script, Pillow, the DejaVu fonts of Debian's
fonts-dejavu-core and the effect (whose results are the same bits on every build), so the
output is the same byte for byte on every machine with those packages; CI regenerates the
skin and compares it with the committed files.
"""
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

BACKGROUND = (232, 232, 232)
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Top bar: a cool slate gradient with a thin highlight line at the top and a darker rim below.
BAR_TOP = (74, 86, 104)
BAR_BOTTOM = (38, 45, 57)
ACCENT = (86, 170, 230)
TITLE_COLOUR = (236, 240, 245)


def font(bold, size):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vertical_gradient(width, height, top, bottom):
    image = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(image)
    for y in range(height):
        draw.line([(0, y), (width - 1, y)], fill=mix(top, bottom, y / max(1, height - 1)))
    return image


def bar(width):
    """The top bar's background: gradient, highlight line, dark bottom edge."""
    image = vertical_gradient(width, 46, BAR_TOP, BAR_BOTTOM)
    draw = ImageDraw.Draw(image)
    draw.line([(0, 0), (width - 1, 0)], fill=mix(BAR_TOP, (255, 255, 255), 0.35))
    draw.line([(0, 44), (width - 1, 44)], fill=(28, 33, 42))
    draw.line([(0, 45), (width - 1, 45)], fill=ACCENT)
    return image


def supersampled(width, height, painter, scale=4, background=BACKGROUND):
    """Runs painter on a canvas `scale` times larger and shrinks it: smooth edges without
    relying on anti-aliasing of the drawing primitives."""
    big = Image.new("RGB", (width * scale, height * scale), background)
    painter(ImageDraw.Draw(big), scale, big)
    return big.resize((width, height), Image.LANCZOS)


def text_centred(draw, box, text, fnt, fill):
    left, top, right, bottom = draw.textbbox((0, 0), text, font=fnt)
    x = box[0] + (box[2] - box[0] - (right - left)) / 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) / 2 - top
    draw.text((x, y), text, font=fnt, fill=fill)


def button_caps(top, bottom, border, ring=None):
    """A 54 x 24 rounded push button cut into left cap, middle and right cap of 18 x 24: a
    one-pixel border, a vertical gradient inside it and, for the default button, a second
    ring inside the border. The corners and rims lie in the top and bottom 8 rows, which a
    lower button keeps as they are (only the rows between them are squeezed)."""

    def paint(draw, s, big):
        outline = Image.new("L", (54 * s, 24 * s), 0)
        ImageDraw.Draw(outline).rounded_rectangle([0, 0, 54 * s - 1, 24 * s - 1], radius=6 * s, fill=255)
        inner = Image.new("L", (54 * s, 24 * s), 0)
        ImageDraw.Draw(inner).rounded_rectangle([s, s, 53 * s - 1, 23 * s - 1], radius=5 * s, fill=255)
        face = vertical_gradient(54 * s, 24 * s, top, bottom)
        if ring:
            core = Image.new("L", (54 * s, 24 * s), 0)
            ImageDraw.Draw(core).rounded_rectangle([2 * s, 2 * s, 52 * s - 1, 22 * s - 1], radius=4 * s, fill=255)
            ringed = Image.new("RGB", (54 * s, 24 * s), ring)
            ringed.paste(face, (0, 0), core)
            face = ringed
        whole = Image.new("RGB", (54 * s, 24 * s), border)
        whole.paste(face, (0, 0), inner)
        big.paste(whole, (0, 0), outline)

    whole = supersampled(54, 24, paint)
    return [whole.crop((0, 0, 18, 24)), whole.crop((18, 0, 36, 24)), whole.crop((36, 0, 54, 24))]


def title_button(hot):
    """The About button: the product's title on the bar, brighter with an accent line when hot."""
    image = bar(560).crop((80, 11, 80 + 303, 11 + 30))
    draw = ImageDraw.Draw(image)
    colour = (255, 255, 255) if hot else TITLE_COLOUR
    draw.text((4, 3), "Nimbrook", font=font(False, 18), fill=mix(colour, BAR_TOP, 0.25))
    draw.text((98, 3), "Vortiflux", font=font(True, 18), fill=colour)
    if hot:
        draw.line([(98, 27), (190, 27)], fill=ACCENT, width=2)
    return image


def initials(hot, badge):
    """The product page button: the initials in a rounded tile, optionally with a badge."""
    base = bar(560).crop((21, 13, 21 + 33, 13 + 25))

    def paint(draw, s, big):
        big.paste(base.resize((33 * s, 25 * s)), (0, 0))
        fill = ACCENT if hot else (60, 110, 160)
        draw.rounded_rectangle([s, s, 32 * s - 1, 24 * s - 1], radius=5 * s, fill=fill,
                               outline=(200, 225, 245), width=s)
        text_centred(draw, (0, 0, 33 * s, 25 * s), "NV", font(True, 13 * s), (255, 255, 255))
        if badge:
            draw.ellipse([22 * s, 0, 33 * s - 1, 11 * s - 1], fill=(230, 70, 60), outline=(255, 255, 255), width=s)

    return supersampled(33, 25, paint)


def help_label(hot):
    base = bar(560).crop((400, 15, 442, 32))
    draw = ImageDraw.Draw(base)
    text_centred(draw, (0, 0, 42, 17), "Help", font(True, 11), (255, 255, 255) if hot else (190, 200, 214))
    if hot:
        draw.line([(8, 15), (33, 15)], fill=ACCENT)
    return base


def folder_icon():
    def paint(draw, s, big):
        draw.rounded_rectangle([1 * s, 2 * s, 7 * s, 5 * s], radius=s, fill=(214, 160, 60))
        draw.rounded_rectangle([1 * s, 4 * s, 15 * s - 1, 13 * s - 1], radius=s, fill=(240, 190, 80),
                               outline=(180, 125, 40), width=s)
    return supersampled(16, 14, paint)


def up_icon():
    def paint(draw, s, big):
        draw.polygon([(8 * s, 1 * s), (14 * s, 7 * s), (10 * s, 7 * s), (10 * s, 13 * s), (6 * s, 13 * s),
                      (6 * s, 7 * s), (2 * s, 7 * s)], fill=(70, 120, 170))
    return supersampled(16, 14, paint)


def sphere_texture():
    """72 x 72 steel-blue texture laid over the rotor's disc: lighter in the middle, darker
    towards the rim, with soft meridians and parallels every 30 degrees. Drawn four times larger
    and reduced, so every edge is smooth and the rotor can sample it between texels."""
    scale = 4
    size = 72 * scale
    image = Image.new("RGB", (size, size))
    pixels = image.load()
    centre = size / 2.0
    for y in range(size):
        for x in range(size):
            u, v = (x + 0.5 - centre) / centre, (y + 0.5 - centre) / centre
            r2 = u * u + v * v
            colour = mix((206, 216, 230), (122, 138, 162), min(1.0, r2) ** 1.5)
            if r2 < 1.0:
                z = math.sqrt(1.0 - r2)
                lat = math.degrees(math.asin(max(-1.0, min(1.0, v))))
                lon = math.degrees(math.atan2(u, z))
                # Distance to the nearest line in degrees, thinner towards the rim.
                near = min(abs((lat + 15.0) % 30.0 - 15.0), abs((lon + 15.0) % 30.0 - 15.0))
                line = max(0.0, 1.0 - near / 1.8)
                colour = mix(colour, (100, 116, 142), 0.35 * line)
            pixels[x, y] = colour
    return image.resize((72, 72), Image.LANCZOS)


def noise2(x, y, seed):
    """Deterministic value noise from an integer hash (no random module, no platform floats
    beyond IEEE arithmetic)."""
    def hash01(i, j):
        h = (i * 374761393 + j * 668265263 + seed * 2147483647) & 0xFFFFFFFF
        h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0

    i, j = math.floor(x), math.floor(y)
    fx, fy = x - i, y - j
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a, b = hash01(i, j), hash01(i + 1, j)
    c, d = hash01(i, j + 1), hash01(i + 1, j + 1)
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy


def planet():
    """256 x 400: a banded gas planet over a starfield, before the effect."""
    width, height = 256, 400
    image = Image.new("RGB", (width, height))
    pixels = image.load()
    cx, cy, radius = 128.0, 210.0, 110.0
    for y in range(height):
        for x in range(width):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            dist = math.hypot(dx, dy)
            if dist < radius:
                z = math.sqrt(radius * radius - dist * dist) / radius
                sx, sy = x + 0.5, y + 0.5
                band = math.sin(sy * 0.11 + 2.0 * noise2(sx * 0.04, sy * 0.04, 7)) * 0.5 + 0.5
                base = mix((196, 120, 70), (236, 210, 160), band)
                light = max(0.0, (-dx * 0.5 - dy * 0.6) / radius + z * 0.7)
                shade = 0.25 + 0.85 * min(1.0, light)
                colour = tuple(min(255, int(c * shade)) for c in base)
                edge = min(1.0, (radius - dist) / 1.5)
                pixels[x, y] = mix((8, 10, 20), colour, edge)
            else:
                star = noise2(x * 0.9, y * 0.9, 3)
                glow = max(0.0, 1.0 - (dist - radius) / 14.0) * 60
                value = 255 if star > 0.93 else 0
                base = (8 + int(glow * 0.4), 10 + int(glow * 0.6), 20 + int(glow))
                pixels[x, y] = tuple(max(b, value) for b in base)
    return image


# The effect as the About box shows it: a gentle turbulence with some chromatic aberration.
PLANET_EFFECT = ["--method", "turbulence", "--value", "18", "--size", "40", "--aberration", "15"]


def distorted_planet(tool):
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "planet.png")
        result = os.path.join(folder, "distorted.png")
        planet().save(source)
        subprocess.run([tool, "apply", source, "-o", result, "--quiet"] + PLANET_EFFECT, check=True)
        with Image.open(result) as image:
            return image.convert("RGB")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    tool = os.path.join(here, "..", "..", "build", "native", "plugin-out", "vortiflux")
    if "--tool" in args:
        at = args.index("--tool")
        tool = args[at + 1]
        del args[at:at + 2]
    out = args[0] if args else here
    if not os.access(tool, os.X_OK):
        sys.exit("make_skin.py: the effect's tool %s is missing; build the native preset first" % tool)
    os.makedirs(out, exist_ok=True)
    images = {}
    # Mac-style push button caps: left cap, middle, right cap per state.
    # One family of faces: light grey at rest, a pale blue with a blue border under the
    # pointer, a clear blue with an inner ring for the default button, a darker blue pressed.
    # The caption is black on every face (grey when disabled, on the resting face).
    states = {
        0: ((253, 253, 253), (230, 232, 236), (160, 166, 175), None),              # normal
        1: ((238, 246, 255), (198, 223, 250), (52, 124, 204), None),               # hot
        3: ((178, 212, 245), (126, 180, 233), (40, 96, 164), (214, 234, 252)),     # default
        2: ((86, 138, 198), (126, 172, 224), (24, 66, 122), None),                 # pressed
    }
    first_left = {0: 155, 1: 156, 3: 157, 2: 158}
    for state, (top, bottom, border, glow) in states.items():
        left, middle, right = button_caps(top, bottom, border, glow)
        images[first_left[state]] = left
        images[first_left[state] + 4] = middle
        images[first_left[state] + 8] = right
    whole_bar = bar(472)
    draw = ImageDraw.Draw(whole_bar)
    draw.text((84, 14), "Nimbrook", font=font(False, 18), fill=mix(TITLE_COLOUR, BAR_TOP, 0.25))
    draw.text((178, 14), "Vortiflux", font=font(True, 18), fill=TITLE_COLOUR)
    images[230] = whole_bar
    images[214] = bar(4)
    right_end = bar(99)
    ImageDraw.Draw(right_end).line([(0, 1), (0, 43)], fill=mix(BAR_TOP, BAR_BOTTOM, 0.5))
    images[215] = right_end
    images[226] = initials(False, False)
    images[217] = initials(True, False)
    images[225] = initials(False, True)
    images[224] = initials(True, True)
    images[228] = help_label(False)
    images[227] = help_label(True)
    images[232] = title_button(False)
    images[231] = title_button(True)
    images[148] = folder_icon()
    images[150] = up_icon()
    images[108] = sphere_texture()
    images[229] = distorted_planet(tool)
    for number, image in sorted(images.items()):
        image.convert("RGB").save(os.path.join(out, "%d.bmp" % number), "BMP")


if __name__ == "__main__":
    main()
