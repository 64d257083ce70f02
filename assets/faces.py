"""The smiley popups: round yellow faces, 80 x 80 px, all built from the same parts."""

import math

from svgkit import (FACE, LINE, MOUTH, OUTLINE, PINK, RED_FACE, TONGUE, WHITE, Svg, fmt, heart, mix)

SIZE = 80
CX, CY, R = 40.0, 43.0, 33.0


def head(svg, palette=FACE):
    svg.circle(CX, CY, R, svg.ball(palette, CX, CY, R))
    svg.ellipse(CX - 14, CY - 19, 10, 5.5, WHITE, width=0, opacity=0.55,
                transform=f"rotate(-28 {fmt(CX - 14)} {fmt(CY - 19)})")


def cheeks(svg, opacity=0.45, size=1.0):
    for dx in (-19, 19):
        svg.ellipse(CX + dx, CY + 7, 6.5 * size, 4 * size, PINK, width=0, opacity=opacity)


def eye_open(svg, x, y, look=(0, 0), scale=1.0):
    svg.ellipse(x + look[0], y + look[1], 4.2 * scale, 6.2 * scale, OUTLINE, width=0)
    svg.circle(x + look[0] - 1.3 * scale, y + look[1] - 2.4 * scale, 1.6 * scale, WHITE, width=0)


def eye_wink(svg, x, y):
    """Closed, happily squeezed eye (a ^ shape)."""
    svg.path(f"M{fmt(x - 5.5)} {fmt(y + 2)}Q{fmt(x)} {fmt(y - 5)} {fmt(x + 5.5)} {fmt(y + 2)}", width=2.6)


def eye_shut(svg, x, y):
    """Relaxed closed eye (a u shape) with lashes."""
    svg.path(f"M{fmt(x - 5)} {fmt(y - 1)}Q{fmt(x)} {fmt(y + 4)} {fmt(x + 5)} {fmt(y - 1)}", width=2.6)
    svg.line(x - 5, y - 1, x - 7, y - 3, width=1.6)


def eye_wide(svg, x, y, pupil=2.3):
    svg.ellipse(x, y, 6.5, 8.5, WHITE)
    svg.circle(x, y + 1, pupil, OUTLINE, width=0)


def brow(svg, x1, y1, x2, y2, bend=0.0):
    mx, my = (x1 + x2) / 2, (y1 + y2) / 2 - bend
    svg.path(f"M{fmt(x1)} {fmt(y1)}Q{fmt(mx)} {fmt(my)} {fmt(x2)} {fmt(y2)}", width=2.6)


def grin(svg, left=24.0, right=56.0, top=50.0, depth=16.0, tilt=0.0):
    """Open smiling mouth with a tongue; tilt lifts the right corner."""
    yl, yr = top + tilt, top - tilt
    mx = (left + right) / 2
    bottom = top + depth
    d = (f"M{fmt(left)} {fmt(yl)}Q{fmt(mx)} {fmt(top + 4)} {fmt(right)} {fmt(yr)}"
         f"Q{fmt(right - 3)} {fmt(bottom)} {fmt(mx)} {fmt(bottom)}Q{fmt(left + 3)} {fmt(bottom)} {fmt(left)} {fmt(yl)}Z")
    svg.path(d, fill=MOUTH)
    svg.path(f"M{fmt(mx - 8)} {fmt(bottom - 1.2)}Q{fmt(mx - 6)} {fmt(bottom - 7)} {fmt(mx)} {fmt(bottom - 6)}"
             f"Q{fmt(mx + 6)} {fmt(bottom - 7)} {fmt(mx + 8)} {fmt(bottom - 1.2)}Q{fmt(mx)} {fmt(bottom + 0.8)} {fmt(mx - 8)} {fmt(bottom - 1.2)}Z",
             fill=TONGUE, width=0)
    svg.path(d)  # outline again over the tongue


def smile():
    svg = Svg(SIZE, SIZE, "Smile")
    head(svg)
    cheeks(svg)
    eye_open(svg, 29, 34)
    eye_open(svg, 51, 34)
    grin(svg)
    return svg


def frown():
    svg = Svg(SIZE, SIZE, "Frown")
    head(svg)
    brow(svg, 22, 28, 33, 23, bend=-1)
    brow(svg, 47, 23, 58, 28, bend=-1)
    eye_open(svg, 29, 36, look=(0, 1))
    eye_open(svg, 51, 36, look=(0, 1))
    svg.path("M27 62Q40 48 53 62", width=2.8)
    # a tear under the left eye
    svg.path("M24 45Q20.5 51 24 53Q27.5 51 24 45Z", fill=svg.linear([(0, "#d9f1ff"), (1, "#4aa3f0")], 0, 45, 0, 53),
             width=1.4)
    return svg


