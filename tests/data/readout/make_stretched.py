#!/usr/bin/python3
"""Makes the readout as a compositor shows a DPI-unaware window on a scaled display: the strip
captured at 96 DPI (readout.txt, written by `zolvik_probe readoutdata` on Wine) stretched by
125, 150, 175 and 200 %, with nearest-neighbour and with bilinear filtering. The decoder must
refuse every one of them: it reads unscaled pixels or nothing.

Run from this folder with Debian's Python (python3-scipy): /usr/bin/python3 make_stretched.py
"""
import numpy as np
from scipy import ndimage


def load(path):
    with open(path) as f:
        width, height = map(int, f.readline().split())
        rows = [[int(v, 16) for v in line.split()] for line in f if line.strip()]
    pixels = np.array(rows, dtype=np.uint32).reshape(height, width)
    return np.stack([(pixels >> 16) & 255, (pixels >> 8) & 255, pixels & 255], axis=-1)


def save(path, rgb):
    height, width, _ = rgb.shape
    with open(path, "w") as f:
        f.write("%d %d\n" % (width, height))
        for row in rgb:
            f.write(" ".join("%06x" % ((int(r) << 16) | (int(g) << 8) | int(b))
                             for r, g, b in row) + "\n")


def stretch(rgb, factor, order):
    channels = [ndimage.zoom(rgb[:, :, c].astype(float), factor, order=order, mode="nearest")
                for c in range(3)]
    return np.clip(np.rint(np.stack(channels, axis=-1)), 0, 255).astype(np.uint32)


if __name__ == "__main__":
    strip = load("readout.txt")
    for percent in (125, 150, 175, 200):
        for name, order in (("nearest", 0), ("bilinear", 1)):
            save("readout-%s-%d.txt" % (name, percent), stretch(strip, percent / 100.0, order))
