#!/usr/bin/env python3
"""Writes the canvas artwork into source/libui/resources/canvas: the linen
desk texture (a seamless 128 x 128 PNG of woven threads) and the SVG symbols
of the view tools, the off-pegs tool and its put-back button."""
import math
import os
import random
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "source", "libui", "resources", "canvas")


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def linen(size=128):
    rnd = random.Random(7)
    # Thread thickness varies along each warp and weft thread; seamless
    # because every variation is periodic in the tile.
    warp = [0.5 + 0.5 * math.sin(2 * math.pi * (x * 3 / size) + rnd.random()) for x in range(size)]
    weft = [0.5 + 0.5 * math.sin(2 * math.pi * (y * 5 / size) + rnd.random()) for y in range(size)]
    noise = [[rnd.random() for _ in range(size)] for _ in range(size)]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            over = (x // 2 + y // 2) % 2
            shade = 0.62 * warp[x] if over else 0.62 * weft[y]
            v = 58 + 14 * shade + 6 * noise[y][x]
            row += [int(v + 4), int(v + 1), int(v - 3)]
        rows.append(row)
    write_png(os.path.join(OUT, "linenBG.png"), size, size, rows)


def svg(name, width, height, body):
    with open(os.path.join(OUT, name), "w") as f:
        f.write(f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
                f'viewBox="0 0 {width} {height}">\n{body}\n</svg>\n')


STROKE = 'fill="none" stroke="#d6e1d3" stroke-opacity="0.6" stroke-width="10" stroke-linecap="round" stroke-linejoin="round"'


def symbols():
    # View tools: 460 x 330.
    svg("papersymbol-pan.svg", 460, 330, f'''<g {STROKE}>
<path d="M230 60 V270 M125 165 H335"/>
<path d="M205 85 L230 60 L255 85 M205 245 L230 270 L255 245 M150 140 L125 165 L150 190 M310 140 L335 165 L310 190"/>
</g>''')
    svg("papersymbol-rotate.svg", 460, 330, f'''<g {STROKE}>
<path d="M140 165 A90 90 0 1 1 230 255"/>
<path d="M110 140 L140 170 L170 140"/>
</g>''')
    svg("papersymbol-zoom.svg", 460, 330, f'''<g {STROKE}>
<circle cx="205" cy="145" r="70"/>
<path d="M255 195 L320 260 M170 145 H240 M205 110 V180"/>
</g>''')
    # Off-pegs symbols: drawn into a square.
    svg("papersymbol-offpegs-pan.svg", 340, 340, f'''<g {STROKE}>
<path d="M170 110 V230 M110 170 H230"/>
<path d="M150 130 L170 110 L190 130 M150 210 L170 230 L190 210 M130 150 L110 170 L130 190 M210 150 L230 170 L210 190"/>
</g>''')
    svg("papersymbol-offpegs-rotate.svg", 340, 340, f'''<g {STROKE}>
<path d="M40 170 A130 130 0 0 1 300 170"/>
<path d="M300 170 A130 130 0 0 1 40 170" stroke-dasharray="18 22"/>
<path d="M275 145 L300 175 L325 145"/>
</g>''')
    # The put-back button: 86 x 28.
    for name, fill, text in (("offPegs_button.svg", "#2d2926", "#d6e1d3"),
                             ("offPegs_button-hover.svg", "#337b34", "#ffffff"),
                             ("offPegs_button-click.svg", "#1f4d20", "#c8d6c4")):
        svg(name, 86, 28, f'''<rect x="0.5" y="0.5" width="85" height="27" rx="13.5" ry="13.5" fill="{fill}" fill-opacity="0.85" stroke="#d6e1d3" stroke-opacity="0.5"/>
<g fill="none" stroke="{text}" stroke-width="2" stroke-linecap="round">
<circle cx="29" cy="14" r="4"/><circle cx="43" cy="14" r="4"/><circle cx="57" cy="14" r="4"/>
<path d="M21 14 H17 M65 14 H69"/>
</g>''')


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    linen()
    symbols()
