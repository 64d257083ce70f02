"""Program pictures: icons, strips, dialog pictures and the "Sending ..." animation."""

from svgkit import (BLUE, FACE, GREEN, GREY, LINE, LINE_SMALL, ORANGE, OUTLINE, PAPER, WHITE, Svg, bubble,
                    envelope, fmt, heart, smiley_head)


def program_icon_body(svg, width=LINE_SMALL):
    """Two speech bubbles, the program's mark, drawn on a 32 x 32 grid."""
    bubble(svg, 12, 3.5, 18.5, 13, FACE, tail="br", width=width)
    bubble(svg, 1.5, 9, 22.5, 15, BLUE, tail="bl", width=width)
    for x in (7.5, 12.75, 18):
        svg.circle(x, 16.5, 1.9, WHITE, width=width * 0.8)


def program_icon(width=LINE_SMALL):
    """The program's icon; small renderings get a bolder outline so the shapes stay apart."""
    svg = Svg(32, 32, "Quibo32")
    program_icon_body(svg, width)
    return svg


def channel_icon():
    svg = Svg(32, 32, "Chat channel")
    bubble(svg, 9, 1.5, 16, 10, BLUE, tail="bl", width=LINE_SMALL)
    for x in (13.5, 17, 20.5):
        svg.circle(x, 6.5, 1.2, WHITE, width=0)
    smiley_head(svg, 7, 22, 5.5, palette=GREEN, width=LINE_SMALL)
    smiley_head(svg, 25, 22, 5.5, palette=ORANGE, width=LINE_SMALL)
    smiley_head(svg, 16, 24, 6.5, width=LINE_SMALL)
    return svg


def message_box_icon():
    svg = Svg(32, 32, "Message")
    bubble(svg, 2, 2, 28, 21, FACE, tail="bl", width=LINE_SMALL)
    svg.path("M14.3 6.5H17.7L17 15.5H15Z", fill=OUTLINE, width=1)
    svg.circle(16, 18.8, 1.8, OUTLINE, width=0)
    return svg


def online_offline_strip():
    """Image 0 online, image 1 offline, 16 px each. No pure black: lists may use it as the mask colour."""
    svg = Svg(32, 16, "Online / offline")
    smiley_head(svg, 8, 8, 6.6, palette=GREEN, width=1)
    svg.circle(24, 8, 6.6, svg.ball(GREY, 24, 8, 6.6), width=1)
    svg.path("M20.6 6.8H22.9M25.1 6.8H27.4", width=1.1)  # closed eyes
    svg.path("M21.8 10.9H26.2", width=1.1)
    return svg


def channel_list_strip():
    """64 x 16 strip; the channel list uses its 1-px-wide first image as a soft marker."""
    svg = Svg(64, 16, "Channel list")
    svg.rect(0, 0, 64, 16, 0, svg.linear([(0, "#a9cdf5"), (0.06, "#dbeafc"), (1, ("#ffffff", 0.0))], 0, 0, 64, 0),
             width=0)
    svg.rect(0, 0, 64, 16, 0, svg.linear([(0, ("#ffffff", 0.35)), (0.5, ("#ffffff", 0.0)), (1, ("#5a8fd0", 0.12))],
                                         0, 0, 0, 16), width=0)
    return svg


def startup_picture():
    svg = Svg(120, 90, "Welcome")
    svg.rect(1.5, 1.5, 117, 87, 10, svg.linear([(0, "#e8f5ff"), (1, "#a8d2fa")], 0, 0, 0, 90))
    # rolling hills
    svg.path("M2.5 70Q30 56 60 68Q90 58 117.5 66V78.5Q117.5 87.5 108.5 87.5H11.5Q2.5 87.5 2.5 78.5Z",
             fill=svg.linear([(0, "#b8ef9a"), (1, "#5fbf4a")], 0, 58, 0, 88), width=0)
    # the link between two friends
    svg.path("M30 52Q60 28 90 52", stroke="#2e6fc4", width=1.6, stroke_dasharray="3 3")
    smiley_head(svg, 24, 66, 13)
    smiley_head(svg, 96, 66, 13, palette=GREEN)
    bubble(svg, 8, 9, 40, 24, BLUE, tail="br")
    for x in (18, 28, 38):
        svg.circle(x, 21, 2.6, WHITE, width=1.4)
    bubble(svg, 72, 11, 38, 24, FACE, tail="bl")
    heart(svg, 91, 22.5, 6.5, width=1.6)
    return svg


