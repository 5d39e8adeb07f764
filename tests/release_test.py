#!/usr/bin/python3
"""The release as tools/release packs it from the build trees. Packed twice, in two time zones
under two umasks, it has the same bytes. Each archive and package holds its programs as built
and its texts, with the commit's date (SOURCE_DATE_EPOCH), fixed modes and root as owner; each
package passes lintian and unpacks under a scratch root; the source archive is the commit's;
SHA256SUMS covers every file and every program. Skipped until every build tree is there.
    release_test.py"""
import gzip
import hashlib
import io
import os
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from importlib.machinery import SourceFileLoader
from importlib.util import module_from_spec, spec_from_loader
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
loader = SourceFileLoader("release", str(ROOT / "tools" / "release"))
release = module_from_spec(spec_from_loader("release", loader))
loader.exec_module(release)
WHEN, V = 1700000000, release.version()
trees = [ROOT / f"build-{t[0]}" for t in release.targets()] + [ROOT / "build-web"]
if not all(t.exists() for t in trees):
    print("NOTICE: skipped: build every preset of tools/targets.txt and web first (tools/check"
          " does)")
    sys.exit(77)


def listing(path, scratch):
    """{name: (mode, bytes)} of an archive or package, and for archives (mtime, owner) too."""
    if path.suffix == ".zip":
        with zipfile.ZipFile(path) as z:
            return {i.filename: (i.external_attr >> 16 & 0o777, z.read(i), i.date_time, "")
                    for i in z.infolist()}
    if path.suffix == ".deb":  # unpacked as a user would, under a scratch root
        root = Path(scratch, path.stem)
        subprocess.run(["dpkg-deb", "-x", path, root], check=True)
        return {str(f.relative_to(root)): (f.stat().st_mode & 0o777, f.read_bytes(), None, None)
                for f in root.rglob("*") if f.is_file()}
    with tarfile.open(path) as t:
        return {i.name: (i.mode, t.extractfile(i).read(), i.mtime, (i.uid, i.gid, i.uname,
                i.gname)) for i in t.getmembers() if i.isfile()}


def crlf(name):
    return b"\xef\xbb\xbf" + (ROOT / name).read_bytes().replace(b"\n", b"\r\n")


failures = []
with tempfile.TemporaryDirectory() as tmp:
    for out, zone, mask in (("one", "UTC", 0o022), ("two", "Asia/Tokyo", 0o077)):
        env = dict(os.environ, SOURCE_DATE_EPOCH=str(WHEN), TZ=zone)
        subprocess.run([ROOT / "tools" / "release", "--pack", f"{tmp}/{out}"], env=env, check=True,
                       stdout=subprocess.DEVNULL, preexec_fn=lambda: os.umask(mask))
    dist = {f.name: f.read_bytes() for f in Path(tmp, "one").iterdir()}
    if dist != {f.name: f.read_bytes() for f in Path(tmp, "two").iterdir()}:
        failures.append("two packs differ")

    # What each archive and package must hold: {name: (mode, bytes or None to leave unread)}.
    texts = {"LICENSE": (0o644, (ROOT / "LICENSE").read_bytes()),
             "THIRD-PARTY-NOTICES": (0o644, (ROOT / "THIRD-PARTY-NOTICES").read_bytes())}
    app = ROOT / "build-web" / "web" / f"tarvix-vantor-{V}-web"
    expected = {f"tarvix-vantor-{V}-web.zip": {
        **{f"{app.name}/{f.name}": (0o644, f.read_bytes()) for f in app.iterdir()},
        **{f"{app.name}/{n}.txt": text for n, text in texts.items()}}}
    for preset, _, arch in release.targets():
        tree = ROOT / f"build-{preset}"
        if not arch:
            expected[f"tarvix-vantor-{V}-{preset}.zip"] = {
                "tarvix-vantor.exe": (0o755, (tree / "shell/tarvix-vantor.exe").read_bytes()),
                "tarvix-vantor-cli.exe": (0o755, (tree / "cli/tarvix-vantor-cli.exe").read_bytes()),
                "README.txt": (0o644, None),
                **{f"{n}.txt": (0o644, crlf(n)) for n in texts}}
            continue
        program = (0o755, (tree / "cli/tarvix-vantor-cli").read_bytes())
        manual = (0o644, (tree / "cli/tarvix-vantor-cli.1").read_bytes())
        folder, doc = f"tarvix-vantor-{V}-{preset}/", "usr/share/doc/tarvix-vantor-cli/"
        expected[f"{folder[:-1]}.tar.gz"] = {
            folder + "tarvix-vantor-cli": program, folder + "tarvix-vantor-cli.1": manual,
            folder + "README.md": (0o644, (ROOT / "README.md").read_bytes()),
            **{folder + n: text for n, text in texts.items()}}
        expected[f"tarvix-vantor-cli_{V}_{arch}.deb"] = {
            "usr/bin/tarvix-vantor-cli": program,
            "usr/share/man/man1/tarvix-vantor-cli.1.gz": (0o644, gzip.compress(manual[1])),
            doc + "copyright": (0o644, None), doc + "changelog.gz": (0o644, None),
            doc + "THIRD-PARTY-NOTICES": texts["THIRD-PARTY-NOTICES"],
            "usr/share/lintian/overrides/tarvix-vantor-cli": (0o644, None)}
    source = f"tarvix-vantor-{V}-src.tar.gz"
    tracked = subprocess.run(["git", "ls-tree", "-r", "--name-only", "HEAD"], cwd=ROOT,
                             capture_output=True, text=True).stdout.split()
    inside = {}
    for name, want in expected.items():
        got = listing(Path(tmp, "one", name), tmp)
        inside.update(got)
        plain = lambda d, n: gzip.decompress(d) if n.endswith(".gz") else d
        if {n: (m, d and plain(d, n)) for n, (m, d) in want.items()} != {
                n: (m, want.get(n, (0, 0))[1] and plain(d, n)) for n, (m, d, _, _) in got.items()}:
            failures.append(f"{name} holds {[(n, oct(m)) for n, (m, _, _, _) in got.items()]}")
        stamps = {(w, o) for _, _, w, o in got.values()}
        if stamps - {((2023, 11, 14, 22, 13, 20), ""), (WHEN, (0, 0, "root", "root")),
                     (None, None)}:
            failures.append(f"{name}: dates and owners {stamps}")
    if tracked and sorted(listing(Path(tmp, "one", source), tmp)) != [
            f"tarvix-vantor-{V}/{f}" for f in sorted(tracked)]:
        failures.append(f"{source} is not the commit's tree")
    lint = subprocess.run(["lintian", "--fail-on", "error,warning", *[
        Path(tmp, "one", n) for n in expected if n.endswith(".deb")]], capture_output=True,
        text=True)
    if lint.returncode != 0:
        failures.append(f"lintian: {lint.stdout}{lint.stderr}")

    # Every file of the release and every program in its archives, by its sum.
    sums = dict(line.split("  ")[::-1] for line in dist["SHA256SUMS"].decode().splitlines())
    content = {**dist, **{n: d for n, (_, d, _, _) in inside.items()}}
    programs = {n for a, want in expected.items() if a[-4:] != ".deb" for n, (m, _) in want.items()
                if m == 0o755}
    if set(sums) != set(dist) - {"SHA256SUMS"} | programs or any(
            hashlib.sha256(content.get(n, b"")).hexdigest() != s for n, s in sums.items()):
        failures.append(f"SHA256SUMS: {sums}")
print("\n".join(failures))
sys.exit(1 if failures else 0)
