#!/usr/bin/python3
"""The release that tools/release packs from the build trees, unsigned and twice signed with
throwaway keys (in two time zones, under two umasks): the archives and packages, lintian,
SHA256SUMS, the .buildinfo, and signatures that verify, strip and attach. Skipped before a build."""
import gzip
import hashlib
import os
import runpy
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
release = runpy.run_path(str(ROOT / "tools" / "release"))
WHEN, V, TARGETS = 1700000000, release["version"](), release["targets"]()
if not all((ROOT / f"build-{t[0]}").exists() for t in TARGETS + [["web"]]):
    print("NOTICE: skipped: build the presets of tools/targets.txt and web first (tools/check)")
    sys.exit(77)


def listing(path, scratch):
    """{name: (mode, bytes)} of a package unpacked under scratch, or of an archive, whose entries
    must have the commit's date and, in a tar, root as owner: the mode of one that has not is -1."""
    if path.suffix == ".deb":
        root = Path(scratch, path.stem)
        subprocess.run(["dpkg-deb", "-x", path, root], check=True)
        return {str(f.relative_to(root)): (f.stat().st_mode & 0o777, f.read_bytes())
                for f in root.rglob("*") if f.is_file()}
    if path.suffix == ".zip":
        with zipfile.ZipFile(path) as z:
            return {i.filename: (i.external_attr >> 16 & 0o777 if i.date_time == (
                2023, 11, 14, 22, 13, 20) else -1, z.read(i)) for i in z.infolist()}
    with tarfile.open(path) as t:
        return {i.name: (i.mode if (i.mtime, i.uid, i.gid, i.uname, i.gname) == (
            WHEN, 0, 0, "root", "root") else -1, t.extractfile(i).read()) for i in t.getmembers()
            if i.isfile()}


def run(*command, **options):
    return subprocess.run(command, capture_output=True, **options)


def check(ok, what):
    if not ok:
        failures.append(what)


failures = []
keys = Path((tmp := tempfile.TemporaryDirectory()).name)  # removed as the test ends
run("minisign", "-G", "-W", "-p", keys / "pub", "-s", keys / "sec", check=True)
run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", keys / "key", "-out",
    keys / "cert", "-days", "2", "-subj", "/CN=Tarvix-Vantor test", check=True)
signing = ["--minisign-key", keys / "sec", "--authenticode-cert", keys / "cert",
           "--authenticode-key", keys / "key"]
packs = {}
for out, zone, mask, sign in (("plain", "UTC", 0o022, []), ("signed", "UTC", 0o022, signing),
                              ("again", "Asia/Tokyo", 0o077, signing)):
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(WHEN), TZ=zone)
    run(ROOT / "tools" / "release", "--pack", Path(tmp.name, out), *sign, env=env, check=True,
        preexec_fn=lambda: os.umask(mask))
    packs[out] = {f.name: f.read_bytes() for f in Path(tmp.name, out).iterdir()}
dist, signed = packs["plain"], packs["signed"]
check(signed == packs["again"], "two signed packs differ")
check(set(signed) - set(dist) == {"SHA256SUMS.minisig", f"tarvix-vantor-{V}-win32-signatures.zip"},
      f"signed: {sorted(signed)}; unsigned: {sorted(dist)}")

# What each archive and package must hold: {name: (mode, bytes or None to leave unread)}.
texts = {n: (0o644, (ROOT / n).read_bytes()) for n in ("LICENSE", "THIRD-PARTY-NOTICES")}
app = ROOT / "build-web" / "web" / f"tarvix-vantor-{V}-web"
expected = {f"tarvix-vantor-{V}-web.zip": {
    **{f"{app.name}/{f.name}": (0o644, f.read_bytes()) for f in app.iterdir()},
    **{f"{app.name}/{n}.txt": text for n, text in texts.items()}}}
