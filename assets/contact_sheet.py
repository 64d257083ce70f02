"""Contact sheet: every picture and each animation's frames, labelled with their ids.

Usage: contact_sheet.py RESOURCES_DIR WORK_DIR OUT_PNG
Pictures sit on the dialogs' grey (192, 192, 192), as the program shows them.
"""

import os
import subprocess
import sys

DIALOG_GREY = "#c0c0c0"
FONT = "DejaVu-Sans"
BOLD = "DejaVu-Sans-Bold"

SMILEYS = [(151, "Smile"), (149, "Frown"), (202, "AAHHH!"), (169, "Oops!")]
WINK = [(207, "Wink: eyes open"), (150, "Wink: winking")]
KISS = [(206, "Kiss: at rest"), (208, "Kiss: puckered")]
POSSESSED = [(pid, f"Possessed {n}") for n, pid in enumerate([177] + list(range(179, 191)), start=1)]
SENDING = [(pid, f"Sending {n}") for n, pid in enumerate(range(194, 199), start=1)] + [(157, "beside the text")]
ICONS = [(128, "program icon"), (214, "channel icon"), (215, "message box icon"), (137, "online / offline"),
         (143, "channel list")]
PROGRAM = [(155, "start-up"), (156, "message dialogs"), (172, "Manage Contacts"), (1000, "registration")]
ZOOM = {128: 4, 214: 4, 215: 4, 137: 4, 143: 4}
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def run(*args):
    subprocess.run([str(a) for a in args], check=True)


class Sheet:
    def __init__(self, resources, work):
        self.resources, self.work = resources, work
        self.rows = []
        self.n = 0

    def tmp(self, stem):
        self.n += 1
        return os.path.join(self.work, f"{stem}{self.n}.png")

    def render(self, pid, zoom=2):
        out = self.tmp(f"p{pid}-")
        run("rsvg-convert", "-z", zoom, os.path.join(self.resources, "pictures", f"{pid}.svg"), "-o", out)
        return out

    def card(self, png, w, h):
        out = self.tmp("card")
        run("convert", "-background", DIALOG_GREY, png, "-gravity", "center", "-extent", f"{w}x{h}", "-flatten", out)
        return out

    def title(self, text):
        out = self.tmp("title")
        run("convert", "-background", "white", "-fill", "#1d4f94", "-font", BOLD, "-pointsize", 19,
            f"label:{text}", "-gravity", "northwest", "-splice", "12x14", out)
        self.rows.append(out)

    def row(self, items, w, h, per_row):
        """items: (png, label); one montage of equally sized cards."""
        out = self.tmp("row")
        args = ["montage", "-font", FONT, "-pointsize", 13, "-background", "white", "-fill", "#222222"]
        for png, label in items:
            args += ["-label", label, self.card(png, w, h)]
        run(*args, "-tile", f"{per_row}x", "-geometry", f"{w}x{h}+10+6", out)
        self.rows.append(out)

    def pictures(self, entries, w, h, per_row):
        self.row([(self.render(pid, ZOOM.get(pid, 2)), f"{pid}  {name}") for pid, name in entries], w, h, per_row)

    def save(self, out_png):
        run("convert", *self.rows, "-background", "white", "-gravity", "west", "-append",
            "-bordercolor", "white", "-border", "12", "-strip", "-define", "png:exclude-chunks=date,time", out_png)


def main(resources, work, out_png):
    os.makedirs(work, exist_ok=True)
    s = Sheet(resources, work)
    s.title("Smileys (80 x 80 px, shown at 2x)")
    s.pictures(SMILEYS, 180, 180, 4)
    s.title("Wink and Kiss animations: resting frame, then the moving one")
    s.pictures(WINK + KISS, 180, 180, 4)
    s.title("Possessed: 13 frames in playing order (frame 1 holds for 2 s; the laugh starts on frame 9)")
    s.pictures(POSSESSED, 180, 180, 7)
    s.title("\"Sending ...\": 5 frames, 90 ms each, and the small picture (shown at 2x)")
    s.pictures(SENDING, 120, 90, 6)
    s.title("Icons and image lists (shown at 4x)")
    s.pictures(ICONS, 170, 150, 5)
    s.title("Dialog pictures (shown at 2x)")
    s.pictures(PROGRAM, 260, 200, 4)
    s.title("Freedesktop icon, 16 to 256 px (actual size)")
    icons = [(os.path.join(resources, "icons", "hicolor", f"{n}x{n}", "apps", "quibo32.png"), f"{n} px") for n in ICON_SIZES]
    s.row(icons[:-1], 140, 140, 7)
    s.row(icons[-1:], 270, 270, 1)
    s.title("Web: banner (400 x 40) and bg.gif tiled behind the personal pages (actual size)")
    tiled = s.tmp("tiled")
    run("convert", "-size", "480x96", f"tile:{os.path.join(resources, 'install', 'bg.gif')}", tiled)
    s.row([(os.path.join(resources, "web", "banner.png"), "banner.png"), (tiled, "bg.gif")], 500, 110, 2)
    s.save(out_png)


if __name__ == "__main__":
    main(*sys.argv[1:4])
