// Times the Run of one document in the web page, in headless Chromium and in headless Firefox, as
// a user starts it: the whole Run button's command, from the press until the closing message is
// up (the count, the bit buffer, the flips and the output written into the page's memory). Each
// round is a whole job (Open, Save as, 19 keys, Run, OK and the download), since a page forgets
// everything after its download; the page prepares the memory of a Run once the document is
// open, while the keys are pressed. At launch and after each round it reads the size of the
// page's WebAssembly memory, and in Chromium of its JavaScript heap with its buffers (after a
// garbage collection): a Run gives its bit buffer back, so that no round after the first grows
// the WebAssembly memory, and the page forgets the document and the output, so that the heap
// stays as at launch. Prints the times beside the command-line Run's (NATIVE_US microseconds)
// and the sizes, and fails on growth.
//   node bench/page.mjs PAGE DOCUMENT ROUNDS NATIVE_US
import { pathToFileURL } from 'node:url';

import { launch, until } from '../tests/web/engines.mjs';

const [page, doc, rounds, nativeUs] = process.argv.slice(2);
const native = nativeUs / 1000;
const ms = (t) => `${t.toFixed(1)} ms`;
let grew = false;

// The page's WebAssembly memory, caught as the module is instantiated.
function catchMemory() {
    const Instance = WebAssembly.Instance;
    WebAssembly.Instance = function (module, imports) {
        const instance = new Instance(module, imports);
        window.wasmMemory = Object.values(instance.exports)
            .find((e) => e instanceof WebAssembly.Memory);
        return instance;
    };
}

for (const [engine, name] of [['chromium', 'Chromium'], ['firefox', 'Firefox']]) {
    const browser = await launch(engine);
    const tab = await browser.open({
        url: pathToFileURL(page).href, width: 600, height: 430, before: catchMemory,
    });
    await until(tab, () => document.activeElement.id === 'c4002');
    // Bytes of the WebAssembly memory, and in Chromium of the JavaScript heap with the array
    // buffers, where the documents in the page's memory are held.
    const memory = async () => ({ wasm: await tab.evaluate(() => wasmMemory.buffer.byteLength),
        heap: tab.heap && await tab.heap() });
    const keys = await tab.evaluate(() => [...'ABCDEFGHIJKLMNOPQRS'].map((caption) =>
        [...document.querySelectorAll('.key')].find((k) => k.textContent === caption).id));
    const launched = await memory();
    const seen = [];
    for (let round = 0; round < Number(rounds); round++) {
        await tab.choose('#picker', doc, () => tab.click('#c4005'));
        await until(tab, () => !document.getElementById('c4006').disabled);
        await tab.click('#c4006');
        await tab.type('out');
        await tab.key('Enter');
        for (const key of keys) {
            await tab.click(`#${key}`);
        }
        const took = await tab.evaluate(() => {
            const start = performance.now();
            document.getElementById('c4008').click();
            return performance.now() - start;
        });
        await tab.download(() => tab.click('#message button'));
        seen.push({ ms: took, ...(await memory()) });
    }
    await browser.close();

    const mb = (key) => `${(launched[key] / 1e6).toFixed(1)} MB at launch, after each Run ` +
        seen.map((m) => (m[key] / 1e6).toFixed(1)).join(', ') + ' MB';
    const later = seen.slice(1).map((m) => m.ms).sort((a, b) => a - b);
    const median = later[Math.floor((later.length - 1) / 2)];
    console.log(`\nWeb page Run of 2,800,000 B (headless ${name}): first ${ms(seen[0].ms)}, then ` +
        `${ms(median)} (median of ${later.length})`);
    console.log(`  ${(seen[0].ms / native).toFixed(1)} x and ${(median / native).toFixed(1)} x the ` +
        'command-line Run');
    console.log(`The page's WebAssembly memory: ${mb('wasm')}`);
    if (tab.heap) {
        console.log(`Its JavaScript heap and buffers: ${mb('heap')}`);
    }
    // The heap grows by some 1 MB as the page runs its script; a document kept would add 2.8 MB.
    grew ||= seen.some((m) => m.wasm > seen[0].wasm || m.heap > launched.heap + 2.8e6);
}
if (grew) {
    console.log('The page kept memory from one Run to the next');
    process.exit(1);
}
