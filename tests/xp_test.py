#!/usr/bin/python3
"""The release's programs start on Windows XP SP3 and later: each declares Windows 5.1 as the
system and subsystem it needs, and imports from each DLL only names on that DLL's list in
data/xp-sp3/, the names checked against what XP SP3 exports. A name that a change brings in
fails here until someone checks it and adds it to the list.
    xp_test.py PROGRAM..."""
import sys
from pathlib import Path

import pefile

LISTS = Path(__file__).resolve().parent / "data" / "xp-sp3"
failures = []
for program in sys.argv[1:]:
    pe = pefile.PE(program)
    header = pe.OPTIONAL_HEADER
    versions = {"system": (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion),
                "subsystem": (header.MajorSubsystemVersion, header.MinorSubsystemVersion)}
    failures += [f"{program}: {what} version {v}" for what, v in versions.items() if v != (5, 1)]
    for dll in pe.DIRECTORY_ENTRY_IMPORT:
        listed = LISTS / (dll.dll.decode().lower().removesuffix(".dll") + ".txt")
        known = set(listed.read_text().split("\n")) if listed.exists() else set()
        failures += [f"{program}: {dll.dll.decode()}!{i.name.decode() if i.name else i.ordinal}"
                     f" is not on {listed.relative_to(LISTS.parent)}" for i in dll.imports
                     if not i.name or i.name.decode() not in known]
print("\n".join(failures) or f"{len(sys.argv) - 1} programs for XP SP3")
sys.exit(1 if failures else 0)