def wink(closed):
    svg = Svg(SIZE, SIZE, "Wink" + (" (winking)" if closed else ""))
    head(svg)
    cheeks(svg)
    if closed:
        eye_wink(svg, 29, 35)
        brow(svg, 22, 27, 34, 27, bend=-1.5)
    else:
        eye_open(svg, 29, 34)
        brow(svg, 22, 25, 34, 24, bend=2)
    eye_open(svg, 51, 34)
    brow(svg, 45, 24, 57, 25, bend=2)
    grin(svg, left=25, right=57, top=51, depth=13, tilt=3)
    return svg


def kiss(puckered):
    svg = Svg(SIZE, SIZE, "Kiss" + (" (puckered)" if puckered else ""))
    head(svg)
    cheeks(svg, opacity=0.6 if puckered else 0.45, size=1.15 if puckered else 1.0)
    if puckered:
        eye_shut(svg, 29, 35)
        eye_shut(svg, 51, 35)
        # puckered lips pushed to the right
        svg.path("M41 53Q46 48 50 53Q54 56 50 59Q46 64 41 59Q44 56 41 53Z", fill="#e8404f", width=2.2)
        svg.path("M43.5 56H48.5", width=1.6)
        heart(svg, 64, 22, 7)
        heart(svg, 73, 11, 3.6, width=1.4)
    else:
        eye_open(svg, 29, 34)
        eye_open(svg, 51, 34)
        svg.path("M31 55Q40 61 49 55", width=2.8)
    return svg


def scream():
    svg = Svg(SIZE, SIZE, "AAHHH!")
    # shock lines above the head
    for a in (-60, -35, -12, 12, 35, 60):
        r1, r2 = R + 2.5, R + 6.5
        x1, y1 = CX + r1 * math.sin(math.radians(a)), CY - r1 * math.cos(math.radians(a))
        x2, y2 = CX + r2 * math.sin(math.radians(a)), CY - r2 * math.cos(math.radians(a))
        svg.line(x1, y1, x2, y2, width=2.4)
    head(svg, palette=("#fffbe0", "#ffe46e", "#e9b21b"))
    brow(svg, 20, 20, 33, 17, bend=3)
    brow(svg, 47, 17, 60, 20, bend=3)
    eye_wide(svg, 29, 31, pupil=2)
    eye_wide(svg, 51, 31, pupil=2)
    svg.ellipse(40, 58, 9.5, 13, MOUTH)
    svg.path("M33 51Q40 47.5 47 51L46 53.5Q40 51.5 34 53.5Z", fill=WHITE, width=1.2)
    svg.path("M34 66Q40 61 46 66Q40 71.5 34 66Z", fill=TONGUE, width=0)
    svg.ellipse(40, 58, 9.5, 13, "none")
    # hands pressed against the cheeks
    for side in (-1, 1):
        hx = CX + side * 29
        svg.ellipse(hx, 58, 7, 11, svg.ball(FACE, hx, 58, 9), transform=f"rotate({-side * 12} {fmt(hx)} 58)")
        svg.line(hx - side * 1, 51, hx - side * 3.5, 56, width=1.4)
    return svg


def oops():
    svg = Svg(SIZE, SIZE, "Oops!")
    head(svg)
    cheeks(svg, opacity=0.75, size=1.3)
    for dx in (-19, 19):  # blush strokes
        for k in (-3, 0, 3):
            svg.line(CX + dx + k - 1, CY + 5, CX + dx + k + 1, CY + 9, stroke="#e0506a", width=1.2)
    brow(svg, 23, 25, 34, 27, bend=2)
    brow(svg, 46, 27, 57, 25, bend=2)
    eye_open(svg, 29, 36, look=(-2.5, 0), scale=0.9)
    eye_open(svg, 51, 36, look=(-2.5, 0), scale=0.9)
    # clenched, wobbly "eek" grin
    svg.path("M27 55Q33 51 40 54Q47 57 53 53L53 59Q47 63 40 60Q33 57 27 61Z", fill=WHITE, width=2.2)
    for x in (33, 40, 47):
        svg.line(x, 53.2 + (0.6 if x == 40 else 0), x, 59.8 + (0.3 if x == 40 else -0.8), width=1.2)
    svg.path("M27 58Q33 54 40 57Q47 60 53 56", width=1.2)
    # sweat drop
    svg.path("M63 17Q57 27 60.5 30.5Q64 33.5 67 30Q69.5 26 63 17Z",
             fill=svg.linear([(0, "#e6f6ff"), (1, "#4aa3f0")], 0, 17, 0, 32), width=1.6)
    svg.ellipse(62, 27, 1.2, 2.2, WHITE, width=0, opacity=0.9)
    return svg


