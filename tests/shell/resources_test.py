#!/usr/bin/python3
"""What the resource compiler or the build could get wrong in tarvix-vantor.exe, not a second
copy of its resource script: the dialogs' styles, fonts, class and IDs, no control outside its
dialog or over another, the texts' line ends and build stamp, the icon group, the language and no
other resource; and the DPI calls looked up by name. Given the console program too,
that both start on Windows XP SP3: they declare Windows 5.1 and import only names checked against
what XP SP3 exports, in ../data/xp-sp3/DLL.txt. resources_test.py PROGRAM [CONSOLE-PROGRAM]"""
import os
import re
import struct
import subprocess
import sys
import time
from pathlib import Path

import pefile

path = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def sz_or_ord(data, at):
    """A name or ordinal of a template: 0xFFFF and a number, or a zero-ended string."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def template(data):
    """(dialog, controls) of an extended dialog template, as tuples of plain values."""
    ver, sig, help_id, ex, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data)
    menu, at = sz_or_ord(data, 26)
    cls, at = sz_or_ord(data, at)
    title, at = sz_or_ord(data, at)
    points, weight, italic, charset = struct.unpack_from("<HHBB", data, at)
    face, at = sz_or_ord(data, at + 6)
    dialog = (ver, sig, help_id, ex, style, (x, y, cx, cy), menu, cls, title,
              (points, weight, italic, charset, face))
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        help_id, ex, style, x, y, cx, cy, cid = struct.unpack_from("<IIIhhhhI", data, at)
        cls, at = sz_or_ord(data, at + 24)
        text, at = sz_or_ord(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        controls.append((cid, {0x80: "BUTTON", 0x82: "STATIC"}.get(cls, cls), text,
                         (x, y, cx, cy), style, help_id, ex, extra))
    return dialog, controls


def box_lines(data, caption, size, where):
    """The lines of a Help or About box's text, which ends each with CR LF."""
    dialog, controls = template(data)
    check(dialog == (1, 0xFFFF, 0, 0, 0x90C820C4, (6, 18) + size, "", "", caption,
                     (10, 400, 0, 1, "Tahoma")), f"box {caption}: {dialog}")
    check(len(controls) == 1 and controls[0][:2] == (4001, "STATIC") and
          controls[0][3:8] == (where, 0x50020000, 0, 0, 0), f"{caption}: its text control")
    text = controls[0][2] if controls else ""
    check(text.endswith("\r\n") and "\n" not in text.replace("\r\n", ""), f"{caption}: CRLF")
    return text[:-2].split("\r\n")


pe = pefile.PE(path)
resources, languages = {}, set()
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    for name in kind.directory.entries:
        for lang in name.directory.entries:
            languages.add(lang.id)
            raw = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            resources.setdefault(kind.id, {})[name.id] = raw
check(languages == {1033}, f"languages {languages}")
check(set(resources) == {3, 5, 14}, f"types {set(resources)}")  # icons, dialogs, icon groups
dialogs = resources[5]
check(set(dialogs) == {1001, 1002, 1003}, "templates 1001, 1002, 1003")

dialog, controls = template(dialogs[1001])
check(dialog == (1, 0xFFFF, 0, 0, 0x10CA02CC, (6, 18, 266, 170), "", "TarvixClass",
                 "Tarvix-Vantor", (10, 400, 0, 1, "MS Shell Dlg")), f"dialog 1001 {dialog}")
check(sorted(c[0] for c in controls) == list(range(4001, 4063)), "IDs 4001 to 4062, once each")
styles = {"BUTTON": (0x50010000, 0x58010000), "STATIC": (0x5082000C, 0x5882000C, 0x58020000)}
for cid, cls, text, (x, y, cx, cy), style, *rest in controls:
    check(style in styles.get(cls, ()) and rest == [0, 0, 0], f"control {cid}: {cls} {style:#x}")
    check(x >= 0 and y >= 0 and x + cx <= 266 and y + cy <= 170, f"control {cid} outside")
    for other, _, _, (x2, y2, cx2, cy2), *_ in controls:
        check(other == cid or x + cx <= x2 or x2 + cx2 <= x or y + cy <= y2 or y2 + cy2 <= y,
              f"controls {cid} and {other} overlap")
web = [c[2] for c in controls if c[0] == 4001]
check(web and re.fullmatch(r" \S+\.example", web[0]), f"web label {web}")

lines = box_lines(dialogs[1002], "Tarvix-Help", (270, 210), (4, 4, 260, 204))
check(len(lines) == 15, f"help: {len(lines)} lines")
# The stamp is the day of SOURCE_DATE_EPOCH, or of the last commit: never the build's own day.
if "SOURCE_DATE_EPOCH" in os.environ:
    stamp = time.strftime("%d%m%y", time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"])))
else:
    stamp = subprocess.run(["git", "log", "-1", "--format=%cd", "--date=format-local:%d%m%y"],
                           capture_output=True, text=True, env={"TZ": "UTC"}).stdout.strip()
lines = box_lines(dialogs[1003], "About Tarvix", (186, 90), (12, 8, 156, 68))
check(re.fullmatch(f" {{17}}Tarvix-Vantor\n {{22}}\\({stamp or '[0-9]{6}'}\\)\n\n {{14}}\\S+\\.example"
                   "\n\n {14}\\S+@\\S+\\.example\n ", "\n".join(lines)), f"about: {lines}")

group = resources[14][802]
entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(group[4])]
sizes = [(e[0] or 256, e[5]) for e in entries]
images = [resources[3].get(e[7], b"") for e in entries]
check(group[:6] == b"\0\0\1\0\7\0" and sizes == [(16, 8), (16, 8), (32, 8), (32, 8), (48, 8),
                                                 (48, 24), (256, 32)], f"icon group {sizes}")
check(images[1] == images[0] and images[3] == images[2], "images 2 and 4 copy images 1 and 3")
check(all(struct.unpack_from("<IiiHH", image) == (40, size, 2 * size, 1, bits)
          for (size, bits), image in zip(sizes[:6], images)), "bitmaps with their masks")
check(images[-1][:8] == b"\x89PNG\r\n\x1a\n" and
      struct.unpack_from(">IIBB", images[-1], 16) == (256, 256, 8, 6), "256 x 256 RGBA PNG")

# Looked up, not imported (which the release's import lists hold), the DPI calls let a system
# that lacks them start the program.
for name in (b"SetProcessDpiAwarenessContext", b"SetProcessDPIAware"):
    check(b"\0" + name + b"\0" in pe.get_memory_mapped_image(), f"{name} not looked up")
for program in sys.argv[2:] and sys.argv[1:]:
    h = (pe := pefile.PE(program)).OPTIONAL_HEADER
    check((h.MajorOperatingSystemVersion, h.MinorOperatingSystemVersion, h.MajorSubsystemVersion,
           h.MinorSubsystemVersion) == (5, 1, 5, 1), f"{program}: not for Windows 5.1")
    for d in pe.DIRECTORY_ENTRY_IMPORT:
        listed = Path(__file__).parents[1] / f"data/xp-sp3/{d.dll[:-4].decode().lower()}.txt"
        known = listed.read_text().split("\n") if listed.exists() else []
        failures += [f"{program}: {(i.name or b'#%d' % i.ordinal).decode()} is not on {listed}"
                     for i in d.imports if not i.name or i.name.decode() not in known]
print("\n".join(failures))
sys.exit(1 if failures else 0)
