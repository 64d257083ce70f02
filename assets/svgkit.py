"""Small SVG writer and the shared cartoon style of every picture.

Output stays inside what Qt SVG renders (SVG Tiny 1.2): paths, basic shapes,
linear and radial gradients in user space, group transforms and opacity.
No CSS, filters, masks or clip paths.
"""

import math

# One palette and one outline for every picture.
OUTLINE = "#3b2a1e"
LINE = 2.0        # outline width of pictures of 48 px and more
LINE_SMALL = 1.25  # outline width of 16-32 px icons
FACE = ("#fff8c0", "#ffd93b", "#efa200")
RED_FACE = ("#ffb09a", "#e8402a", "#8e110b")
BLUE = ("#b9e0ff", "#5aa9f0", "#2e6fc4")
GREEN = ("#d4f7c2", "#6fcf57", "#2f8f2a")
GREY = ("#f2f2f2", "#c4c4c4", "#8c8c8c")
PAPER = ("#fffef8", "#fbf4e0", "#e9dcb8")
ORANGE = ("#ffe2a8", "#ffb347", "#e07b12")
PINK = "#ff7f8f"
MOUTH = "#7a1f14"
TONGUE = "#ff7f7f"
WHITE = "#ffffff"
HEART = ("#ffb3bd", "#f0384f", "#b01631")


def fmt(v):
    if isinstance(v, float):
        s = f"{v:.2f}".rstrip("0").rstrip(".")
        return "0" if s == "-0" else s
    return str(v)


def attrs(**kw):
    out = []
    for k, v in kw.items():
        if v is None:
            continue
        out.append(f'{k.rstrip("_").replace("_", "-")}="{fmt(v)}"')
    return " ".join(out)


def mix(a, b, t):
    """Colour between hex a and hex b at 0 <= t <= 1."""
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * t):02x}" for x, y in zip(ca, cb))


class Svg:
    """One picture: defs plus a list of drawing elements."""

    def __init__(self, width, height, title):
        self.width, self.height, self.title = width, height, title
        self.defs = []
        self.body = []
        self._ids = 0
        self._stack = []

    def uid(self, stem):
        self._ids += 1
        return f"{stem}{self._ids}"

    # --- paint servers -------------------------------------------------
    def radial(self, stops, cx, cy, r, fx=None, fy=None):
        gid = self.uid("r")
        s = "".join(self._stop(o, c) for o, c in stops)
        self.defs.append(f'<radialGradient id="{gid}" {attrs(gradientUnits="userSpaceOnUse", cx=cx, cy=cy, r=r, fx=fx, fy=fy)}>{s}</radialGradient>')
        return f"url(#{gid})"

    def linear(self, stops, x1, y1, x2, y2):
        gid = self.uid("l")
        s = "".join(self._stop(o, c) for o, c in stops)
        self.defs.append(f'<linearGradient id="{gid}" {attrs(gradientUnits="userSpaceOnUse", x1=x1, y1=y1, x2=x2, y2=y2)}>{s}</linearGradient>')
        return f"url(#{gid})"

    @staticmethod
    def _stop(offset, colour):
        if isinstance(colour, tuple):  # (colour, opacity)
            return f'<stop offset="{fmt(offset)}" stop-color="{colour[0]}" stop-opacity="{fmt(colour[1])}"/>'
        return f'<stop offset="{fmt(offset)}" stop-color="{colour}"/>'

    def ball(self, palette, cx, cy, r):
        """Soft round shading lit from the top left, used for every rounded body."""
        hi, mid, lo = palette
        return self.radial([(0, hi), (0.55, mid), (1, lo)], cx - r * 0.35, cy - r * 0.4, r * 1.45,
                           cx - r * 0.45, cy - r * 0.5)

    def slab(self, palette, x1, y1, x2, y2):
        """Top-to-bottom shading for flat bodies (cards, envelopes, bubbles)."""
        hi, mid, lo = palette
        return self.linear([(0, hi), (0.5, mid), (1, lo)], x1, y1, x2, y2)

    # --- elements --------------------------------------------------------
    def add(self, tag, **kw):
        self.body.append("  " * len(self._stack) + f"<{tag} {attrs(**kw)}/>")

    def group(self, **kw):
        self.body.append("  " * len(self._stack) + f"<g {attrs(**kw)}>")
        self._stack.append("g")

    def end(self):
        self._stack.pop()
        self.body.append("  " * len(self._stack) + "</g>")

    def circle(self, cx, cy, r, fill, stroke=OUTLINE, width=LINE, **kw):
        self.add("circle", cx=cx, cy=cy, r=r, fill=fill, stroke=stroke if width else None,
                 stroke_width=width or None, **kw)

    def ellipse(self, cx, cy, rx, ry, fill, stroke=OUTLINE, width=LINE, **kw):
        self.add("ellipse", cx=cx, cy=cy, rx=rx, ry=ry, fill=fill, stroke=stroke if width else None,
                 stroke_width=width or None, **kw)

    def rect(self, x, y, w, h, rx, fill, stroke=OUTLINE, width=LINE, **kw):
        self.add("rect", x=x, y=y, width=w, height=h, rx=rx if rx else None, fill=fill,
                 stroke=stroke if width else None, stroke_width=width or None, **kw)

    def path(self, d, fill="none", stroke=OUTLINE, width=LINE, **kw):
        self.add("path", d=d, fill=fill, stroke=stroke if width else None, stroke_width=width or None,
                 stroke_linecap="round" if width else None, stroke_linejoin="round" if width else None, **kw)

    def line(self, x1, y1, x2, y2, stroke=OUTLINE, width=LINE, **kw):
        self.path(f"M{fmt(x1)} {fmt(y1)}L{fmt(x2)} {fmt(y2)}", stroke=stroke, width=width, **kw)

    def text(self):
        head = (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                f'width="{fmt(self.width)}" height="{fmt(self.height)}" '
                f'viewBox="0 0 {fmt(self.width)} {fmt(self.height)}">\n')
        out = [head, f"<title>{self.title}</title>\n"]
        if self.defs:
            out.append("<defs>\n" + "\n".join(self.defs) + "\n</defs>\n")
        out.append("\n".join(self.body) + "\n</svg>\n")
        return "".join(out)