def message_picture():
    svg = Svg(48, 48, "Message")
    # the letter half out of the open envelope
    svg.rect(8.5, 4, 31, 30, 3, svg.slab(("#ffffff", "#ffffff", "#f0ece0"), 0, 4, 0, 34))
    for y, w in ((11, 22), (16, 22), (21, 15)):
        svg.line(13, y, 13 + w, y, stroke="#7aa7d8", width=2)
    envelope_front(svg, 3, 22, 42, 22)
    return svg


def envelope_front(svg, x, y, w, h, width=LINE):
    """Front of an opened envelope: pocket with two side folds."""
    svg.path(f"M{fmt(x)} {fmt(y)}L{fmt(x + w / 2)} {fmt(y + h * 0.55)}L{fmt(x + w)} {fmt(y)}"
             f"V{fmt(y + h - 3)}Q{fmt(x + w)} {fmt(y + h)} {fmt(x + w - 3)} {fmt(y + h)}"
             f"H{fmt(x + 3)}Q{fmt(x)} {fmt(y + h)} {fmt(x)} {fmt(y + h - 3)}Z",
             fill=svg.slab(PAPER, 0, y, 0, y + h), width=width)
    svg.path(f"M{fmt(x + 1)} {fmt(y + h - 1)}L{fmt(x + w * 0.4)} {fmt(y + h * 0.45)}"
             f"M{fmt(x + w - 1)} {fmt(y + h - 1)}L{fmt(x + w * 0.6)} {fmt(y + h * 0.45)}", width=width * 0.7)
    heart(svg, x + w / 2, y + h * 0.55, h * 0.16, width=width * 0.7)


def sending_small():
    svg = Svg(24, 24, "Sending")
    envelope(svg, 1.5, 5.5, 16, 11.5, width=LINE_SMALL)
    svg.path("M14 15.5H20.5L18.5 13M20.5 15.5L18.5 18", stroke="#2f8f2a", width=2.2)
    return svg


def wing(svg, x, y, up, width):
    """A small feathered wing rooted at (x, y), raised or lowered, pointing back (left)."""
    svg.group(transform=f"translate({fmt(x)} {fmt(y)}) rotate({15 if up else -55})")
    svg.path("M1 1C-1-6-6-11-14-12Q-13.5-9-11.5-8.5Q-12.5-5.5-9-5Q-9.5-2-6-2Q-5.5 1-2 1Z",
             fill=svg.slab(("#ffffff", "#ffffff", "#cfe6fd"), 0, -12, 0, 2), width=width)
    svg.path("M-4-3.5Q-7-6-10.5-8.5", width=width * 0.6)
    svg.end()


def sending_frame(step):
    """Frame 1..5: the winged envelope takes off and flies out at the top right."""
    x, y, scale, tilt, up, trail = [(8, 13, 1.0, 0, True, 0), (13, 11, 0.95, -8, False, 2), (20, 8.5, 0.85, -14, True, 3),
                                    (28, 6, 0.7, -18, False, 3), (37, 3.5, 0.5, -22, True, 3)][step - 1]
    svg = Svg(48, 32, f"Sending {step}")
    for k in range(trail):  # speed lines behind the envelope
        ly = y + 5 + k * 4
        svg.line(x - 12 + k * 2, ly + 6 - k, x - 4 + k, ly + 4 - k, stroke="#6aa6e8", width=1.4)
    if step == 5:  # a puff where it was
        for cx, cy, r in ((12, 24, 3.2), (17, 26, 2.6), (8, 27, 2.2)):
            svg.circle(cx, cy, r, "#eef5fd", stroke="#9dc3ec", width=1)
    svg.group(transform=f"translate({fmt(x)} {fmt(y)}) rotate({fmt(tilt)}) scale({fmt(scale)})")
    wing(svg, 10, 3, up, 1.2)
    envelope(svg, 0, 0, 22, 15, width=1.5)
    svg.end()
    return svg


def contacts_picture():
    svg = Svg(64, 64, "Manage contacts")
    # address book: cover, pages, rings
    svg.rect(8, 4, 46, 56, 5, svg.slab(BLUE, 0, 4, 0, 60))
    svg.rect(13, 7, 38, 50, 3, svg.slab(("#ffffff", "#fffdf6", "#efe7d2"), 0, 7, 0, 57))
    for y in (14, 26, 38, 50):
        svg.rect(5, y - 2, 9, 4, 2, svg.slab(GREY, 0, y - 2, 0, y + 2), width=1.4)
    smiley_head(svg, 32, 23, 9)
    svg.path("M21 44Q32 32 43 44", fill=svg.slab(BLUE, 0, 34, 0, 44), width=LINE)
    for y, w in ((49.5, 20),):
        svg.line(22, y, 22 + w, y, stroke="#9bb8d8", width=2)
    # add / remove badges
    svg.circle(52, 50, 8.5, svg.ball(GREEN, 52, 50, 8.5))
    svg.path("M52 45.5V54.5M47.5 50H56.5", stroke=WHITE, width=2.6)
    return svg


