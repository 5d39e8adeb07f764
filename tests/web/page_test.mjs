// The web page in one browser engine (TV_ENGINE: chromium, firefox or webkit, each driven through
// engines.mjs), opened from file:// as a person uses it. In every engine: whole jobs by mouse and
// by keyboard alone, whose download must equal the golden corpus, with the screen checked after
// every step against the dialog tests' table of states (from web_helper); the messages of the
// limits, of a document that cannot be read and of a refused name; no request once the page has
// loaded, and a policy that refuses every connection; every text inside its box in the fonts
// that phones and desktops have, and keys large enough for a finger below the dialog's width. In
// Chromium also: jobs by finger and by a dropped file, no document kept in memory, axe-core's
// rules and the accessibility tree, and which of several documents chosen one after another the
// page opens. The web app, served by tools/serve, in Chromium and Firefox: its worker's cache,
// whole jobs online and offline, nothing of a document kept; in Chromium also its installability
// and an update from one version to the next.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { once } from 'node:events';
import { mkdtempSync, readFileSync, readdirSync, renameSync, symlinkSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { basename, dirname, extname, join, resolve } from 'node:path';
import { after, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import { launch, until } from './engines.mjs';

const { TV_ENGINE: engine, TV_PAGE, TV_APP, TV_HELPER, TV_GOLDEN } = process.env;
const chromium = engine === 'chromium';
const table = JSON.parse(execFileSync(TV_HELPER, ['states']));
const [Start, SourceChosen, TargetChosen, PasswordReady] = [0, 1, 2, 3];
const Open = '#c4005', SaveAs = '#c4006', Run = '#c4008', OK = '#message button';
const Desktop = { width: 600, height: 460 }, Phone = { width: 360, height: 800 };
const note = join(TV_GOLDEN, 'note.txt'), source = resolve(TV_GOLDEN, '../../..');
const work = mkdtempSync(join(tmpdir(), 'tv-web-'));
const small = join(work, 'small'), big = join(work, 'big.bin'); // too small, and too big, to run
execFileSync(TV_HELPER, ['gen', '3', '1', small]);
execFileSync(TV_HELPER, ['gen', '2800001', '2', big]);
const browser = await launch(engine);
after(() => browser.close());

// A new page of this size, with a touch screen or without, from the page's file or from url.
// Every request after the load and every error, as the browser's driver reports them and as the
// page sees them itself (watch), is recorded; close() checks that there was none but what the
// test expects. In Chromium, held() gives the bytes that its JavaScript heap and array buffers,
// where its folder keeps the documents, have grown by since the load: some 1 MB as its script
// runs, no document.
async function load(size = Desktop, touch = false, url = pathToFileURL(TV_PAGE).href) {
    const tab = await browser.open({ url, ...size, touch });
    await watch(tab);
    const launched = tab.heap && await tab.heap();
    tab.held = tab.heap && (async () => (await tab.heap()) - launched);
    const close = tab.close;
    tab.close = async (expected = /^$/) => {
        const { requests, errors } = tab.seen();
        const seen = [...requests, ...errors, ...(await tab.evaluate(() => window.seen))];
        assert.deepEqual(seen.filter((e) => !expected.test(e)), []);
        await close();
    };
    return tab;
}

// Once the page has started, what it sees itself is recorded: its errors, what its policy
// refused and what it loaded.
async function watch(tab) {
    await until(tab, () => document.activeElement?.id === 'c4002' && !window.seen);
    await tab.evaluate(() => {
        const seen = (window.seen = []);
        addEventListener('error', (e) => seen.push(`error ${e.message}`));
        addEventListener('unhandledrejection', (e) => seen.push(`error ${e.reason}`));
        document.addEventListener('securitypolicyviolation', (e) => seen.push(`refused ${e.blockedURI}`));
        new PerformanceObserver((list) => seen.push(...list.getEntries().map((e) => `loaded ${e.name}`)))
            .observe({ type: 'resource' });
    });
}

// The screen against state s of the table with these labels and this many symbols entered (the
// placeholder for none given); a label not given is as in s at launch.
async function expectScreen(tab, s, source = table.launchSource, target = table.noTarget, symbols) {
    const screen = await tab.evaluate(() => ({
        enabled: [...document.getElementById('client').children]
            .filter((c) => !c.matches(':disabled, [aria-disabled=true]'))
            .map((c) => Number(c.id.slice(1))).sort((a, b) => a - b),
        labels: ['#c4004', '#c4007', '#c4010 [aria-hidden]', '#c4010 .sr']
            .map((selector) => document.querySelector(selector).textContent),
    }));
    const mask = symbols === undefined ? table.placeholder : table.masks[symbols];
    const count = ['no symbols entered', '1 symbol entered'][symbols ?? 0] ?? `${symbols} symbols entered`;
    assert.deepEqual(screen, { enabled: table.enabled[s], labels: [source, target, mask, count] });
}

// Presses a control as a user would: click, tap, or Tab (Shift+Tab back) until it has the focus
// and then Enter (Space on the keypad).
async function press(tab, selector, way) {
    if (way === 'touch') {
        return tab.tap(selector);
    }
    if (way !== 'keyboard') {
        return tab.click(selector);
    }
    for (let tabs = 0; ; tabs++) {
        const ahead = await tab.evaluate((s) => !document.activeElement.matches(s) &&
            document.activeElement.compareDocumentPosition(document.querySelector(s)) &
            Node.DOCUMENT_POSITION_FOLLOWING, selector);
        if (ahead === false) {
            break;
        }
        assert.ok(tabs < 70, `no focus on ${selector}`);
        await tab.key(ahead ? 'Tab' : 'Shift+Tab');
    }
    await tab.key(table.keys[selector.slice(2)] ? 'Space' : 'Enter');
}

// Drops the file doc on the page, its bytes under its name.
function drop(tab, doc) {
    return tab.evaluate(([name, bytes]) => {
        const data = new DataTransfer();
        data.items.add(new File([new Uint8Array(bytes)], name));
        document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
    }, [basename(doc), [...readFileSync(doc)]]);
}

// Opens doc, chosen or dropped, or cancels the file picker for null, and waits until the source
// label shows the outcome, having emptied it first.
async function open(tab, doc, way) {
    await tab.evaluate(() => (document.getElementById('c4004').textContent = ''));
    await (way === 'drop' ? drop(tab, doc) : tab.choose('#picker', doc, () => press(tab, Open, way)));
    const shown = doc ? basename(doc) : table.noSource;
    await until(tab, (s) => document.getElementById('c4004').textContent === s, shown);
}

// Saves as name, typed into the name box.
async function saveAs(tab, name, way = 'mouse') {
    await press(tab, SaveAs, way);
    await tab.type(name);
    await press(tab, '#name button[value=save]', way);
}

// The caption and text of the message shown, once its OK is pressed when ok.
async function message(tab, ok = false) {
    const shown = await tab.evaluate(() => ['message-caption', 'message-text']
        .map((id) => document.getElementById(id).textContent));
    return ok ? tab.click(OK).then(() => shown) : shown;
}

// Presses keys on an empty password; the screen is checked after each.
async function enter(tab, keys, way, source, target) {
    let symbols = 0;
    for (const id of keys) {
        await press(tab, `#c${id}`, way);
        symbols = Math.min(20, symbols + table.keys[id].symbols);
        await expectScreen(tab, symbols < 5 ? TargetChosen : PasswordReady, source, target, symbols);
    }
}

function fnv1a64(bytes) {
    let h = 0xcbf29ce484222325n;
    for (const b of bytes) {
        h = ((h ^ BigInt(b)) * 0x100000001b3n) & 0xffffffffffffffffn;
    }
    return 'fnv1a64:' + h.toString(16).padStart(16, '0');
}

// The golden entries with ">" and more than 20 symbols: one for each size class, 0 to 4.
const jobs = readFileSync(join(TV_GOLDEN, 'manifest.txt'), 'utf8').split('\n')
    .filter((line) => line && !line.startsWith('#')).map((line) => line.split(' '))
    .map(([doc, keys, expected]) => [doc, keys.split(',').map(Number), expected])
    .filter(([, keys]) => keys.includes(4053) &&
        keys.reduce((n, id) => n + table.keys[id].symbols, 0) > 20);

// Each engine's whole jobs: the size class, the way of working and the page's size. Only
// Chromium's driver gives a page a touch screen.
const engineJobs = chromium
    ? [[0, 'mouse'], [1, 'touch', Phone], [2, 'keyboard'], [3, 'drop'], [4, 'mouse']]
    : [[0, 'mouse'], [1, 'keyboard', Phone], [4, 'mouse']];

// A whole job on the page at launch: the golden entry of size class i, the way given, its
// download against the golden corpus.
async function job(tab, i, way) {
    const [entry, keys, expected] = jobs[i];
    const [, bytes, seed] = entry.split(':');
    const doc = bytes ? join(work, `gen-${bytes}`) : join(TV_GOLDEN, entry);
    if (bytes) {
        execFileSync(TV_HELPER, ['gen', bytes, seed, doc]);
    }
    const file = basename(doc), name = 'scrambled ' + i;
    await expectScreen(tab, Start);
    await open(tab, doc, way);
    await expectScreen(tab, SourceChosen, file);
    await saveAs(tab, name, way);
    await expectScreen(tab, TargetChosen, file, name, 0);
    await enter(tab, keys, way, file, name);
    await press(tab, Run, way);
    assert.equal((await message(tab))[0], ' Closing......'); // its text is the core's
    await expectScreen(tab, PasswordReady, file, name, 20);
    const output = await tab.download(() => press(tab, OK, way));
    assert.equal(output.name, name + (extname(file) || '(2)'));
    assert.equal(fnv1a64(output.bytes), expected, entry);
    // The document, the output and the password are forgotten: the screen is at launch.
    await expectScreen(tab, Start);
    assert.ok(!tab.held || await tab.held() < 2.8e6, 'a document kept');
    assert.equal(await tab.evaluate(() => document.activeElement.id), 'c4002');
}

test('whole jobs give the golden output', async () => {
    for (const [i, way, size = Desktop] of engineJobs) {
        const tab = await load(size, way === 'touch');
        await job(tab, i, way);
        await tab.close();
    }
});

test('the limits, a document that cannot be read, a refused name and the cancels', async () => {
    const tab = await load();
    await open(tab, big, 'mouse');
    await saveAs(tab, 'out');
    await enter(tab, [4053, 4053, 4009], 'mouse', 'big.bin', 'out');
    // Each Run stops after its message and leaves the screen as it was; a new source keeps the
    // target and the password, and the page lets the one before go. The last source cannot be
    // read: the earlier small is not used.
    for (const [doc, shown, unreadable] of [
        [big, ['Big file', 'Big file.Please open smaller file or upgrade program']],
        [small, ['Small file', 'Small file.Please open bigger file']],
        [small, ['Warring', "Can't open file 1"], true]]) {
        await (unreadable && tab.evaluate(() => (Blob.prototype.arrayBuffer =
            () => Promise.reject(new DOMException('', 'NotReadableError')))));
        await open(tab, doc, 'mouse');
        await tab.click(Run);
        assert.deepEqual(await message(tab, true), shown);
        await expectScreen(tab, PasswordReady, basename(doc), 'out', 5);
    }
    assert.ok(!tab.held || await tab.held() < 2.8e6, 'big.bin kept');
    // A refused name, as typed, leaves the name box open and the focus in its field with the name
    // selected, so that the next name typed replaces it. A name of 255 characters, longer than a
    // path may be, closes the box and resets the target, the focus back on Save as. The focus
    // moves once the page has seen the message close.
    await tab.click(SaveAs);
    for (const name of ['', 'a/b', 'a\\b', 'n'.repeat(255)]) {
        await tab.type(name);
        assert.equal(await tab.evaluate(() => document.getElementById('name-text').value), name);
        await tab.click('#name button[value=save]');
        const kept = name.length < 255;
        assert.deepEqual(await message(tab, true), ['Warring', kept
            ? "Please type a name for the 'new' document, without / or \\"
            : 'The save path is too long. Please choose a shorter one']);
        await until(tab, (id) => document.activeElement.id === id, kept ? 'name-text' : 'c4006');
        await expectScreen(tab, kept ? PasswordReady : SourceChosen, 'small',
            ...(kept ? ['out', 5] : []));
    }
    // From there Save as takes a name by the keyboard, which the box's cancel resets again.
    await saveAs(tab, 'out', 'keyboard');
    await tab.click(SaveAs);
    await tab.click('#name button[value=cancel]');
    await expectScreen(tab, SourceChosen, 'small');
    await open(tab, null, 'mouse');
    await expectScreen(tab, Start, table.noSource);
    await tab.close();
});

// Four fonts that stand for what the page finds: Wine's Tahoma for the Tahoma of Windows and
// macOS, Liberation Sans with the widths of Arial and Helvetica (macOS, iOS), Roboto (Android)
// and DejaVu Sans (Linux), the widest. The page takes them from the test as bytes.
const fonts = Object.entries({
    Tahoma: '/usr/share/wine/fonts/tahoma.ttf',
    'Liberation Sans': '/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf',
    Roboto: '/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf',
    'DejaVu Sans': '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf',
}).map(([name, file]) => [name, readFileSync(file).toString('base64')]);

// In the page: each text shown, in its own font and in each of the fonts named, that is set under
// 12 px or does not fit its box (a box that scrolls holds what it scrolls to), and whether the
// page is wider than the screen.
function cutOff(names) {
    const cut = [];
    for (const font of ['', ...names]) {
        document.documentElement.style.fontFamily = font && `"test ${font}"`;
        for (const e of document.querySelectorAll(
            '#client > *, h1, dialog[open] :is(.caption, button, .text)')) {
            const style = getComputedStyle(e);
            if (parseFloat(style.fontSize) < 12 || (style.overflowY !== 'auto' &&
                (e.scrollWidth > e.clientWidth || e.scrollHeight > e.clientHeight))) {
                cut.push(`${font} ${e.id || e.className}: ${e.textContent.slice(0, 30)}`);
            }
        }
        if (document.documentElement.scrollWidth > innerWidth) {
            cut.push(`${font}: the page is wider than the screen`);
        }
    }
    document.documentElement.style.fontFamily = '';
    return cut;
}

test('in every state, at a desktop\'s size and a phone\'s, every text fits its box in every font ' +
    '(and in Chromium axe-core finds nothing); the keys keep their rows, large on a phone; Help ' +
    'and About show their texts; the policy refuses every connection', async () => {
    const tab = await load();
    await tab.evaluate(async (faces) => {
        for (const [name, base64] of faces) {
            const face = new FontFace(`test ${name}`, Uint8Array.from(atob(base64), (c) => c.charCodeAt(0)));
            document.fonts.add(await face.load());
        }
    }, fonts);
    const axe = chromium && readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
    await (axe && tab.page.evaluate(axe));
    // Each state at a phone's size and at the desktop's, to which the page is turned.
    const check = async (state) => {
        for (const size of [Phone, Desktop]) {
            await tab.resize(size.width, size.height);
            const where = `${size.width} px, ${state}`;
            assert.deepEqual(await tab.evaluate(cutOff, fonts.map(([name]) => name)), [], where);
            assert.deepEqual(axe ? (await tab.page.evaluate(() => axe.run())).violations
                .map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`) : [], [], where);
        }
    };
    await check('at launch');
    // The keys in the keypad's order, row by row: at the desktop's width in the dialog's four
    // rows of 13 keys, below it, down to a phone's and up to a pixel less, at least 44 x 44 px.
    for (const size of [Phone, { width: 549, height: 640 }, Desktop]) {
        await tab.resize(size.width, size.height);
        const keys = await tab.evaluate(() => [...document.querySelectorAll('.key')]
            .map((k) => k.getBoundingClientRect())
            .map((r) => [r.top, r.left, r.width >= 44 && r.height >= 44]));
        assert.ok(keys.every(([top, left], k) => !k || top > keys[k - 1][0] ||
            (top === keys[k - 1][0] && left > keys[k - 1][1])), 'keys out of order');
        assert.deepEqual(size === Desktop ? [...new Set(keys.map(([top]) => top))].map((top) =>
            keys.filter(([t]) => t === top).length) : keys.filter(([, , large]) => !large),
        size === Desktop ? [13, 13, 13, 13] : []);
    }
    // What a screen reader says of the controls: a name for each, the times key apart from X,
    // what the key without caption enters and how many symbols the mask shows.
    const heard = async (id) => {
        const { role, name, children = [] } =
            await tab.page.accessibility.snapshot({ root: await tab.page.$(id) });
        return [role, name, ...children.map((c) => c.name)];
    };
    if (chromium) {
        const ids = await tab.evaluate(() =>
            [...document.querySelectorAll('#client > *')].map((c) => `#${c.id}`));
        assert.deepEqual((await Promise.all(ids.map(heard))).filter(([, name]) => name).length, 62);
        assert.deepEqual(await Promise.all(['#c4009', '#c4056', '#c4032', '#c4010'].map(heard)), [
            ['button', 'Space'], ['button', 'x (times)'], ['button', 'X'],
            ['status', 'Password', 'no symbols entered']]);
    }
    // Help's 15 lines and About's stamp, as the Windows build puts them into its resources.
    for (const [id, box, caption, text] of [
        [4002, 1002, 'Tarvix-Help', /^ {20}Tarvix-Vantor, [^\n]+\n([^\n]*\n){14}$/],
        [4003, 1003, 'About Tarvix', /^ {17}Tarvix-Vantor\n {22}\(\d{6}\)\n\n {14}www/]]) {
        await tab.click(`#c${id}`);
        const shown = await tab.evaluate((b) => [`#box${b}-caption`, `#box${b} .text`]
            .map((selector) => document.querySelector(selector).textContent), box);
        assert.equal(shown[0], caption);
        assert.match(shown[1], text);
        await check(`box ${box}`);
        await tab.click(`#box${box} button`);
        await expectScreen(tab, Start);
    }
    await open(tab, note, 'mouse');
    await tab.click(SaveAs);
    await check('the name box');
    await tab.type('out');
    await tab.key('Enter');
    await expectScreen(tab, TargetChosen, 'note.txt', 'out', 0);
    for (let k = 0; k < 10; k++) {
        await tab.click('#c4053');
    }
    assert.deepEqual(chromium && await heard('#c4010'),
        chromium && ['status', 'Password', '20 symbols entered']);
    await check('20 symbols');
    await tab.click(Run);
    await check('the closing message');
    // Refused by the policy, which the browser reports as a violation, not by the network.
    assert.deepEqual(await tab.evaluate(async () => {
        const refused = [];
        document.addEventListener('securitypolicyviolation', (e) => refused.push(e.effectiveDirective));
        for (const url of ['data:,x', 'http://127.0.0.1/', 'https://127.0.0.1/']) {
            refused.push(await fetch(url).then(() => 'sent', () => 'failed'));
        }
        return new Promise((done) => setTimeout(() => done(refused.sort()), 200));
    }), [...Array(3).fill('connect-src'), ...Array(3).fill('failed')]);
    await tab.close(/Content.Security.Policy|^refused /i);
});

test('the document chosen last is opened, however long an earlier one takes; a drop while a box ' +
    'waits is ignored; the name box opens empty', { skip: !chromium && 'the same script' },
async () => {
    const tab = await load();
    // Reading a document waits until the test lets it go.
    const slowly = () => tab.evaluate(() => {
        const read = Blob.prototype.arrayBuffer;
        Blob.prototype.arrayBuffer = function () {
            Blob.prototype.arrayBuffer = read;
            return new Promise((done) => (window.letGo = () => done(read.call(this))));
        };
    });
    // Lets a read that waits go, and gives the page the time to take what it read.
    const letGo = () => tab.evaluate(() => new Promise((done) => setTimeout(done, 100, window.letGo?.())));
    // The earlier document is not kept either.
    await slowly();
    await tab.choose('#picker', big, () => tab.click(Open));
    await open(tab, note, 'drop');
    await letGo();
    await expectScreen(tab, SourceChosen, 'note.txt');
    assert.ok(await tab.held() < 2.8e6, 'big.bin kept');
    await slowly();
    await tab.choose('#picker', small, () => tab.click(Open));
    await open(tab, null, 'mouse');
    await letGo();
    await expectScreen(tab, Start, table.noSource);
    await open(tab, note, 'mouse');
    await tab.click(SaveAs);
    await tab.type('first');
    await drop(tab, small);
    await letGo();
    await tab.click('#name button[value=cancel]');
    await tab.click(SaveAs);
    assert.equal(await tab.evaluate(() => document.getElementById('name-text').value), '');
    await tab.click('#name button[value=cancel]');
    await expectScreen(tab, SourceChosen, 'note.txt');
    await tab.close();
});

// The web app served from 127.0.0.1 by tools/serve for test t, from a folder that stands for
// folder and can be made to stand for another (to(next)); close() stops it, as a network that
// goes away, and so does the end of t, however it ends.
async function host(t, folder) {
    const site = join(work, `site-${Date.now()}`);
    symlinkSync(folder, site);
    const server = spawn(join(source, 'tools', 'serve'), [site, '0'],
        { stdio: ['ignore', 'pipe', 'ignore'] });
    t.after(() => server.kill());
    const [, url] = String(await once(server.stdout, 'data')).match(/\((http:\S+)\)/);
    const to = (next) => {
        symlinkSync(next, `${site}.next`);
        renameSync(`${site}.next`, site);
    };
    return { url, to, close: () => server.kill() };
}

// What the page's origin keeps: each cache's name and its entries' addresses and bytes; what its
// local storage and IndexedDB hold.
const kept = (tab) => tab.evaluate(async () => ({
    caches: await Promise.all((await caches.keys()).map(async (name) => [name, await Promise.all(
        (await (await caches.open(name)).matchAll())
            .map(async (r) => [r.url, [...new Uint8Array(await r.arrayBuffer())]]))])),
    storage: localStorage.length, databases: (await indexedDB.databases()).length,
}));

test('the web app: its worker keeps exactly its files, it runs a whole job online and one offline, ' +
    'keeps no byte of a document and can be installed', { skip: engine === 'webkit' }, async (t) => {
    const server = await host(t, TV_APP);
    const files = readdirSync(TV_APP).filter((name) => name !== 'sw.js');
    const tab = await load(Desktop, false, server.url);
    await until(tab, () => navigator.serviceWorker.controller?.state === 'activated');
    await job(tab, 0, 'mouse');
    // Only the app's files, byte for byte, in one cache; nothing else anywhere.
    const { caches: [[name, entries], ...others], storage, databases } = await kept(tab);
    assert.match(name, /^tarvix-vantor http:\/\/127\.0\.0\.1:\d+\/ 1\.0\.0-[0-9a-f]{16}$/);
    assert.deepEqual({ others, storage, databases, entries: Object.fromEntries(entries) }, {
        others: [], storage: 0, databases: 0, entries: Object.fromEntries(files.map((file) =>
            [server.url + file, [...readFileSync(join(TV_APP, file))]])),
    });
    if (chromium) {
        const cdp = await tab.page.createCDPSession();
        assert.deepEqual(await cdp.send('Page.getInstallabilityErrors'), { installabilityErrors: [] });
        // Each icon's width and height, as its PNG header gives them.
        const { icons } = JSON.parse(readFileSync(join(TV_APP, 'manifest.webmanifest')));
        assert.deepEqual(icons.map(({ src }) => readFileSync(join(TV_APP, src))).map((png) =>
            `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`), icons.map(({ sizes }) => sizes));
    }
    // With no network the largest document runs, the page having started again after the first
    // job as the program would, and the worker starts the app anew.
    server.close();
    await job(tab, 4, 'mouse');
    await tab.evaluate(() => setTimeout(() => location.reload()));
    await watch(tab);
    // The reload requests the page's files again, and its empty icon.
    await tab.close(new RegExp(`^(loaded )?${server.url}(${files.join('|')})?$|^data:,$`));
});

test('a new version on the host: a later visit installs it, the next one runs it, and only its ' +
    'cache stays', { skip: !chromium && 'the same worker' }, async (t) => {
    const server = await host(t, TV_APP);
    const tab = await load(Desktop, false, server.url);
    await until(tab, () => navigator.serviceWorker.controller?.state === 'activated');
    const [first] = await tab.evaluate(() => caches.keys());
    // The same app with another build stamp.
    const next = join(work, 'next');
    execFileSync('python3', [join(source, 'web/page.py'), source, '311299',
        join(dirname(TV_APP), 'tarvix-page.js'), join(work, 'next.html'), '1.0.0', next]);
    server.to(next);
    for (let visit = 0; visit < 2; visit++) { // the first installs it, the second runs it
        await tab.evaluate(() => setTimeout(() => location.reload()));
        await watch(tab);
        await until(tab, (old) => caches.keys()
            .then((names) => names.length === 1 && names[0] !== old), first);
    }
    await tab.click('#c4003');
    assert.match(await tab.evaluate(() => document.querySelector('#box1003 .text').textContent), /\(311299\)/);
    server.close();
    await tab.close(new RegExp(`^(loaded )?${server.url}\\S*$|^data:,$`));
});
