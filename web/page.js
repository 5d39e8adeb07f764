// The page's script. It draws what the C++ front end (web/page.cpp) tells it, picks the document,
// asks for the output's name and offers the download; which controls are enabled, the mask, the
// limits and every message come from the C++, and the script decides none of them. It follows the
// module that Emscripten built (the factory Tarvix) in the same script element.
'use strict';

const byId = (id) => document.getElementById(id);
const control = (id) => byId('c' + id);
const controls = [...byId('client').children];
const picker = byId('picker');
const nameBox = byId('name');
const nameText = byId('name-text');
const messageBox = byId('message');

// Buttons are disabled as buttons; the labels, which take no focus, only say so.
function isEnabled(c) {
    return c.localName === 'button' ? !c.disabled : c.getAttribute('aria-disabled') !== 'true';
}

function setEnabled(c, on) {
    if (c.localName === 'button') {
        c.disabled = !on;
    } else {
        c.setAttribute('aria-disabled', String(!on));
    }
}

// Where a control shows its text: the mask shows its asterisks apart from the count that a screen
// reader says instead.
function shown(c) {
    return c.querySelector('[aria-hidden=true]') ?? c;
}

// The controls as the dialog's template has them, to return to once a document is forgotten.
const template = controls.map((c) => [c, shown(c).textContent, isEnabled(c)]);
const messages = [];
let tarvix;
let ended = false;
let opened = 0; // documents chosen or dropped so far, and cancels: the latest of them counts
let expected = 0; // bytes of the document opened, which is as long as its output
let pressed = null; // the control pressed last, where the focus returns after a message

// What the C++ front end calls (Module.page).
const page = {
    setText(id, text) {
        shown(control(id)).textContent = text;
    },
    count(id, text) {
        control(id).querySelector('.sr').textContent = text;
    },
    enable(id, on) {
        setEnabled(control(id), on);
    },
    message(text, caption) {
        messages.push([text, caption]);
        if (!messageBox.open) {
            nextMessage();
        }
    },
    end() {
        ended = true;
    },
    box(templateId) {
        byId('box' + templateId).showModal();
    },
};

function nextMessage() {
    const [text, caption] = messages.shift();
    byId('message-caption').textContent = caption;
    byId('message-text').textContent = text;
    messageBox.showModal();
}

// Keyboard focus starts, as in the dialog, on the first control that takes it.
function focusFirst() {
    controls.find((c) => c.localName === 'button' && !c.disabled).focus();
}

// After a message the focus goes where the dialog's message box gives it back, not where the
// browser would, to the element that had it: that one may be hidden or disabled by now, or be the
// page's body where a click gives a button no focus (Safari). While the name box stays open on a
// refused name, into its field with the name selected, to be typed over; else to the control
// pressed, or to the first one if that one is disabled now.
function refocus() {
    if (nameBox.open) {
        nameText.focus();
        nameText.select();
    } else if (pressed && !pressed.disabled) {
        pressed.focus();
    } else {
        focusFirst();
    }
}

// The dialog has ended after the closing message: a page cannot exit, so it offers the output
// for download, forgets the document, the output and the password, and starts again.
function finish() {
    ended = false;
    const name = tarvix.ccall('tv_output', 'string');
    const link = document.createElement('a');
    // Bytes of no known type, so that the browser adds no suffix of its own to the name.
    const bytes = new Blob([tarvix.FS.readFile(name)], { type: 'application/octet-stream' });
    link.href = URL.createObjectURL(bytes);
    link.download = name;
    link.click();
    // Later rather than at once: the browser may still be starting the download.
    setTimeout(() => URL.revokeObjectURL(link.href), 40000);
    tarvix._tv_forget();
    for (const [c, text, on] of template) {
        shown(c).textContent = text;
        setEnabled(c, on);
    }
    focusFirst();
}

messageBox.addEventListener('close', () => {
    if (messages.length) {
        nextMessage();
    } else if (ended) {
        finish();
    } else {
        refocus();
    }
});

// The document goes into the module's folder under its own name, as much of it as the C++ asks
// for. One that cannot be read is opened all the same, and the Run says that it cannot open it.
// A document chosen or dropped while an earlier one is still being read wins, however long the
// earlier one takes, as does a cancel of the file picker. Once the document is there, the page
// prepares the memory of its Run, after the screen has shown it.
async function open(file) {
    const mine = ++opened;
    let bytes = null;
    try {
        bytes = new Uint8Array(await file.slice(0, tarvix._tv_read_limit()).arrayBuffer());
        if (mine === opened) {
            tarvix.FS.writeFile(file.name, bytes);
        }
    } catch {
        bytes = null;
    }
    if (mine === opened) {
        tarvix.ccall('tv_open', null, ['string', 'number'], [file.name, bytes ? 1 : 0]);
        expected = bytes ? bytes.length : 0;
        setTimeout(() => tarvix._tv_prepare(expected));
    }
}

picker.addEventListener('change', () => {
    if (picker.files.length) {
        open(picker.files[0]);
    }
});
picker.addEventListener('cancel', () => {
    opened++;
    tarvix.ccall('tv_open', null, ['string', 'number'], [null, 0]);
});

function save(name) {
    return tarvix.ccall('tv_save', 'number', ['string'], [name]);
}

// The name box stays open on a name that the C++ refuses.
nameBox.querySelector('form').addEventListener('submit', (event) => {
    event.preventDefault();
    if (event.submitter.value === 'cancel') {
        nameBox.close();
        save(null);
    } else if (save(nameText.value)) {
        nameBox.close();
    }
});
nameBox.addEventListener('cancel', () => save(null));

byId('client').addEventListener('click', (event) => {
    const c = event.target.closest('button');
    if (!c) {
        return;
    }
    pressed = c;
    if (c.dataset.ask === 'open') {
        picker.value = '';
        picker.click();
    } else if (c.dataset.ask === 'save') {
        nameText.value = '';
        nameBox.showModal();
    } else {
        tarvix._tv_command(Number(c.id.slice(1)));
    }
});

// A document dropped anywhere on the page is opened, unless a box is waiting for an answer.
document.addEventListener('dragover', (event) => event.preventDefault());
document.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer.files[0];
    if (file && !document.querySelector('dialog[open]')) {
        open(file);
    }
});

// Emscripten's in-memory files grow by an eighth at a time once past 1 MB, each time into a new
// copy: the output of the largest document would be copied a dozen times as its Run writes it.
// The only file that the page writes in pieces is that output, as long as the document opened,
// so a file that grows takes that room at once. A runtime of another make grows it its own way.
function growOnce(memfs) {
    const expand = memfs?.expandFileStorage;
    if (expand) {
        memfs.expandFileStorage = (node, size) => expand(node, Math.max(size, expected));
    }
}

// Served from a web host, the page that names its manifest is an app, whose worker keeps its
// files so that it starts with no network; without the worker it works all the same, online.
// Opened from a file, it is the page alone.
if (/^https?:$/.test(location.protocol) && document.querySelector('link[rel=manifest]')) {
    navigator.serviceWorker?.register('sw.js').catch(() => {});
}

Tarvix({ page }).ready.then((m) => {
    tarvix = m;
    growOnce(tarvix.FS.filesystems?.MEMFS);
    tarvix._tv_launch();
    focusFirst();
});