def registration_picture():
    svg = Svg(96, 96, "Registration")
    # ID card
    svg.rect(5, 16, 82, 58, 7, svg.slab(("#ffffff", "#fffdf6", "#eee5cd"), 0, 16, 0, 74))
    svg.path("M5 30V23Q5 16 12 16H80Q87 16 87 23V30Z", fill=svg.slab(BLUE, 0, 16, 0, 30))
    for x in (14, 20, 26):
        svg.circle(x, 23, 2, WHITE, width=0)
    svg.rect(12, 36, 26, 30, 3, svg.linear([(0, "#e8f5ff"), (1, "#bfe0fc")], 0, 36, 0, 66))
    smiley_head(svg, 25, 50, 9.5)
    for y, w in ((41, 36), (49, 30), (57, 24)):
        svg.line(45, y, 45 + w, y, stroke="#9bb8d8", width=3)
    # pencil writing on the card
    svg.group(transform="translate(70 70) rotate(-45)")
    svg.rect(-4.5, -30, 9, 8, 2, "#ff9aaa", width=LINE)
    svg.rect(-4.5, -23, 9, 4, 0, svg.slab(GREY, -4.5, 0, 4.5, 0))
    svg.rect(-4.5, -19, 9, 19, 0, svg.linear([(0, "#ffe27a"), (0.5, "#ffc928"), (1, "#e69b00")], -4.5, 0, 4.5, 0))
    svg.path("M-4.5 0L0 10L4.5 0Z", fill="#f4d6a8")
    svg.path("M-1.6 6.4L0 10L1.6 6.4Z", fill=OUTLINE, width=1)
    svg.end()
    return svg


def banner():
    """400 x 40 banner that the directory server hands out; rendered to PNG, so text is allowed."""
    svg = Svg(400, 40, "Quibo32 banner")
    svg.rect(0.75, 0.75, 398.5, 38.5, 6, svg.linear([(0, "#5fb0f5"), (1, "#2a66b8")], 0, 0, 0, 40), width=1.5)
    svg.path("M8 8Q200 -2 392 8", stroke=WHITE, width=3, opacity=0.3)
    svg.group(transform="translate(6 4)")
    program_icon_body(svg)
    svg.end()
    svg.body.append('<text x="44" y="27" font-family="DejaVu Sans" font-weight="bold" font-size="21" fill="#ffffff" '
                    'stroke="#1d4f94" stroke-width="0.6">Quibo32</text>')
    svg.body.append('<text x="152" y="18" font-family="DejaVu Sans" font-size="12" fill="#ffffff">'
                    'Chat, smileys &amp; sounds</text>')
    svg.body.append('<text x="152" y="32" font-family="DejaVu Sans" font-size="10.5" fill="#dcecff">'
                    'straight from friend to friend</text>')
    for i, pal in enumerate((FACE, GREEN, ORANGE)):
        smiley_head(svg, 348 + i * 17, 20, 7.5, palette=pal, width=1.3)
    return svg


def background_tile():
    """Quiet 96 x 96 tile for the personal pages: pale bubbles on the pages' grey."""
    svg = Svg(96, 96, "Background")
    svg.rect(0, 0, 96, 96, 0, "#f5f5f5", width=0)
    for x, y, w, h, tail in ((8, 10, 26, 16, "bl"), (56, 48, 28, 17, "br"), (14, 64, 18, 12, "br"), (62, 8, 16, 11, "bl")):
        svg.add("path", d=_bubble_d(x, y, w, h, tail), fill="#ebeff5", stroke="#dfe5ee", stroke_width=1.2)
    return svg


def _bubble_d(x, y, w, h, tail):
    from svgkit import bubble_path
    return bubble_path(x, y, w, h, min(w, h) * 0.42, tail)


def all_program_pictures():
    out = {128: program_icon(), 214: channel_icon(), 215: message_box_icon(), 137: online_offline_strip(),
           143: channel_list_strip(), 155: startup_picture(), 156: message_picture(), 157: sending_small(),
           172: contacts_picture(), 1000: registration_picture()}
    for step, pid in enumerate(range(194, 199), start=1):
        out[pid] = sending_frame(step)
    return out
