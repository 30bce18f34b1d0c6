#!/usr/bin/env python3
"""Draws the action icons of the model library.

Each icon is a small stroked glyph on a 24 x 24 grid, written as
source/libmodel/resources/icons/<Name>_icon.svg. Run it from anywhere:

    python3 tools/make_action_icons.py

The output is committed, so this only needs running after a glyph changes.
"""

import os
import sys

INK = "#3c3c3c"
ACCENT = "#2f6fb3"
WARN = "#b33a2f"

HEADER = (
    '<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24" '
    'fill="none" stroke="{ink}" stroke-width="1.6" stroke-linecap="round" '
    'stroke-linejoin="round">\n'
)


def path(d, **attrs):
    extra = "".join(f' {k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<path d="{d}"{extra}/>'


def rect(x, y, w, h, rx=0, **attrs):
    extra = "".join(f' {k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{rx}"{extra}/>'


def circle(cx, cy, r, **attrs):
    extra = "".join(f' {k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<circle cx="{cx}" cy="{cy}" r="{r}"{extra}/>'


def dashed(**attrs):
    attrs.setdefault("stroke_dasharray", "2 1.6")
    return attrs


# --- shared pieces ---------------------------------------------------------

def sheet(x=5, y=3, w=11, h=14, **attrs):
    return rect(x, y, w, h, 1, **attrs)


def plus(cx, cy, s=3, color=ACCENT):
    return path(f"M{cx - s} {cy}H{cx + s}M{cx} {cy - s}V{cy + s}", stroke=color)


def minus(cx, cy, s=3, color=WARN):
    return path(f"M{cx - s} {cy}H{cx + s}", stroke=color)


def cross(cx, cy, s=3, color=WARN):
    return path(f"M{cx - s} {cy - s}L{cx + s} {cy + s}M{cx + s} {cy - s}L{cx - s} {cy + s}",
                stroke=color)


# Digits as strokes, so that no font is needed; drawn in a 4 x 6 box at (x, y).
def digit(n, x, y, color=ACCENT):
    shapes = {
        1: f"M{x + 1} {y + 1.5}L{x + 2.5} {y}V{y + 6}",
        2: f"M{x} {y + 1.2}Q{x + 2} {y - 1} {x + 3.6} {y + 1}Q{x + 4} {y + 2.6} {x} {y + 6}H{x + 4}",
        3: f"M{x} {y + 0.4}H{x + 4}L{x + 1.6} {y + 2.6}Q{x + 4.4} {y + 2.8} {x + 3.8} {y + 5}"
           f"Q{x + 2.4} {y + 6.6} {x} {y + 5.4}",
    }
    return path(shapes[n], stroke=color, stroke_width="1.4")


def letter(ch, x, y, color=INK):
    shapes = {
        "A": f"M{x} {y + 7}L{x + 2.5} {y}L{x + 5} {y + 7}M{x + 1} {y + 4.4}H{x + 4}",
        "B": f"M{x} {y}V{y + 7}H{x + 3}Q{x + 5} {y + 7} {x + 5} {y + 5.2}Q{x + 5} {y + 3.5} "
             f"{x + 3} {y + 3.5}H{x}M{x} {y}H{x + 2.6}Q{x + 4.4} {y} {x + 4.4} {y + 1.75}"
             f"Q{x + 4.4} {y + 3.5} {x + 2.6} {y + 3.5}",
    }
    return path(shapes[ch], stroke=color, stroke_width="1.4")


def pencil():
    return path("M4 20L5 15L16 4L20 8L9 19ZM14 6L18 10M5 15L9 19")


def marker():
    return (rect(10, 1, 6, 13, 1.5, transform="rotate(45 13 7.5)")
            + path("M8.2 12.6L11.4 15.8L7 19.5L4.5 17Z", fill=INK))


def brush():
    return path("M19 3L11 12M13 14Q9 12 7 15Q6 19 3 20Q9 21 11 18Q12 16 13 14Z")


def eraser_block():
    return path("M8 20L3 15L13 5L19 11L10 20ZM8 10L14 16M10 20H20")


def key(cx=9, cy=12):
    return (circle(cx - 3, cy, 3)
            + path(f"M{cx} {cy}H{cx + 11}M{cx + 8} {cy}V{cy + 3}M{cx + 11} {cy}V{cy + 3}"))


def layer(y, **attrs):
    return path(f"M12 {y}L21 {y + 4}L12 {y + 8}L3 {y + 4}Z", **attrs)


def pen_preset(tool, n):
    return tool() + digit(n, 16, 15)


# --- the icons -----------------------------------------------------------

ICONS = {
    "Undo": path("M9 5L4 10L9 15M4 10H14Q20 10 20 15Q20 20 14 20H10"),
    "Redo": path("M15 5L20 10L15 15M20 10H10Q4 10 4 15Q4 20 10 20H14"),
    "AddCloneDrawing": sheet(3, 3, 10, 13) + sheet(9, 8, 10, 13, **dashed()) + plus(14, 14.5),
    "AddBlankDrawing": sheet(6, 2, 12, 12) + plus(12, 19),
    "InsertBlankDrawing": plus(12, 5) + sheet(6, 10, 12, 12),
    "TurnCloneToNewOriginal": sheet(2, 5, 8, 11, **dashed()) + path("M11 10.5H14M12.5 8.5L14.5 10.5L12.5 12.5")
    + sheet(15, 5, 7, 11),
    "DuplicateAsOriginal": sheet(3, 3, 11, 13) + sheet(9, 8, 11, 13, fill="#ffffff"),
    "ClearDrawingMakingBlank": sheet(5, 3, 14, 18) + path("M8 8Q11 5 12 9T16 10M8 15L16 13", stroke=WARN),
    "LoseDrawingMakingClone": sheet(5, 3, 14, 18, **dashed()) + path("M9 17L15 7", stroke=WARN),
    "DiscardDrawing": sheet(5, 3, 14, 18) + cross(12, 12),
    "BackDeleteDrawing": path("M9 5H20V19H9L3 12Z") + cross(14, 12, 2.5),
    "Draw": pencil() + path("M13 20Q15 17 17 20T21 20", stroke=ACCENT),
    "Erase": eraser_block(),
    "DrawEraseToggle": path("M3 14L4 10L11 3L14 6L7 13ZM10 21L7 18L13 12L17 16L12 21Z")
    + path("M17 4Q21 6 20 10M19.2 8.4L20 10L21.6 9.4", stroke=ACCENT),
    "Pencil": pencil(),
    "Pencil_Preset1": pen_preset(pencil, 1),
    "Pencil_Preset2": pen_preset(pencil, 2),
    "Pencil_Preset3": pen_preset(pencil, 3),
    "Marker": marker(),
    "Marker_Preset1": pen_preset(marker, 1),
    "Marker_Preset2": pen_preset(marker, 2),
    "Marker_Preset3": pen_preset(marker, 3),
    "Brush": brush(),
    "Brush_Preset1": pen_preset(brush, 1),
    "Brush_Preset2": pen_preset(brush, 2),
    "Brush_Preset3": pen_preset(brush, 3),
    "KneadedEraser": path("M5 14Q3 9 8 7Q11 3 16 6Q21 8 19 13Q20 18 14 18Q9 20 5 14Z")
    + path("M9 12Q12 10 15 12", stroke_width="1.2"),
    "RubberEraser": rect(3, 8, 18, 9, 3) + path("M9 8V17"),
    "VinylEraser": rect(4, 7, 16, 10, 1) + rect(11, 6, 9, 12, 0.5, fill=ACCENT, stroke=ACCENT),
    "Playback": path("M7 4L19 12L7 20Z", fill=INK),
    "Stop": rect(6, 6, 12, 12, 1, fill=INK),
    "JumpToStart": path("M5 5V19") + path("M19 5L8 12L19 19Z", fill=INK),
    "JumpToEnd": path("M19 5V19") + path("M5 5L16 12L5 19Z", fill=INK),
    "Audio": path("M4 9H8L13 5V19L8 15H4Z") + path("M16 9Q18 12 16 15M18.5 6.5Q22.5 12 18.5 17.5"),
    "BacklightOnOff": sheet(4, 6, 11, 14, **dashed()) + sheet(9, 3, 11, 14, fill="#ffffff")
    + path("M14.5 8V12M12.5 10H16.5", stroke=ACCENT),
    "BacklightToggleAB": letter("A", 3, 8) + path("M12 5V19", stroke=ACCENT) + letter("B", 15, 8),
    "HandTool": path("M12 2V22M2 12H22M12 2L9 5M12 2L15 5M12 22L9 19M12 22L15 19M2 12L5 9M2 12L5 15"
                     "M22 12L19 9M22 12L19 15"),
    "Zoom": circle(10, 10, 6) + path("M14.5 14.5L20 20M7.5 10H12.5M10 7.5V12.5"),
    "Rotate": path("M19 12A7 7 0 1 1 16.5 6.6M19 3V8H14"),
    "ResetView": circle(12, 12, 8) + path("M12 2V6M12 18V22M2 12H6M18 12H22") + circle(12, 12, 1.5, fill=INK),
    "FitView": path("M3 8V3H8M16 3H21V8M21 16V21H16M8 21H3V16") + rect(7, 8, 10, 8, 1),
    "Grid": rect(3, 3, 18, 18, 1) + path("M9 3V21M15 3V21M3 9H21M3 15H21"),
    "MarkAsKeyDrawing": key(),
    "ClearKeys": key() + path("M4 20L20 4", stroke=WARN),
    "BacklightKeys": key(9, 15) + path("M12 3V6M6 5L8 7.5M18 5L16 7.5", stroke=ACCENT),
    "Mirror": path("M12 2V22", stroke_dasharray="2 2") + path("M9 6L3 18H9Z") + path("M15 6L21 18H15Z", fill=INK),
    "OffPegs": circle(8, 4, 1.6) + circle(16, 4, 1.6) + rect(6, 9, 13, 12, 1, transform="rotate(-12 12 15)"),
    "SlideMode": rect(7, 3, 10, 18, 1) + path("M7 9H17M7 15H17") + path("M3 12H21M18 9L21 12L18 15M6 9L3 12L6 15", stroke=ACCENT),
    "AddClonesMode": rect(5, 3, 10, 18, 1) + path("M5 9H15M5 15H15") + plus(19, 18, 2.5),
    "ToggleMode": path("M4 9H18L15 6M20 15H6L9 18"),
    "NewLayer": layer(9) + layer(4, fill="#ffffff") + plus(19, 19, 2.5),
    "DuplicateLayer": layer(11) + layer(5, fill="#ffffff"),
    "DeleteLayer": layer(8) + cross(19, 19, 2.5),
    "Visible": path("M2 12Q12 3 22 12Q12 21 2 12Z") + circle(12, 12, 3, fill=INK),
    "Link": rect(2, 9, 11, 6, 3) + rect(11, 9, 11, 6, 3),
    "MergeLayers": layer(1) + layer(14) + path("M12 9.5V13.5M10 11.5L12 13.5L14 11.5", stroke=ACCENT),
    "LassoThisDrawing": path("M6 15Q2 11 6 7Q12 2 18 6Q22 10 17 14Q13 16 9 15Q7 17 8 21"),
    "Cutter": circle(6, 18, 3) + circle(18, 18, 3) + path("M8 16L17 3M16 16L7 3"),
    "PickUpAll": rect(3, 3, 18, 18, 1, **dashed()) + path("M12 17V8M8.5 11.5L12 8L15.5 11.5", stroke=ACCENT),
    "Palette": path("M12 3Q21 3 21 11Q21 15 17 15H15Q13 15 14 18Q15 21 12 21Q3 21 3 12Q3 3 12 3Z")
    + circle(8, 10, 1.3, fill=INK) + circle(12, 7, 1.3, fill=INK) + circle(16, 9, 1.3, fill=ACCENT),
    "ColorPickerTool": path("M4 20L5 16L13 8L16 11L8 19ZM13 8L15 6Q17 4 19 6Q20 8 18 9L16 11M12 7L17 12"),
    "FillTool": path("M4 11L11 4L19 12L12 19ZM4 11H19") + path("M20 15Q22 18 20.5 19.5Q19 20 19 18Z", fill=ACCENT, stroke=ACCENT),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, "..", "source", "libmodel", "resources", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for name, body in sorted(ICONS.items()):
        with open(os.path.join(out_dir, f"{name}_icon.svg"), "w", encoding="utf-8") as f:
            f.write(HEADER.format(ink=INK))
            f.write(body.replace("/><", "/>\n<"))
            f.write("\n</svg>\n")
    print(f"{len(ICONS)} icons written to {os.path.normpath(out_dir)}", file=sys.stderr)


if __name__ == "__main__":
    main()
