#!/usr/bin/python3
"""The release archive, packed twice from one build: into two folders, from copies of the
programs with other file times and in another time zone, it has the same bytes. It holds the two
programs and the read-me (CR LF) in that order, with the date of SOURCE_DATE_EPOCH and fixed
permissions, and SHA256SUMS matches it.
    release_test.py RELEASE GUI CLI VERSION"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

release, gui, cli, version = sys.argv[1:]
failures = []
with tempfile.TemporaryDirectory() as tmp:
    copies = [shutil.copy(p, tmp) for p in (gui, cli)]
    for p in copies:
        os.utime(p, (1e9, 1e9))
    packs = []
    for out, programs, zone in (("one", (gui, cli), "UTC"), ("two", copies, "Asia/Tokyo")):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000", TZ=zone)
        subprocess.run([release, "--pack", f"{tmp}/{out}", *programs], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        packs.append(Path(tmp, out, f"tarvix-vantor-{version}-win32.zip").read_bytes())
    if packs[0] != packs[1]:
        failures.append("two packs of one build differ")
    with zipfile.ZipFile(Path(tmp, "one", f"tarvix-vantor-{version}-win32.zip")) as z:
        got = [(i.filename, i.external_attr >> 16, i.date_time) for i in z.infolist()]
        when = (2023, 11, 14, 22, 13, 20)
        want = [("tarvix-vantor.exe", 0o100755, when), ("tarvix-vantor-cli.exe", 0o100755, when),
                ("README.txt", 0o100644, when)]
        if got != want:
            failures.append(f"listing {got}")
        programs = [z.read(n) for n in ("tarvix-vantor.exe", "tarvix-vantor-cli.exe")]
        if programs != [Path(p).read_bytes() for p in (gui, cli)]:
            failures.append("the programs packed are not those built")
        text = z.read("README.txt").decode("utf-8-sig")
        if text.count("\n") != text.count("\r\n") or f" {version} " not in text or "@COMMIT@" in text:
            failures.append("the read-me: CR LF line ends, the version, no placeholder left")
    sums = Path(tmp, "one", "SHA256SUMS").read_text().splitlines()
    named = zip([f"tarvix-vantor-{version}-win32.zip", "tarvix-vantor.exe", "tarvix-vantor-cli.exe"],
                [packs[0]] + programs)
    if sums != [f"{hashlib.sha256(data).hexdigest()}  {name}" for name, data in named]:
        failures.append(f"SHA256SUMS {sums}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