def possessed(t, tilt):
    """One frame of the Possessed animation: t = 0 is friendly, t = 1 fully demonic."""
    svg = Svg(SIZE, SIZE, f"Possessed {t:.2f}")
    if t > 0.05:  # dark red glow behind the head
        svg.circle(CX, CY, 39.5, svg.radial([(0, ("#ff3010", 0.0)), (0.75, ("#ff3010", 0.0)),
                                             (0.86, ("#d01808", 0.55 * t)), (1, ("#600000", 0.0))], CX, CY, 40),
                   width=0)
    svg.group(transform=f"rotate({fmt(tilt)} {fmt(CX)} {fmt(CY)})")
    if t > 0.05:  # horns grow out of the head
        h = 13 * t
        for side in (-1, 1):
            bx = CX + side * 17
            d = (f"M{fmt(bx - side * 7)} {fmt(CY - 25)}Q{fmt(bx - side * 2)} {fmt(CY - 27 - h * 0.6)} {fmt(bx + side * 7)} {fmt(CY - 26 - h)}"
                 f"Q{fmt(bx + side * 4)} {fmt(CY - 25 - h * 0.45)} {fmt(bx + side * 7)} {fmt(CY - 21)}Z")
            svg.path(d, fill=svg.linear([(0, "#7a1010"), (1, "#2a0505")], 0, CY - 22, 0, CY - 26 - h))
    palette = tuple(mix(a, b, t) for a, b in zip(FACE, RED_FACE))
    head(svg, palette)
    # eyebrows tilt inwards as the face turns
    drop = 9 * t
    if t > 0.05:
        brow(svg, 21, 24 - drop * 0.3, 34, 25 + drop, bend=-1 * t)
        brow(svg, 46, 25 + drop, 59, 24 - drop * 0.3, bend=-1 * t)
    # eyes: friendly dark ovals narrow under the brows, then turn into glowing slits
    if t < 0.4:
        squint = t / 0.4
        for ex in (29, 51):
            eye_open(svg, ex, 35 + 1.5 * squint, scale=1 - 0.25 * squint)
    else:
        glow = (t - 0.4) / 0.6
        for side in (-1, 1):
            ex = CX + side * 11
            svg.path(f"M{fmt(ex - side * 6.5)} {fmt(31.5)}L{fmt(ex + side * 6)} {fmt(37)}"
                     f"Q{fmt(ex)} {fmt(42)} {fmt(ex - side * 6.5)} {fmt(37)}Z",
                     fill=svg.radial([(0, "#fffbd0"), (0.6, mix("#f0b020", "#ffe03a", glow)), (1, "#ff9a00")], ex, 36, 7),
                     width=2.2)
            svg.ellipse(ex, 36.5, 1.1, 3.3, OUTLINE, width=0)
    # mouth: a gentle smile widens into a fanged grin
    half = 13 + 8 * t
    top = 52 - 2 * t
    depth = 2 + 13 * t
    l, r = CX - half, CX + half
    if t < 0.15:
        svg.path(f"M{fmt(l)} {fmt(top)}Q{fmt(CX)} {fmt(top + 11)} {fmt(r)} {fmt(top)}", width=2.8)
    else:
        d = (f"M{fmt(l)} {fmt(top - 3 * t)}Q{fmt(CX)} {fmt(top + 3)} {fmt(r)} {fmt(top - 3 * t)}"
             f"Q{fmt(CX + half * 0.6)} {fmt(top + depth)} {fmt(CX)} {fmt(top + depth)}"
             f"Q{fmt(CX - half * 0.6)} {fmt(top + depth)} {fmt(l)} {fmt(top - 3 * t)}Z")
        svg.path(d, fill=mix(MOUTH, "#2a0404", t), width=2.4)
        f = max(0.0, (t - 0.3) / 0.7)
        if f > 0:  # fangs
            for fx in (CX - half * 0.45, CX + half * 0.45):
                fy = top + 1.5
                svg.path(f"M{fmt(fx - 3.2)} {fmt(fy - 0.5)}L{fmt(fx)} {fmt(fy + 7 * f)}L{fmt(fx + 3.2)} {fmt(fy - 0.5)}Z",
                         fill=WHITE, width=1.2)
    svg.end()
    return svg


# Possessed frames in showing order, with how far each one has turned and how the head rocks.
POSSESSED_STEPS = [(0.0, 0), (0.12, -3), (0.28, 3), (0.46, -4), (0.64, 4), (0.82, -5), (0.94, 5),
                   (1.0, -6), (1.0, 6), (1.0, -4), (0.72, 3), (0.42, -2), (0.16, 1)]


def all_faces():
    """Picture id -> Svg for every smiley."""
    out = {151: smile(), 149: frown(), 150: wink(True), 207: wink(False), 208: kiss(True), 206: kiss(False),
           202: scream(), 169: oops()}
    ids = [177] + list(range(179, 191))
    for pid, (t, tilt) in zip(ids, POSSESSED_STEPS):
        out[pid] = possessed(t, tilt)
    return out
