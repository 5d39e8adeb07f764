#!/usr/bin/python3
"""The command-line program through its real binary: every way of giving the keys, usage errors,
stopped Runs, a standard output that cannot be written, outputs of the golden corpus, the hidden
prompt on a terminal, the order of the system calls that make the output last, and its manual
page. TV_CLI names the program, TV_CLI_WRAPPER a launcher (Wine, QEMU), behind which the first
rows run; TV_SLOWNESS says how many times longer than native they may take (under emulation)."""
import collections
import os
import pty
import random
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
from pathlib import Path

launcher = [os.environ["TV_CLI_WRAPPER"]] if os.environ.get("TV_CLI_WRAPPER") else []
program = launcher + [os.environ["TV_CLI"]]
failures = []
signal.alarm(60 * int(os.environ.get("TV_SLOWNESS", "1")))  # a start that hangs fails the test
GOLDEN = Path(__file__).resolve().parent.parent / "data" / "golden"


def generated(size, seed):
    """Document gen:SIZE:SEED of the golden corpus: the low byte of each draw of std::mt19937."""
    state = [seed]
    for i in range(1, 624):
        state.append((1812433253 * (state[-1] ^ state[-1] >> 30) + i) & 0xFFFFFFFF)
    draws = random.Random()
    draws.setstate((3, (*state, 624), None))
    return bytes(draws.getrandbits(32) & 0xFF for _ in range(size))


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = (h ^ b) * 0x100000001B3 & 0xFFFFFFFFFFFFFFFF
    return f"fnv1a64:{h:016x}"


def usage(what):
    return "tarvix-vantor-cli: " + what + "\nTry 'tarvix-vantor-cli --help'.\n"


def keys(k, source="zero.bin", target="out"):
    return ["--keys", k, source, target]


# One start: arguments, exit status, standard error, first line of standard output, the one file
# written (if any; a large one as its hash), standard input, stdout to /dev/full, run as user
# 65534 (root writes anything).
row = collections.namedtuple("row", "args status err out written stdin full nobody",
                             defaults=("", b"", b"", False, False))
