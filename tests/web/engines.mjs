// The three browser engines that the page is tested in, each behind the same few calls, so that
// one set of checks (page_test.mjs) and the benchmark (bench/page.mjs) drive them alike:
//   const browser = await launch(engine);    'chromium', 'firefox' or 'webkit'
//   const tab = await browser.open({ url, width, height, touch, before });  before(), if given,
//                            runs in the page ahead of its own script (not in WebKit)
//   tab.evaluate(fn, arg)    runs fn(arg) in the page and gives its result, once awaited
//   tab.click(selector), tab.tap(selector), tab.type(text),
//   tab.key('Tab' | 'Shift+Tab' | 'Enter' | 'Space')
//   tab.choose(input, path, press)  gives the file input the file at path, or cancels its picker
//                            for null, press() opening the picker as the user would
//   tab.download(action)     { name, bytes } of the file that action() makes the browser save
//   tab.resize(width, height), tab.seen() (requests after the load and errors that the driver
//   reports), tab.close(), browser.close(); until(tab, fn, arg) waits until fn(arg) is true.
//   In Chromium also tab.heap(), and tab.page, puppeteer's own page.
// Chromium and Firefox ESR are Debian's, through puppeteer-core; WebKit is WebKitGTK's
// MiniBrowser, through selenium-webdriver and WebKitWebDriver, on the X display that the caller
// gives it. None of the drivers downloads a browser.
import { mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

export async function until(tab, fn, arg) {
    // Not while a new page is loading, where it finds no page to run in.
    for (let waited = 0; !(await tab.evaluate(fn, arg).catch(() => false)); waited += 20) {
        if (waited > 20000) {
            throw new Error(`waited in vain for ${fn}`);
        }
        await sleep(20);
    }
}

// The one file that action() makes the browser save into folder, once it is whole: Chromium and
// Firefox write it under a name of their own first, WebKit empty first and then in pieces. A
// download is never empty, and whole once it has kept its size for a while.
async function saved(folder, action) {
    for (const name of readdirSync(folder)) {
        rmSync(join(folder, name));
    }
    await action();
    let last = '';
    for (let waited = 0; waited < 20000; waited += 100) {
        await sleep(100);
        const names = readdirSync(folder);
        const now = names.length === 1 && !/\.(crdownload|part)$/.test(names[0]) &&
            `${names[0]} ${statSync(join(folder, names[0])).size}`;
        if (now && now === last && !now.endsWith(' 0')) {
            return { name: names[0], bytes: readFileSync(join(folder, names[0])) };
        }
        last = now;
    }
    throw new Error(`no download in ${folder}`);
}

// Chromium, through its DevTools protocol, and Firefox, through WebDriver BiDi, both driven by
// puppeteer-core. Without the flags that silence its background services, Chromium tries many
// connections of its own. Firefox's driver cancels a file picker that a click opens, even one
// that it answers: the file goes into the input straight, as a new choice even of the same file.
// With Firefox's downloads panel, which opens after each download, the page would lose the
// keyboard's focus.
async function puppeteer(engine) {
    const { default: puppeteer } = await import('puppeteer-core');
    const downloads = mkdtempSync(join(tmpdir(), 'tv-downloads-'));
    const chromium = engine === 'chromium';
    const browser = await puppeteer.launch(chromium ? {
        executablePath: '/usr/bin/chromium',
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-sync',
            '--disable-background-networking', '--disable-component-update'],
    } : {
        browser: 'firefox', executablePath: '/usr/bin/firefox-esr',
        extraPrefsFirefox: {
            'browser.download.dir': downloads, 'browser.download.folderList': 2,
            'browser.download.useDownloadDir': true, 'browser.download.alwaysOpenPanel': false,
            'browser.download.always_ask_before_handling_new_types': false,
        },
    });
    // The browser's own profile, not a private one, which a web app could not be installed from.
    const context = browser.defaultBrowserContext();
    await (chromium && context.setDownloadBehavior({ policy: 'allow', downloadPath: downloads }));
    return {
        async open({ url, width, height, touch = false, before }) {
            const page = await context.newPage();
            const screen = { hasTouch: touch, isMobile: touch };
            await page.setViewport({ width, height, ...screen });
            const seen = { requests: [], errors: [] };
            page.on('console', (m) => m.type() === 'error' && seen.errors.push(m.text()));
            page.on('pageerror', (e) => seen.errors.push(e.message));
            await (before && page.evaluateOnNewDocument(before));
            await page.goto(url);
            page.on('request', (r) => seen.requests.push(r.url()));
            const cdp = chromium && await page.createCDPSession();
            return {
                page,
                evaluate: (fn, arg) => page.evaluate(fn, arg),
                click: (selector) => page.click(selector),
                tap: (selector) => page.tap(selector),
                type: (text) => page.keyboard.type(text),
                async key(name) {
                    const [shift, key] = name === 'Shift+Tab' ? [true, 'Tab'] : [false, name];
                    await (shift && page.keyboard.down('Shift'));
                    await page.keyboard.press(key === 'Space' ? ' ' : key);
                    await (shift && page.keyboard.up('Shift'));
                },
                async choose(input, path, press) {
                    if (chromium) {
                        const [chooser] = await Promise.all([page.waitForFileChooser(), press()]);
                        return path ? chooser.accept([path]) : chooser.cancel();
                    }
                    if (!path) {
                        return press();
                    }
                    const field = await page.$(input);
                    await field.evaluate((e) => (e.value = ''));
                    await field.uploadFile(path);
                },
                download: (action) => saved(downloads, action),
                resize: (w, h) => page.setViewport({ width: w, height: h, ...screen }),
                seen: () => seen,
                // Chromium's JavaScript heap and array buffers, after a garbage collection.
                heap: cdp && (async () => {
                    await cdp.send('HeapProfiler.collectGarbage');
                    const { usedSize, backingStorageSize } = await cdp.send('Runtime.getHeapUsage');
                    return usedSize + backingStorageSize;
                }),
                close: () => page.close(),
            };
        },
        async close() {
            await browser.close();
            rmSync(downloads, { recursive: true, force: true });
        },
    };
}

