"""How the script tests compare pictures, read through Pillow, so that no
check depends on an image tool's output formats (they changed between
ImageMagick 6 and 7).
  picture_check.py same A B       0: same size and RGBA in every pixel
  picture_check.py fills FILE F   0: the ground (the corner) is transparent and
                                  what differs from it spans F of the larger side
  picture_check.py within SHOT P  0: P's RGB appears whole somewhere in SHOT;
                                  prints where and its size: X Y W H
  picture_check.py alike A B      0: two renderers' pictures: the same size,
                                  99.5 % of pixels within 2 levels in every
                                  channel, and where one is covered (alpha)
                                  and the other not, the other covers a pixel
                                  beside it: edges one pixel apart at most
A check that does not hold, a picture that cannot be read and wrong
arguments end with a status other than 0."""
import functools
import sys
from PIL import Image, ImageChops


def load(path):
    return Image.open(path).convert("RGBA")


command, *args = sys.argv[1:] or ["usage"]
if command == "same" and len(args) == 2:
    a, b = load(args[0]), load(args[1])
    sys.exit(a.size != b.size or a.tobytes() != b.tobytes())
elif command == "fills" and len(args) == 2:
    picture = load(args[0])
    ground = picture.getpixel((0, 0))
    difference = ImageChops.difference(picture, Image.new("RGBA", picture.size, ground))
    # One band, since Pillow's box of an RGBA picture came to look at alpha alone.
    differs = functools.reduce(ImageChops.lighter, difference.split())
    left, top, right, bottom = differs.getbbox() or (0, 0, 0, 0)
    span = max(right - left, bottom - top)
    sys.exit(ground[3] != 0 or span < float(args[1]) * max(picture.size))
elif command == "within" and len(args) == 2:
    shot, part = (Image.open(path).convert("RGB") for path in args)
    width, data, want = shot.size[0] * 3, shot.tobytes(), part.tobytes()
    # Each place P's middle row appears (not the first: bare ground is everywhere), tried for all of P.
    middle, row_bytes = part.size[1] // 2, part.size[0] * 3
    row = want[middle * row_bytes:(middle + 1) * row_bytes]
    for y in range(shot.size[1] - part.size[1] + 1):
        start = (y + middle) * width
        at = data.find(row, start, start + width)
        while at >= 0:
            x = (at - start) // 3
            if (at - start) % 3 == 0 and shot.crop((x, y, x + part.size[0], y + part.size[1])).tobytes() == want:
                sys.exit(print(x, y, *part.size))
            at = data.find(row, at + 1, start + width)
    sys.exit(1)
elif command == "alike" and len(args) == 2:
    a, b = load(args[0]), load(args[1])
    if a.size != b.size:
        sys.exit(1)
    width, height = a.size
    pa, pb = a.load(), b.load()
    near = lambda p, x, y, alpha: any(
        p[i, j][3] == alpha for i in range(max(0, x - 1), min(width, x + 2))
        for j in range(max(0, y - 1), min(height, y + 2)))
    apart = edges = 0
    for y in range(height):
        for x in range(width):
            one, other = pa[x, y], pb[x, y]
            apart += max(abs(p - q) for p, q in zip(one, other)) > 2
            if one[3] != other[3]:
                edges += not (near(pb, x, y, one[3]) and near(pa, x, y, other[3]))
    sys.exit(apart > 0.005 * width * height or edges > 0)
else:
    sys.exit("usage: picture_check.py same A B | fills FILE F | within SHOT P | alike A B")
