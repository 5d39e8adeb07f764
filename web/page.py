#!/usr/bin/env python3
"""Assembles the web page, one self-contained HTML file, from web/page.html with:
- the main dialog's controls in template order (which is also the tab order), with their
  captions, IDs, positions and initial states, and the Help and About boxes with their captions
  and texts, all read from the Windows resource script (shell/tarvix.rc.in) and its ID headers,
  so that the resources stay the one source of both programs; the About box's stamp is the one
  the Windows build uses;
- web/page.css with a rule for each control's place in dialog units, on screens as wide as the
  dialog;
- the module Emscripten built and web/page.js, in one script element;
- a policy that runs only that script and that style (by their SHA-256) and connects nowhere
  (policy).
With a version and a folder, it also writes the web app into that folder: the same page as
index.html, with its manifest, its icons and its worker (write_app).
    page.py SOURCE_DIR STAMP MODULE_JS OUT [VERSION APP_FOLDER]"""
import base64
import hashlib
import html
import json
import re
import sys
from pathlib import Path

WS_DISABLED, WS_BORDER = 0x08000000, 0x00800000
# What a control says of itself where its caption says nothing, is a text that changes or could
# be taken for another's: the times key is not the letter X.
NAMES = {"IDC_KEY_BLANK": "Space", "IDC_KEY_TIMES": "x (times)", "IDC_SOURCE": "Source document",
         "IDC_TARGET": "Target document", "IDC_MASK": "Password", "IDC_WEB": "Web address"}
# Controls that the page draws larger than the dialog, their width and height in dialog units:
# a browser's fonts are wider and taller than the dialog's. The mask takes the free room up to
# Reset password, and the two labels of one line a unit more than the line that they hold.
SIZES = {"IDC_MASK": (118, 9), "IDC_WEB": (88, 9)}
# The two buttons whose file dialogs the page's script replaces with its own steps.
ASKS = {"IDC_OPEN": "open", "IDC_SAVEAS": "save"}
STRING = r'"((?:[^"\\]|\\.)*)"'  # a resource string; a backslash may end a line within it


def unquote(text):
    """The text of a resource string: lines joined, escapes turned into characters."""
    text = text.replace("\\\n", "")
    return re.sub(r"\\(.)", lambda m: {"r": "", "n": "\n", "t": "\t"}.get(m[1], m[1]), text)


def defines(*headers):
    found = {}
    for header in headers:
        found.update(re.findall(r"#define (\w+) (\d+)", header.read_text()))
    return found


def dialogs(rc, ids):
    """Each dialog template by name: its size, caption and controls."""
    found = {}
    for name, size, body in re.findall(r"^(\w+) DIALOGEX \d+, \d+, (\d+, \d+)\n(.*?)^END",
                                       rc, re.S | re.M):
        controls = [(unquote(text), ident, cls, int(style, 16), [int(n) for n in place])
                    for text, ident, cls, style, *place in re.findall(
                        r"CONTROL " + STRING + r",\s*(\w+), \"(\w+)\", (0x[0-9A-F]+), "
                        r"(\d+), (\d+), (\d+), (\d+)", body, re.S)]
        found[name] = {"size": [int(n) for n in size.split(", ")],
                       "caption": unquote(re.search(r"CAPTION " + STRING, body)[1]),
                       "controls": [(t, ids.get(i, i), i, c, s, p) for t, i, c, s, p in controls]}
    return found


def place(selector, x, y, width, height):
    return (f"{selector}{{left:calc({x}*var(--x));top:calc({y}*var(--y));"
            f"width:calc({width}*var(--x));height:calc({height}*var(--y))}}")


def main_controls(dialog):
    """The main dialog's controls as elements, each with a class for its role (key for the
    keypad's), and the rules that place them."""
    elements, rules = [], [place("#client", 0, 0, *dialog["size"])]
    for text, number, name, cls, style, (x, y, width, height) in dialog["controls"]:
        off = style & WS_DISABLED
        label = f' aria-label="{NAMES[name]}"' if name in NAMES else ""
        role = "key" if name.startswith("IDC_KEY_") else name[4:].lower()
        content = html.escape(text)
        if cls == "BUTTON":
            ask = f' data-ask="{ASKS[name]}"' if name in ASKS else ""
            elements.append(f'<button type="button" id="c{number}" class="{role}"{label}{ask}'
                            f'{" disabled" if off else ""}>{content}</button>')
        else:
            border = " border" if style & WS_BORDER else ""
            # The mask's asterisks are hidden from a screen reader, which hears a count instead.
            if name == "IDC_MASK":
                content = f'<span aria-hidden="true">{content}</span><span class="sr"></span>'
            elements.append(f'<output id="c{number}" class="{role}{border}"{label} aria-disabled='
                            f'"{"true" if off else "false"}">{content}</output>')
        rules.append(place(f"#c{number}", x, y, *SIZES.get(name, (width, height))))
    return "\n".join(elements), "\n".join(rules)


