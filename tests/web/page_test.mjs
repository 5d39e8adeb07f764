// The web page in headless Chromium (Debian's, driven by playwright-core), opened from file:// as
// a person uses it: a whole job at each size class, by mouse, by keyboard alone, by finger at
// phone width and by a dropped file, whose download must equal the golden corpus and the
// command-line program's output, with the screen checked after every step against the dialog
// tests' table of states (from web_helper); the messages of the limits, of a document that cannot
// be read and of a refused name; and no request at all once the page has loaded.
// TV_SHOTS, when set, names the folder for the screenshots of the read-me.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, extname, join } from 'node:path';
import { after, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import { launch } from './chromium.mjs';

const { TV_PAGE, TV_HELPER, TV_CLI, TV_GOLDEN, TV_SHOTS } = process.env;
const table = JSON.parse(execFileSync(TV_HELPER, ['states']));
const [Start, SourceChosen, TargetChosen, PasswordReady] = [0, 1, 2, 3];
const Open = '#c4005', SaveAs = '#c4006', Run = '#c4008', OK = '#message button';
const work = mkdtempSync(join(tmpdir(), 'tv-web-'));
const browser = await launch();
after(() => browser.close());

// A new page at a desktop's or a phone's size. Everything it requests once loaded, and every
// error it reports, is recorded; close() checks that there was none. held() gives the bytes that
// its JavaScript heap and array buffers, where its folder keeps the documents, have grown by
// since the load (after a garbage collection): some 1 MB as its script runs, no document.
async function load(phone = false) {
    const context = await browser.newContext({
        viewport: phone ? { width: 360, height: 470 } : { width: 600, height: 430 },
        hasTouch: phone, isMobile: phone, acceptDownloads: true,
    });
    const page = await context.newPage();
    const requests = [], errors = [];
    page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(pathToFileURL(TV_PAGE).href);
    context.on('request', (r) => requests.push(r.url()));
    await page.waitForFunction(() => document.activeElement.id === 'c4002');
    const cdp = await context.newCDPSession(page);
    const heap = async () => {
        await cdp.send('HeapProfiler.collectGarbage');
        const { usedSize, backingStorageSize } = await cdp.send('Runtime.getHeapUsage');
        return usedSize + backingStorageSize;
    };
    const launched = await heap();
    page.held = async () => (await heap()) - launched;
    page.close = async (expected = /^$/) => {
        assert.deepEqual({ requests, errors: errors.filter((e) => !expected.test(e)) },
            { requests: [], errors: [] });
        await context.close();
    };
    return page;
}

// The screen against state s of the table with these labels; a label not given is as in s at
// launch.
async function expectScreen(page, s, source = table.launchSource, target = table.noTarget,
    mask = table.placeholder) {
    const screen = await page.evaluate(() => ({
        enabled: [...document.getElementById('client').children]
            .filter((c) => !c.matches(':disabled, [aria-disabled=true]'))
            .map((c) => Number(c.id.slice(1))).sort((a, b) => a - b),
        labels: ['c4004', 'c4007', 'c4010'].map((id) => document.getElementById(id).textContent),
    }));
    assert.deepEqual(screen, { enabled: table.enabled[s], labels: [source, target, mask] });
}

// Presses a control as a user would: click, tap, or Tab until it has the focus and then Enter
// (Space on the keypad).
async function press(page, selector, way) {
    if (way === 'touch') {
        return page.tap(selector);
    }
    if (way !== 'keyboard') {
        return page.click(selector);
    }
    for (let tabs = 0; !(await page.evaluate((s) => document.activeElement.matches(s), selector));
        tabs++) {
        assert.ok(tabs < 70, `no focus on ${selector}`);
        await page.keyboard.press('Tab');
    }
    await page.keyboard.press(table.keys[selector.slice(2)] ? 'Space' : 'Enter');
}

// Opens doc (or, for a drop, its bytes under its name), or cancels the file picker for null,
// and waits until the source label shows the outcome, having emptied it first.
async function open(page, doc, way) {
    await page.evaluate(() => (document.getElementById('c4004').textContent = ''));
    if (way === 'drop') {
        await page.evaluate(([name, bytes]) => {
            const data = new DataTransfer();
            data.items.add(new File([new Uint8Array(bytes)], name));
            document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
        }, [basename(doc), [...readFileSync(doc)]]);
    } else if (doc) {
        const [chooser] = await Promise.all([page.waitForEvent('filechooser'),
            press(page, Open, way)]);
        await chooser.setFiles(doc);
    } else {
        await press(page, Open, way); // headless, a picker nobody waits for is cancelled
    }
    const shown = doc ? basename(doc) : table.noSource;
    await page.waitForFunction((s) => document.getElementById('c4004').textContent === s, shown);
}

// Types name into the name box, or cancels it for null.
async function saveAs(page, name, way = 'mouse') {
    await press(page, SaveAs, way);
    if (name !== null) {
        await page.keyboard.type(name);
    }
    await press(page, `#name button[value=${name === null ? 'cancel' : 'save'}]`, way);
}

// The caption and text of the message shown, once its OK is pressed when ok.
async function message(page, ok = false) {
    const shown = await page.evaluate(() => ['message-caption', 'message-text']
        .map((id) => document.getElementById(id).textContent));
    return ok ? page.click(OK).then(() => shown) : shown;
}

// Presses keys on an empty password; the screen is checked after each.
async function enter(page, keys, way, source, target) {
    let symbols = 0;
    for (const id of keys) {
        await press(page, `#c${id}`, way);
        symbols = Math.min(20, symbols + table.keys[id].symbols);
        await expectScreen(page, symbols < 5 ? TargetChosen : PasswordReady, source, target,
            table.masks[symbols]);
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

test('a whole job at each size class gives the golden output, the same as the command line',
    async () => {
        assert.equal(jobs.length, 5);
        const ways = ['mouse', 'touch', 'keyboard', 'drop', 'mouse'];
        for (const [i, [entry, keys, expected]] of jobs.entries()) {
            const [, size, seed] = entry.split(':');
            const doc = size ? join(work, `gen-${size}`) : join(TV_GOLDEN, entry);
            if (size) {
                execFileSync(TV_HELPER, ['gen', size, seed, doc]);
            }
            const page = await load(ways[i] === 'touch');
            const file = basename(doc), name = 'scrambled ' + i;
            await expectScreen(page, Start);
            await open(page, doc, ways[i]);
            await expectScreen(page, SourceChosen, file);
            await saveAs(page, name, ways[i]);
            await expectScreen(page, TargetChosen, file, name, table.masks[0]);
            await enter(page, keys, ways[i], file, name);
            if (TV_SHOTS && i < 2) {
                await page.mouse.move(0, 0);
                await page.screenshot({ path: join(TV_SHOTS, ['web.png', 'web-phone.png'][i]) });
            }
            await press(page, Run, ways[i]);
            assert.equal((await message(page))[0], ' Closing......'); // its text is the core's
            await expectScreen(page, PasswordReady, file, name, table.masks[20]);
            const [download] = await Promise.all([page.waitForEvent('download'),
                press(page, OK, ways[i])]);
            assert.equal(download.suggestedFilename(), name + (extname(file) || '(2)'));
            const bytes = readFileSync(await download.path());
            assert.equal(fnv1a64(bytes), expected, entry);
            // The document, the output and the password are forgotten: the screen is at launch.
            await expectScreen(page, Start);
            assert.ok(await page.held() < 2.8e6, 'a document kept');
            assert.equal(await page.evaluate(() => document.activeElement.id), 'c4002');
            // The command-line program takes the keys that the keypad accepted, 20 symbols.
            let symbols = 0;
            const taken = keys.filter((id) => (symbols += table.keys[id].symbols) <= 20);
            const captions = taken.map((id) => table.keys[id].caption || ' ').join('');
            const out = execFileSync(TV_CLI, ['--keys', captions, doc, join(work, 'cli')]);
            assert.ok(bytes.equals(readFileSync(out.toString().trim())), entry);
            await page.close();
        }
    });

test('the limits, a document that cannot be read, a refused name and the cancels', async () => {
    const page = await load();
    const small = join(work, 'small'), big = join(work, 'big.bin');
    execFileSync(TV_HELPER, ['gen', '3', '1', small]);
    execFileSync(TV_HELPER, ['gen', '2800001', '2', big]);
    await open(page, big, 'mouse');
    await saveAs(page, 'out');
    await enter(page, [4053, 4053, 4009], 'mouse', 'big.bin', 'out');
    // Each Run stops after its message and leaves the screen as it was; a new source keeps the
    // target and the password, and the page lets the one before go. The last source cannot be
    // read: the earlier small is not used.
    for (const [doc, shown, unreadable] of [
        [big, ['Big file', 'Big file.Please open smaller file or upgrade program']],
        [small, ['Small file', 'Small file.Please open bigger file']],
        [small, ['Warring', "Can't open file 1"], true]]) {
        if (unreadable) {
            await page.evaluate(() => {
                Blob.prototype.arrayBuffer = () => Promise.reject(new DOMException('', 'NotReadableError'));
            });
        }
        await open(page, doc, 'mouse');
        await page.click(Run);
        assert.deepEqual(await message(page, true), shown);
        await expectScreen(page, PasswordReady, basename(doc), 'out', table.masks[5]);
    }
    assert.ok(await page.held() < 2.8e6, 'big.bin kept');
    // A refused name leaves the name box open; its cancel returns to Source chosen.
    await page.click(SaveAs);
    for (const name of ['', 'a/b', 'a\\b']) {
        await page.fill('#name-text', name);
        await page.click('#name button[value=save]');
        assert.deepEqual(await message(page, true),
            ['Warring', "Please type a name for the 'new' document, without / or \\"]);
        assert.ok(await page.isVisible('#name'));
        await expectScreen(page, PasswordReady, 'small', 'out', table.masks[5]);
    }
    await page.click('#name button[value=cancel]');
    await expectScreen(page, SourceChosen, 'small');
    await open(page, null, 'mouse');
    await expectScreen(page, Start, table.noSource);
    await page.close();
});

test('at launch: Help has the focus, every control a name, and no connection is allowed',
    async () => {
        const page = await load();
        const named = (await page.locator('#client').ariaSnapshot()).match(/^- \w+ "[^"]+"/gm);
        assert.equal(named.length, 62);
        assert.ok(named.includes('- button "Key without caption"'));
        // Help's 15 lines and About's stamp, as the Windows build puts them into its resources.
        for (const [id, box, caption, text] of [
            [4002, 1002, 'Tarvix-Help', /^ {20}Tarvix-Vantor, [^\n]+\n([^\n]*\n){14}$/],
            [4003, 1003, 'About Tarvix', /^ {17}Tarvix-Vantor\n {22}\(\d{6}\)\n\n {14}www/]]) {
            await page.click(`#c${id}`);
            assert.equal(await page.textContent(`#box${box}-caption`), caption);
            assert.match(await page.textContent(`#box${box} .text`), text);
            await page.click(`#box${box} button`);
            await expectScreen(page, Start);
        }
        const sent = await page.evaluate(() => fetch('data:,x').then(() => 'sent', () => 'refused'));
        assert.equal(sent, 'refused');
        await page.close(/violates .*Content Security Policy/);
    });
