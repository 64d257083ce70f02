"""Writes every picture as SVG: the id pictures compiled into the program, the
freedesktop icon, and the web pictures' sources (rasterised by generate.sh)."""

import os
import sys

import faces
import program


def write(path, svg):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(svg.text())


def main(resources, work):
    pictures = {**faces.all_faces(), **program.all_program_pictures()}
    for pid, svg in sorted(pictures.items()):
        write(os.path.join(resources, "pictures", f"{pid}.svg"), svg)
    write(os.path.join(resources, "icons", "hicolor", "scalable", "apps", "quibo32.svg"), program.program_icon())
    write(os.path.join(work, "icon-small.svg"), program.program_icon(width=1.8))
    write(os.path.join(work, "banner.svg"), program.banner())
    write(os.path.join(work, "bg.svg"), program.background_tile())


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