# Zeros under " BNB)C " (example 1's keys and the key without caption at either end) give KEYED:
# every way of giving the keys must read that line and no more.
KEYED, LINE, S254 = b"\x4e\x96\x71\x50", b" BNB)C \r\nAAAAA\n", "s" * 254
COUNT = '; it needs 5 to 20 (">" enters two)'
LOWER = ': letters are upper case ("x" is the times key)'
ROWS = [
    row(keys(" BNB)C "), 0, "", "out.bin", KEYED),
    row(["--keys-file", "keys.txt", "zero.bin", "out"], 0, "", "out.bin", KEYED),
    row(["--keys-file", "-", "zero.bin", "out"], 0, "", "out.bin", KEYED, LINE),
    row(["zero.bin", "out"], 0, "", "out.bin", KEYED, b" BNB)C \nAAAAA"),
    row(["zero.bin", "out"], 2, usage("no key U+001A, character 6 of the keys"),  # a byte, not EOF
        stdin=b"BNB)C\x1a\n"),
    row(["--keys", "£x>@(", "dokument-ťažký-£.txt", "výstup-😀"], 0, "", "výstup-😀.txt",
        b"e0\xdcL"),  # beyond ASCII, and beyond 16 bits for UTF-16 under Wine
    row(keys("BN\U0010ffff))"), 2,  # beyond 16 bits for UTF-16 under Wine
        usage('no key "\U0010ffff" (U+10FFFF), character 3 of the keys')),
    row(keys("BNB)C", S254, "t" * 252), 1,  # SOURCE fits; the output does not
        "Warring: The save path is too long. Please choose a shorter one\n"),
    row(keys("BNB)C", target="folder"), 1, "Warring: Can't open file-save\n"),  # a folder.bin
    row(keys("BNB)C", "read-only.txt", "read-only"), 1, "Warring: Can't open file-save\n",
        nobody=True),
    row(keys(" BNB)C "), 1,
        "tarvix-vantor-cli: the output path could not be written to standard output\n",
        written=KEYED, full=True),
    row(keys("BNB)C", "abc"), 1, "Small file: Small file.Please open bigger file\n"),
    row(keys("BNB)C", "4GiB"), 1,  # a count that wrapped would be 4; no 32-bit offset holds it
        "Big file: Big file.Please open smaller file or upgrade program\n"),
    # The golden corpus: note.txt under its keys up to the 20th symbol, and the largest document.
    row(keys("A>+ £xDD>10)(JKZ$@", "note.txt"), 0, "", "out.txt",
        (GOLDEN / "note.txt.out").read_bytes()),
    row(keys("HELP>BCDFJLPSU3468?", "largest"), 0, "", "out(2)", "fnv1a64:3403fa725243ecff"),
]
NATIVE = [
    row(keys("BNaC)"), 2, usage('no key "a" (U+0061), character 3 of the keys' + LOWER)),
    row(keys("BNzC)"), 2, usage('no key "z" (U+007A), character 3 of the keys' + LOWER)),
    # Control characters and DEL are named by their number alone.
    *[row(keys(f"BN{c}C)"), 2, usage(f"no key {name}, character 3 of the keys")) for c, name in
      [("\t", "U+0009"), ("~", '"~" (U+007E)'), ("\x7f", "U+007F"), ("\x9f", "U+009F"),
       ("\xa0", '"\xa0" (U+00A0)')]],
    row(keys("BNC)"), 2, usage("the password has 4 symbols" + COUNT)),
    row(keys("B"), 2, usage("the password has 1 symbol" + COUNT)),
    row(["--help"], 0, "", "Usage: tarvix-vantor-cli [--keys KEYS | --keys-file FILE] SOURCE"
        " TARGET"),
    row(["--version"], 0, "", "tarvix-vantor-cli " + os.environ["TV_VERSION"]),
    row(["--version"], 1, "", full=True),
    row(["--keys= BNB)C ", "zero.bin", "out"], 0, "", "out.bin", KEYED),
    row(["--keys", " BNB)C ", "--", "-zero.bin", "out"], 0, "", "out.bin", KEYED),
    row(keys(" BNB)C ", "-"), 0, "", "out(2)", KEYED),  # "-" is a path; no '.' gives "(2)"
    row(keys("BNB)C", target="fifo"), 1, "Warring: Can't open file-save\n"),  # a fifo.bin
    row(keys("BNCPAQDEFGIJOSRHTU>"), 0, "", "out.bin", b"\x02IJ1"),
    row(keys("BNCPAQDEFGIJOSRHTUV>"), 2, usage("the password has 21 symbols" + COUNT)),
    row(["-f", "doc", "out"], 2, usage("unknown option '-f'")),
    row([], 2, usage("SOURCE and TARGET are missing")),
    row(["--keys", "BNB)C", "doc"], 2, usage("TARGET is missing")),
    row(["doc", "a", "b"], 2, usage("one SOURCE and one TARGET only; 'b' is one more")),
    row(["--keys=", "--keys-file="], 2,
        usage("give the keys only once, with --keys or with --keys-file")),
    row(["doc", "out", "--keys"], 2, usage("option '--keys' needs a value")),
    row(["--keys-file", "missing", "doc", "out"], 2, usage("cannot open the keys file 'missing'")),
    row(keys("BNB)C", "doc", ""), 2, usage("the TARGET path is empty")),
    row(keys("BNB)C", S254 + "s"), 2, usage("the SOURCE path has 255 characters; at most 254 fit")),
    row(keys("BNB)C", "doc", b"out\xc0\xaf"), 2, usage("the TARGET path is not valid UTF-8")),
    row(keys(b"BN\xed\xa0\x80))"), 2, usage("the keys are not valid UTF-8")),
    row(["--keys-file", "bad.txt", "doc", "out"], 2,  # C3 C3: a lead byte for a continuation
        usage("the keys are not valid UTF-8")),
]


def run(args, stdin, full, nobody):
    """Exit status, stdout and stderr of one start; files, as Wine's server may hold a pipe open."""
    with tempfile.TemporaryFile() as i, tempfile.TemporaryFile() as o, \
            tempfile.TemporaryFile() as e, open("/dev/full", "wb") as f:
        i.write(stdin)
        i.seek(0)
        # Only Wine keeps even root from a read-only file; it serves its prefix's owner alone.
        user = 65534 if nobody and os.geteuid() == 0 and "wine" not in str(launcher) else None
        command = launcher + ["./cli"] if user else program  # a copy that user 65534 reaches
        status = subprocess.call(command + args, stdin=i, stdout=f if full else o, stderr=e,
                                 user=user)
        o.seek(0)
        e.seek(0)
        out, err = o.read().decode(), e.read().decode()
    return status, out.replace("\r\n", "\n"), err.replace("\r\n", "\n")  # Windows ends lines so


def on_terminal(args, typed, ignored=()):
    """Exit status, all shown and echo at the end, on a terminal, typed after "Keys: " shows. The
    child starts with the signals ignored; with any, once its prompt has ended, what is shown is
    replaced by the masks of the signals that it then ignores and catches."""
    pid, fd = pty.fork()
    if pid == 0:
        for s in ignored:
            signal.signal(s, signal.SIG_IGN)
        os.execv(program[0], program + args)
    shown, chunk = b"", b"?"
    try:
        while chunk and select.select([fd], [], [], 20)[0]:  # 20 s without a word: it hangs
            chunk = os.read(fd, 256)
            shown += chunk
            if typed and b"Keys: " in shown:
                os.write(fd, typed)
                typed = b""
            if ignored and shown.endswith(b"Keys: \r\n"):
                status = Path(f"/proc/{pid}/status").read_text()
                shown = [int(m, 16) for m in re.findall(r"^Sig(?:Ign|Cgt):\s*(\w+)", status, re.M)]
                break
    except OSError:  # the child closed the terminal
        pass
    os.kill(pid, signal.SIGKILL)  # ends a child that hangs; one that has ended is only reaped
    status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
    echo = termios.tcgetattr(fd)[3] & termios.ECHO != 0
    os.close(fd)
    return status, shown, echo


