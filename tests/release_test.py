#!/usr/bin/python3
"""The release archive, packed twice from one build into two folders in two time zones, has the
same bytes. It holds the two programs and the read-me (CR LF) in that order, dated from
SOURCE_DATE_EPOCH, not from the files, with fixed permissions; SHA256SUMS matches it.
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
    archive, again = (Path(tmp, out, name).read_bytes() for out in ("one", "two"))
    with zipfile.ZipFile(Path(tmp, "one", name)) as z:
        got = [(i.filename, i.external_attr >> 16, i.date_time, z.read(i)) for i in z.infolist()]
    sums = Path(tmp, "one", "SHA256SUMS").read_text()
programs = [Path(p).read_bytes() for p in (gui, cli)]
readme = got[-1][3].decode("utf-8-sig")
checks = {
    "two packs of one build differ": archive == again,
    f"listing {[g[:3] for g in got]}": [g[:3] for g in got] == [
        ("tarvix-vantor.exe", 0o100755, when), ("tarvix-vantor-cli.exe", 0o100755, when),
        ("README.txt", 0o100644, when)] and [g[3] for g in got[:2]] == programs,
    "read-me: CR LF, the version": readme.count("\n") == readme.count("\r\n") and
    f" {version} " in readme and "@COMMIT@" not in readme,
    "SHA256SUMS": sums == "".join(f"{hashlib.sha256(data).hexdigest()}  {n}\n" for n, data in zip(
        [name, "tarvix-vantor.exe", "tarvix-vantor-cli.exe"], [archive] + programs)),
}
for failure in [what for what, ok in checks.items() if not ok]:
    print(failure)
sys.exit(0 if all(checks.values()) else 1)
