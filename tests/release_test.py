#!/usr/bin/python3
"""The release that tools/release packs from the build trees, once unsigned and twice signed
with throwaway keys (in two time zones under two umasks): its archives' and packages' contents,
lintian, SHA256SUMS, the .buildinfo, and the signatures, which verify, strip and attach back.
Skipped until every tree is built."""
import gzip
import hashlib
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
if not all((ROOT / f"build-{t[0]}").exists() for t in release.targets() + [["web"]]):
    print("NOTICE: skipped: build the presets of tools/targets.txt and web first (tools/check)")
    sys.exit(77)


def listing(path, scratch):
    """{name: (mode, bytes, date, owner)} of an archive, or of a package unpacked under scratch."""
    if path.suffix == ".zip":
        with zipfile.ZipFile(path) as z:
            return {i.filename: (i.external_attr >> 16 & 0o777, z.read(i), i.date_time, "")
                    for i in z.infolist()}
    if path.suffix == ".deb":
        root = Path(scratch, path.stem)
        subprocess.run(["dpkg-deb", "-x", path, root], check=True)
        return {str(f.relative_to(root)): (f.stat().st_mode & 0o777, f.read_bytes(), None, None)
                for f in root.rglob("*") if f.is_file()}
    with tarfile.open(path) as t:
        return {i.name: (i.mode, t.extractfile(i).read(), i.mtime, (i.uid, i.gid, i.uname,
                i.gname)) for i in t.getmembers() if i.isfile()}


def run(*command, **options):
    return subprocess.run(command, capture_output=True, **options)


failures = []
tmp = tempfile.TemporaryDirectory()
keys = Path(tmp.name)
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
if signed != packs["again"]:
    failures.append("two signed packs differ")
if set(signed) - set(dist) != {"SHA256SUMS.minisig", f"tarvix-vantor-{V}-win32-signatures.zip"}:
    failures.append(f"signed: {sorted(signed)}; unsigned: {sorted(dist)}")

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
    if {n: (m, d and plain(d, n)) for n, (m, d) in want.items()} != {
            n: (m, want.get(n, (0, 0))[1] and plain(d, n)) for n, (m, d, _, _) in got.items()}:
        failures.append(f"{name} holds {[(n, oct(m)) for n, (m, _, _, _) in got.items()]}")
    stamps = {(w, o) for _, _, w, o in got.values()}
    if stamps - {((2023, 11, 14, 22, 13, 20), ""), (WHEN, (0, 0, "root", "root")), (None, None)}:
        failures.append(f"{name}: dates and owners {stamps}")
source = f"tarvix-vantor-{V}-src.tar.gz"
tracked = run("git", "ls-tree", "-r", "--name-only", "HEAD", cwd=ROOT, text=True).stdout.split()
if tracked and sorted(listing(Path(tmp.name, "plain", source), tmp.name)) != [
        f"tarvix-vantor-{V}/{f}" for f in sorted(tracked)]:
    failures.append(f"{source} is not the commit's tree")
lint = run("lintian", "--fail-on", "error,warning", *[
    Path(tmp.name, "plain", n) for n in expected if n.endswith(".deb")], text=True)
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
named = run("dpkg-query", "-W", "-f", "\n ${Package} (= ${Version})", "g++-mingw-w64-i686-win32",
            "binutils-mingw-w64-i686", "mingw-w64-i686-dev", "g++-12-i686-linux-gnu",
            "g++-12-aarch64-linux-gnu", "emscripten", "llvm-14", "cmake", "ninja-build", "python3",
            "dpkg", text=True).stdout.split("\n")[1:]
failures += [f"the .buildinfo lacks{p}" for p in named if f"\n{p}" not in
             dist[f"tarvix-vantor-{V}.buildinfo"].decode()]

# The signatures: the sums', then each Windows program's, against the throwaway keys.
sums = Path(tmp.name, "signed", "SHA256SUMS")
check = ["minisign", "-V", "-p", keys / "pub", "-m", sums]
if f"tarvix-vantor {V} from commit {release.commit()}" not in run(*check, text=True).stdout:
    failures.append("the sums' signature does not verify with the version and commit")
sums.write_bytes(bytes([sums.read_bytes()[0] ^ 1]) + sums.read_bytes()[1:])
if run(*check).returncode == 0:
    failures.append("the signature verifies sums with a changed byte")
with zipfile.ZipFile(Path(tmp.name, "signed", f"tarvix-vantor-{V}-win32.zip")) as z, \
        zipfile.ZipFile(Path(tmp.name, "signed", f"tarvix-vantor-{V}-win32-signatures.zip")) as s:
    for name in ("tarvix-vantor.exe", "tarvix-vantor-cli.exe"):
        signed, unsigned, sig, back = (Path(tmp.name, end + name) for end in "suab")
        signed.write_bytes(z.read(name))
        sig.write_bytes(s.read(name + ".sig"))
        verified = run("osslsigncode", "verify", "-CAfile", keys / "cert", "-in", signed, text=True)
        run("osslsigncode", "remove-signature", "-in", signed, "-out", unsigned, check=True)
        run("osslsigncode", "attach-signature", "-CAfile", keys / "cert", "-sigin", sig, "-in",
            unsigned, "-out", back, check=True)  # a signature that does not fit stops here
        if verified.returncode or "Signing time: Nov 14 22:13:20 2023" not in verified.stdout or \
                unsigned.read_bytes() != expected[z.filename.split("/")[-1]][name][1] or \
                back.read_bytes() != z.read(name):
            failures.append(f"{name}: its signature does not verify, strip or attach")
tmp.cleanup()
print("\n".join(failures))
sys.exit(1 if failures else 0)
