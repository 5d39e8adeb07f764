#!/usr/bin/python3
"""The release archive, packed twice from one build into two folders in two time zones, has the
same bytes. It holds the two programs as built and the read-me, in that order, dated from
SOURCE_DATE_EPOCH, not from the files, with fixed permissions; SHA256SUMS holds its checksum.
    release_test.py RELEASE GUI CLI VERSION"""
import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

release, gui, cli, version = sys.argv[1:]
name, when = f"tarvix-vantor-{version}-win32.zip", (2023, 11, 14, 22, 13, 20)
with tempfile.TemporaryDirectory() as tmp:
    for out, zone in (("one", "UTC"), ("two", "Asia/Tokyo")):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000", TZ=zone)
        subprocess.run([release, "--pack", f"{tmp}/{out}", gui, cli], env=env, check=True,
                       stdout=subprocess.DEVNULL)
    archive = Path(tmp, "one", name).read_bytes()
    with zipfile.ZipFile(Path(tmp, "one", name)) as z:
        got = [(i.filename, i.external_attr >> 16, i.date_time, z.read(i)) for i in z.infolist()]
    failures = [what for what, ok in {
        "two packs of one build differ": archive == Path(tmp, "two", name).read_bytes(),
        f"listing {[g[:3] for g in got]}": [g[:3] for g in got] == [
            ("tarvix-vantor.exe", 0o100755, when), ("tarvix-vantor-cli.exe", 0o100755, when),
            ("README.txt", 0o100644, when)],
        "the programs": [g[3] for g in got[:2]] == [Path(p).read_bytes() for p in (gui, cli)],
        "SHA256SUMS": f"{hashlib.sha256(archive).hexdigest()}  {name}\n" in
        Path(tmp, "one", "SHA256SUMS").read_text(),
    }.items() if not ok]
print("\n".join(failures))
sys.exit(1 if failures else 0)