# --- shapes shared by several pictures -------------------------------------

def heart_path(cx, cy, s):
    """A heart of width about 2*s centred on (cx, cy)."""
    p = lambda x, y: f"{fmt(cx + x * s)} {fmt(cy + y * s)}"
    return (f"M{p(0, 0.95)}C{p(-0.35, 0.6)} {p(-1, 0.25)} {p(-1, -0.3)}"
            f"C{p(-1, -0.8)} {p(-0.35, -1)} {p(0, -0.5)}"
            f"C{p(0.35, -1)} {p(1, -0.8)} {p(1, -0.3)}"
            f"C{p(1, 0.25)} {p(0.35, 0.6)} {p(0, 0.95)}Z")


def heart(svg, cx, cy, s, width=LINE):
    svg.path(heart_path(cx, cy, s), fill=svg.ball(HEART, cx, cy, s), width=width)
    svg.ellipse(cx - s * 0.45, cy - s * 0.35, s * 0.22, s * 0.13, WHITE, width=0, opacity=0.7,
                transform=f"rotate(-35 {fmt(cx - s * 0.45)} {fmt(cy - s * 0.35)})")


def bubble_path(x, y, w, h, r, tail):
    """Rounded speech bubble; tail is 'bl' or 'br' (bottom left / right)."""
    x2, y2 = x + w, y + h
    if tail == "bl":
        t = f"L{fmt(x + w * 0.42)} {fmt(y2)}L{fmt(x + w * 0.12)} {fmt(y2 + h * 0.38)}L{fmt(x + w * 0.2)} {fmt(y2)}"
    else:
        t = f"L{fmt(x + w * 0.8)} {fmt(y2)}L{fmt(x + w * 0.88)} {fmt(y2 + h * 0.38)}L{fmt(x + w * 0.58)} {fmt(y2)}"
    return (f"M{fmt(x + r)} {fmt(y)}H{fmt(x2 - r)}Q{fmt(x2)} {fmt(y)} {fmt(x2)} {fmt(y + r)}"
            f"V{fmt(y2 - r)}Q{fmt(x2)} {fmt(y2)} {fmt(x2 - r)} {fmt(y2)}{t}"
            f"H{fmt(x + r)}Q{fmt(x)} {fmt(y2)} {fmt(x)} {fmt(y2 - r)}V{fmt(y + r)}Q{fmt(x)} {fmt(y)} {fmt(x + r)} {fmt(y)}Z")


def bubble(svg, x, y, w, h, palette, tail="bl", width=LINE):
    r = min(w, h) * 0.42
    svg.path(bubble_path(x, y, w, h, r, tail), fill=svg.slab(palette, 0, y, 0, y + h * 1.3), width=width)
    svg.path(f"M{fmt(x + r * 0.7)} {fmt(y + h * 0.28)}Q{fmt(x + r * 0.8)} {fmt(y + h * 0.12)} {fmt(x + r * 1.6)} {fmt(y + h * 0.12)}",
             stroke=WHITE, width=max(width, h * 0.08), opacity=0.75)


def envelope(svg, x, y, w, h, width=LINE, flap_open=False):
    """Closed (or opened) letter envelope with its top-left corner at (x, y)."""
    paper = svg.slab(PAPER, 0, y, 0, y + h)
    svg.rect(x, y, w, h, h * 0.12, paper, width=width)
    cx = x + w / 2
    if flap_open:
        svg.path(f"M{fmt(x)} {fmt(y + h)}L{fmt(cx)} {fmt(y + h * 0.45)}L{fmt(x + w)} {fmt(y + h)}",
                 width=width * 0.8)
    else:
        svg.path(f"M{fmt(x + w * 0.02)} {fmt(y + h * 0.06)}L{fmt(cx)} {fmt(y + h * 0.6)}L{fmt(x + w * 0.98)} {fmt(y + h * 0.06)}",
                 fill=svg.slab(PAPER, 0, y, 0, y + h * 0.7), width=width * 0.8)
        heart(svg, cx, y + h * 0.6, h * 0.15, width=width * 0.6)


def smiley_head(svg, cx, cy, r, palette=FACE, width=LINE, mouth=True):
    """Small friendly face used inside program pictures."""
    svg.circle(cx, cy, r, svg.ball(palette, cx, cy, r), width=width)
    svg.ellipse(cx - r * 0.33, cy - r * 0.2, r * 0.11, r * 0.18, OUTLINE, width=0)
    svg.ellipse(cx + r * 0.33, cy - r * 0.2, r * 0.11, r * 0.18, OUTLINE, width=0)
    if mouth:
        svg.path(f"M{fmt(cx - r * 0.45)} {fmt(cy + r * 0.25)}Q{fmt(cx)} {fmt(cy + r * 0.7)} {fmt(cx + r * 0.45)} {fmt(cy + r * 0.25)}",
                 width=max(width * 0.8, r * 0.1))


def rot(x, y, cx, cy, deg):
    a = math.radians(deg)
    dx, dy = x - cx, y - cy
    return cx + dx * math.cos(a) - dy * math.sin(a), cy + dx * math.sin(a) + dy * math.cos(a)