for preset, _, arch in TARGETS:
    tree = ROOT / f"build-{preset}"
    if not arch:
        expected[f"tarvix-vantor-{V}-{preset}.zip"] = {
            "tarvix-vantor.exe": (0o755, (tree / "shell/tarvix-vantor.exe").read_bytes()),
            "tarvix-vantor-cli.exe": (0o755, (tree / "cli/tarvix-vantor-cli.exe").read_bytes()),
            "README.txt": (0o644, None), **{f"{n}.txt": (0o644, b"\xef\xbb\xbf" + d.replace(
                b"\n", b"\r\n")) for n, (_, d) in texts.items()}}
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
inside = {}
for name, want in expected.items():
    got = listing(Path(tmp.name, "plain", name), tmp.name)
    inside.update(got)
    plain = lambda d, n: gzip.decompress(d) if n.endswith(".gz") else d
    check({n: (m, d and plain(d, n)) for n, (m, d) in want.items()} == {
        n: (m, want.get(n, (0, 0))[1] and plain(d, n)) for n, (m, d) in got.items()},
        f"{name} holds {[(n, oct(m)) for n, (m, _) in got.items()]}")
head = run("git", "rev-parse", "-q", "--verify", "HEAD", cwd=ROOT).stdout  # none outside git
source = gzip.decompress(dist[f"tarvix-vantor-{V}-src.tar.gz"])
check(not head or run("git", "get-tar-commit-id", input=source).stdout == head, "not the source")
lint = run("lintian", "--fail-on", "error,warning", *[
    Path(tmp.name, "plain", n) for n in expected if n.endswith(".deb")], text=True)
check(lint.returncode == 0, f"lintian: {lint.stdout}{lint.stderr}")

# Every file of the release and every program in its archives, by its sum.
sums = dict(line.split("  ")[::-1] for line in dist["SHA256SUMS"].decode().splitlines())
content = {**dist, **{n: d for n, (_, d) in inside.items()}}
programs = {n for a, want in expected.items() if a[-4:] != ".deb" for n, (m, _) in want.items()
            if m == 0o755}
check(set(sums) == set(dist) - {"SHA256SUMS"} | programs and all(
    hashlib.sha256(content.get(n, b"")).hexdigest() == s for n, s in sums.items()), f"sums {sums}")
named = run("dpkg-query", "-W", "-f", " ${Package} (= ${Version})\n", *"""dpkg minisign
    g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev g++-12-i686-linux-gnu
    g++-12-aarch64-linux-gnu emscripten llvm-14 cmake ninja-build python3""".split(),
            text=True).stdout.splitlines()
check(all(f"\n{p}" in dist[f"tarvix-vantor-{V}.buildinfo"].decode() for p in named), str(named))

# The signatures: the sums', then each Windows program's, against the throwaway keys.
sums = Path(tmp.name, "signed", "SHA256SUMS")
verify = ["minisign", "-V", "-p", keys / "pub", "-m", sums]
verified = run(*verify, text=True).stdout
sums.write_bytes(b"x" + sums.read_bytes()[1:])  # a hexadecimal digit before
check(f"tarvix-vantor {V} from commit {release['commit']()}" in verified and
      run(*verify).returncode != 0, "the sums' signature fails, or passes a changed byte")
zipfile.ZipFile(Path(tmp.name, "signed", f"tarvix-vantor-{V}-win32-signatures.zip")).extractall(
    tmp.name)
with zipfile.ZipFile(Path(tmp.name, "signed", f"tarvix-vantor-{V}-win32.zip")) as z:
    for name in ("tarvix-vantor.exe", "tarvix-vantor-cli.exe"):
        signed, unsigned, back = (Path(tmp.name, n + name) for n in "sub")
        sig = Path(tmp.name, name + ".sig")
        signed.write_bytes(z.read(name))
        verified = run("osslsigncode", "verify", "-CAfile", keys / "cert", "-in", signed, text=True)
        run("osslsigncode", "remove-signature", "-in", signed, "-out", unsigned, check=True)
        run("osslsigncode", "attach-signature", "-CAfile", keys / "cert", "-sigin", sig, "-in",
            unsigned, "-out", back, check=True)  # a signature that does not fit stops here
        check(not verified.returncode and "Signing time: Nov 14 22:13:20 2023" in verified.stdout
              and unsigned.read_bytes() == expected[f"tarvix-vantor-{V}-win32.zip"][name][1] and
              back.read_bytes() == z.read(name), f"{name}: its signature fails, strips or attaches")
print("\n".join(failures))
sys.exit(1 if failures else 0)