def box(number, dialog):
    """An information box: closed from its caption only, like the Windows one."""
    text = dialog["controls"][0][0]
    width = dialog["size"][0]
    return (f'<dialog id="box{number}" aria-labelledby="box{number}-caption">'
            f'<form method="dialog"><div class="caption"><span id="box{number}-caption">'
            f'{html.escape(dialog["caption"])}</span><button aria-label="Close">&#x2715;</button>'
            f'</div><p class="text" tabindex="0">{html.escape(text)}</p></form></dialog>',
            f"#box{number}{{width:calc({width}*var(--x) + 24px)}}")


def sha256(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def policy(script, style, app):
    """The page's Content-Security-Policy: it runs only its own script and style (by their
    SHA-256), shows images from data: URLs alone and connects nowhere. The web app's page also
    takes from its own site its manifest, its worker and the manifest's icons, which a browser
    takes as the page's images."""
    own = " 'self'" if app else ""
    return (f"default-src 'none'; script-src {sha256(script)} 'wasm-unsafe-eval'; "
            f"style-src {sha256(style)}; img-src data:{own}; connect-src 'none'; "
            "base-uri 'none'; form-action 'none'" +
            ("; manifest-src 'self'; worker-src 'self'" if app else ""))


def fill(text, tokens):
    for token, value in tokens.items():
        text = text.replace(token, value)
    return text


def write_app(folder, web, page, title, version):
    """The web app: the page as index.html with its manifest and icons, and its worker, which
    keeps them all in a cache named after the version and a digest of their bytes."""
    folder.mkdir(parents=True, exist_ok=True)
    files = {"index.html": page.encode(),
             "manifest.webmanifest": fill((web / "manifest.webmanifest").read_text(),
                                          {"@TITLE@": title}).encode(),
             **{name: (web / name).read_bytes() for name in ("icon-192.png", "icon-512.png")}}
    digest = hashlib.sha256(b"".join(files.values())).hexdigest()[:16]
    worker = fill((web / "sw.js").read_text(), {"@FILES@": json.dumps(list(files)),
                                                "@VERSION@": f"{version}-{digest}"})
    for name, data in {**files, "sw.js": worker.encode()}.items():
        (folder / name).write_bytes(data)


def main():
    source, stamp, module, out = Path(sys.argv[1]), sys.argv[2], Path(sys.argv[3]), sys.argv[4]
    ids = defines(source / "core" / "ids.h", source / "shell" / "resource.h")
    rc = (source / "shell" / "tarvix.rc.in").read_text(encoding="utf-8")
    found = dialogs(rc.replace("@TV_STAMP@", stamp), ids)
    controls, rules = main_controls(found["IDD_MAIN"])
    boxes, box_rules = zip(*(box(ids[name], found[name]) for name in ("IDD_HELP", "IDD_ABOUT")))
    web = source / "web"
    css = (web / "page.css").read_text().replace("/* @PLACES@ */", rules)
    style = css + "\n".join(box_rules) + "\n"
    script = module.read_text() + "\n" + (web / "page.js").read_text()
    if re.search(r"</script|<!--", script, re.I):
        sys.exit("page.py: the script holds text that would end its element early")
    title = html.escape(found["IDD_MAIN"]["caption"])
    template = (web / "page.html").read_text()
    parts = {"@TITLE@": title, "@CONTROLS@": controls, "@BOXES@": "\n".join(boxes),
             "@STYLE@": style, "@SCRIPT@": script}
    page = fill(template, {"@POLICY@": policy(script, style, False), "@APP@": "", **parts})
    Path(out).write_text(page, encoding="utf-8")
    # The web app's page names its manifest.
    if len(sys.argv) > 6:
        app = fill(template, {"@POLICY@": policy(script, style, True),
                              "@APP@": '\n<link rel="manifest" href="manifest.webmanifest">',
                              **parts})
        write_app(Path(sys.argv[6]), web, app, title, sys.argv[5])


if __name__ == "__main__":
    main()