with tempfile.TemporaryDirectory() as d:
    os.chdir(d)
    for name in ("zero.bin", "-zero.bin", "-", "read-only.txt", "dokument-ťažký-£.txt", S254,
                 "abc", "4GiB", "bad.txt", "keys.txt", "note.txt", "largest"):
        Path(name).write_bytes({"abc": b"abc", "bad.txt": b"BN\xc3\xc3C)\n",
                                "keys.txt": b"\xef\xbb\xbf" + LINE,
                                "note.txt": (GOLDEN / "note.txt").read_bytes(),
                                "largest": generated(2800000, 44)}.get(name, b"\0" * 4))
    shutil.copy(program[-1], "cli")
    os.chmod(d, 0o777)
    os.chmod("read-only.txt", 0o444)
    os.truncate("4GiB", 2**32 + 4)
    os.mkdir("folder.bin")
    os.mkfifo("fifo.bin")
    rows = ROWS if launcher else ROWS + NATIVE
    for args, status, err, out, written, stdin, full, nobody in rows:
        before = set(os.listdir())
        got_status, got_out, got_err = run(args, stdin, full, nobody)
        if got_status == 77 and launcher:  # it cannot run the program here, and says why
            print(got_err)
            sys.exit(77)
        added = set(os.listdir()) - before  # the output alone, and no spare file beside it
        kept = [Path(a).read_bytes() for a in added]
        got = got_status, got_out.split("\n")[0], got_err, [
            fnv1a64(k) if isinstance(written, str) else k for k in kept]
        for name in added:
            os.remove(name)
        if got != (status, out, err, [written] if written else []):
            failures.append(f"{args}: got {got}")
    if not launcher:  # Wine gives the program no console on a pseudo-terminal
        got = on_terminal(["zero.bin", "out"], b"BNB)C\n") + (Path("out.bin").read_bytes(),)
        if got != (0, b"Keys: \r\nout.bin\r\n", True, b"\x4e\x16\xb1\x70"):  # example 1's output
            failures.append(f"prompt: {got}")
        got = on_terminal(["zero.bin", "again"], b"\x03")
        if got[0] != -signal.SIGINT or not got[2]:
            failures.append(f"Ctrl-C at the prompt: {got}")
        # Signals ignored before the prompt are ignored again after it, while the Run waits for
        # its source, a fifo that no one writes to.
        stops = signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT
        ignored, caught = on_terminal(["fifo.bin", "out"], b"BNB)C\n", stops)[1]
        if any(ignored >> (s - 1) & 1 == 0 or caught >> (s - 1) & 1 for s in stops):
            failures.append(f"signals after the prompt: ignored {ignored:x}, caught {caught:x}")
        # The output reaches the disk before its move, and its folder after the move; with
        # standard input closed, each takes descriptor 0.
        os.chmod("out.bin", 0o640)  # the prompt's output, replaced, keeps its mode on descriptor 0
        subprocess.run(["strace", "-y", "-o", "calls", "-e", "trace=fsync,rename,renameat,"
                        "renameat2", *program, *keys(" BNB)C ")], stdout=subprocess.DEVNULL,
                       preexec_fn=lambda: os.close(0))
        order = re.findall(r"^(\w+)\(([^)]*)\)", Path("calls").read_text(), re.M)
        if order != [("fsync", f"0<{d}/~tv0.tmp>"), ("rename", '"~tv0.tmp", "out.bin"'),
                     ("fsync", f"0<{d}>")] or os.stat("out.bin").st_mode & 0o777 != 0o640:
            failures.append(f"syncs, moves and mode: {order}")
        # The manual page: mandoc finds nothing to warn of, and it names every option of --help.
        page = os.environ["TV_MAN"]
        out = lambda *command: subprocess.run(command, capture_output=True, text=True).stdout
        failures += filter(None, [out("mandoc", "-T", "lint", "-W", "warning", page).strip()])
        shown = re.sub(".\b", "", out("mandoc", "-T", "ascii", page))  # bold, underline overstrike
        for option in set(re.findall(r"--[a-z][a-z-]*", out(*program, "--help"))):
            if not re.search(f"(?<![\\w-]){option}(?![\\w-])", shown):
                failures.append(f"the manual page does not name {option}")
print("\n".join(failures) or f"{len(rows)} starts as expected")
sys.exit(1 if failures else 0)