// MiniBrowser has no headless mode, and its window goes no narrower than 447 px: the page is
// shown in a frame of the size asked for. The frame reaches the keyboard's focus only where a
// file:// page may reach another file. The browser saves downloads into the XDG download folder.
// Its driver reports neither requests nor console messages, and it cancels a file picker that a
// click opens: the file goes into the input straight, as a new choice.
async function webkit() {
    const { Builder, By, Key } = await import('selenium-webdriver');
    const { DriverService } = await import('selenium-webdriver/remote/index.js');
    const { findFreePort } = await import('selenium-webdriver/net/portprober.js');
    const home = mkdtempSync(join(tmpdir(), 'tv-webkit-'));
    const downloads = join(home, 'downloads');
    mkdirSync(downloads);
    writeFileSync(join(home, 'user-dirs.dirs'), `XDG_DOWNLOAD_DIR="${downloads}"\n`);
    const port = await findFreePort();
    const server = new DriverService('/usr/bin/WebKitWebDriver', {
        loopback: true, port, args: [`--port=${port}`],
        env: { ...process.env, HOME: home, XDG_CONFIG_HOME: home },
    });
    const driver = await new Builder().usingServer(await server.start()).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': {
            binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
            args: ['--automation', '--allow-file-access-from-file-urls=true'],
        },
    }).build();
    await driver.manage().window().setRect({ width: 1000, height: 800 });
    const keys = { Tab: Key.TAB, 'Shift+Tab': Key.chord(Key.SHIFT, Key.TAB), Enter: Key.ENTER,
        Space: Key.SPACE };
    const place = (w, h) => `border:0;display:block;width:${w}px;height:${h}px`;
    return {
        async open({ url, width, height }) {
            const holder = join(home, 'frame.html');
            writeFileSync(holder, '<!DOCTYPE html><body style="margin:0">' +
                `<iframe id="page" src="${url}" style="${place(width, height)}"></iframe>`);
            await driver.get(pathToFileURL(holder).href);
            await driver.switchTo().frame(await driver.findElement(By.id('page')));
            return {
                evaluate: (fn, arg) => driver.executeScript(`return (${fn})(arguments[0])`, arg),
                click: async (selector) => (await driver.findElement(By.css(selector))).click(),
                key: (name) => driver.actions().sendKeys(keys[name]).perform(),
                type: (text) => driver.actions().sendKeys(text).perform(),
                async choose(input, path, press) {
                    if (!path) {
                        return press();
                    }
                    const field = await driver.findElement(By.css(input));
                    await driver.executeScript('arguments[0].value = ""', field);
                    await field.sendKeys(path);
                },
                download: (action) => saved(downloads, action),
                resize: (w, h) => driver.executeScript(`frameElement.style = '${place(w, h)}'`),
                seen: () => ({ requests: [], errors: [] }),
                close: () => driver.switchTo().defaultContent(),
            };
        },
        async close() {
            await driver.quit();
            await server.kill();
            rmSync(home, { recursive: true, force: true });
        },
    };
}

export function launch(engine) {
    return engine === 'webkit' ? webkit() : puppeteer(engine);
}
