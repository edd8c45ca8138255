#!/usr/bin/python3
"""Draws the labelled picture of the Vortiflux window for the manual (help/dialog.png).

    help/make_dialog_picture.py [SCREENSHOT] [--output help/dialog.png]

SCREENSHOT is the dialog test's picture of an edited session, by default
build/windows/artifacts/screenshots/dialog_edited.png (made by `ctest --preset windows -R
dialog_gui` under Wine). The numbers are drawn at fixed places of that picture, in the order of
the legend on the manual's main page; after a change of the dialog's layout, check them against
the new picture.
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SCREENSHOT = os.path.join(ROOT, "build", "windows", "artifacts", "screenshots", "dialog_edited.png")
OUTPUT = os.path.join(HERE, "dialog.png")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The size of the picture the places below belong to (the dialog's client area at its smallest
# size at 96 dots per inch).
SIZE = (982, 676)

# Number and place of each label, pixels of the screenshot, and the points its leader lines
# reach: the labels of the bottom row stand in a strip added under the window, the others
# beside what they name, covering nothing of it.
STRIP = 40
LABELS = [
    (1, 290, 24, []),  # the title: About box
    (2, 68, 24, []),     # the initials: product page
    (3, 900, 24, []),    # Help: this manual
    (4, 245, 84, []),    # navigator
    (5, 30, 189, []),    # Kind:
    (6, 110, 236, []),   # Offset position (sphere, X and Y)
    (7, 105, 331, []),   # the five value controls
    (8, 160, 518, []),   # User Created Settings with Save and Delete
    (9, 452, 150, []),   # the preview and its cross
    (10, 330, 696, [(330, 628)]),              # progress bar
    (11, 612, 696, [(570, 661), (612, 656), (655, 661)]),  # zoom buttons and label
    (12, 477, 696, [(477, 661)]),  # Cancel
    (13, 747, 696, [(747, 661)]),  # OK
]

ACCENT = (214, 60, 40)


def draw_label(draw, font, number, x, y):
    radius = 12
    draw.ellipse([x - radius - 2, y - radius - 2, x + radius + 2, y + radius + 2], fill=(255, 255, 255))
    draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=ACCENT)
    text = str(number)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=font)
    draw.text((x - (right - left) / 2 - left, y - (bottom - top) / 2 - top), text, font=font, fill=(255, 255, 255))


def main():
    args = sys.argv[1:]
    output = OUTPUT
    if "--output" in args:
        at = args.index("--output")
        output = args[at + 1]
        del args[at:at + 2]
    source = args[0] if args else SCREENSHOT
    if not os.path.isfile(source):
        sys.exit("make_dialog_picture.py: no screenshot %s; run the dialog tests under Wine first" % source)
    with Image.open(source) as shot:
        image = shot.convert("RGB")
    if image.size != SIZE:
        sys.exit("make_dialog_picture.py: the screenshot is %dx%d, the labels are placed for %dx%d"
                 % (image.size + SIZE))
    framed = Image.new("RGB", (image.width, image.height + STRIP), (255, 255, 255))
    framed.paste(image, (0, 0))
    draw = ImageDraw.Draw(framed)
    font = ImageFont.truetype(FONT, 14)
    for number, x, y, targets in LABELS:
        for target in targets:
            draw.line([(x, y), target], fill=ACCENT, width=2)
    for number, x, y, _ in LABELS:
        draw_label(draw, font, number, x, y)
    image = framed
    image.save(output, "PNG", optimize=True)


if __name__ == "__main__":
    main()
