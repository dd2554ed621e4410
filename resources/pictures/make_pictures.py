#!/usr/bin/env python3
"""Draws Quorvel's built-in pictures (the backgrounds of the first two tabs and the Options
tab's side picture) with ImageMagick's convert. Run it to redraw them."""

import pathlib
import subprocess

HERE = pathlib.Path(__file__).resolve().parent


def draw(name, size, gradient, mvg):
    subprocess.run(["convert", "-size", size, "gradient:" + gradient, "-draw",
                    mvg.replace("\n", " "), "-blur", "0x0.8", str(HERE / name)], check=True)


def reel(cx, cy, r, alpha):
    out = [f"fill none stroke '#ffffff{alpha}' stroke-width {max(3, r // 20)}",
           f"circle {cx},{cy} {cx},{cy - r}", f"circle {cx},{cy} {cx},{cy - r // 5}",
           f"fill '#ffffff{alpha}' stroke none"]
    for dx, dy in ((0, -1), (1, 0), (0, 1), (-1, 0)):
        hx, hy = cx + dx * r // 2, cy + dy * r // 2
        out.append(f"circle {hx},{hy} {hx},{hy - r // 6}")
    return "\n".join(out)


def strip(x0, y0, x1, y1, height, holes):
    # A film strip between two points on its upper edge, holes along both edges.
    out = [f"fill '#00000070' stroke none",
           f"polygon {x0},{y0} {x1},{y1} {x1},{y1 + height} {x0},{y0 + height}",
           "fill '#ffffff3c'"]
    for i in range(holes):
        t = i / holes
        x = x0 + (x1 - x0) * t
        y = y0 + (y1 - y0) * t
        for off in (8, height - 22):
            out.append(f"roundrectangle {x:.0f},{y + off:.0f} {x + 24:.0f},{y + off + 14:.0f} 3,3")
    for i in range(0, holes, 4):
        t = (i + 0.5) / holes
        x = x0 + (x1 - x0) * t
        y = y0 + (y1 - y0) * t
        out.append("fill '#ffffff14'")
        out.append(f"rectangle {x:.0f},{y + 34:.0f} {x + 150:.0f},{y + height - 34:.0f}")
    return "\n".join(out)


def main():
    draw("tab1.png", "1000x700", "#1d3557-#6a2c70",
         "\n".join([reel(790, 230, 150, "40"), reel(640, 520, 90, "30"),
                    "fill '#ffffff12' stroke none", "polygon 0,700 360,300 1000,700"]))
    draw("tab2.png", "1000x700", "#0b3d3a-#1f2a44",
         "\n".join([strip(-40, 470, 1040, 250, 150, 40),
                    reel(150, 150, 90, "26")]))
    draw("options.png", "220x700", "#2a3b57-#101820",
         "\n".join(["fill '#00000070' stroke none", "rectangle 40,0 180,700",
                    "fill '#ffffff3c'"] +
                   [f"roundrectangle 48,{y} 62,{y + 20} 3,3" for y in range(0, 700, 34)] +
                   [f"roundrectangle 158,{y} 172,{y + 20} 3,3" for y in range(0, 700, 34)] +
                   ["fill '#ffffff16'"] +
                   [f"rectangle 72,{y} 148,{y + 90} " for y in range(10, 700, 110)] +
                   [reel(110, 600, 60, "30")]))


if __name__ == "__main__":
    main()
