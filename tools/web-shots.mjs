// Takes the web page's pictures for the read-me, web.png and web-phone.png: the page at a
// desktop's size, and at a phone's with a touch screen, in headless Chromium, once a document is
// opened, a name given and 20 symbols entered.
//   node tools/web-shots.mjs PAGE DOCUMENT FOLDER
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { launch, until } from '../tests/web/engines.mjs';

const [page, doc, folder] = process.argv.slice(2);
const browser = await launch('chromium');
const shots = [['web.png', 600, 460, false], ['web-phone.png', 360, 820, true]];
for (const [name, width, height, touch] of shots) {
    const tab = await browser.open({ url: pathToFileURL(page).href, width, height, touch });
    await until(tab, () => document.activeElement.id === 'c4002');
    await tab.choose('#picker', doc, () => tab.click('#c4005'));
    await until(tab, () => !document.getElementById('c4006').disabled);
    await tab.click('#c4006');
    await tab.type('scrambled');
    await tab.key('Enter');
    for (let symbols = 0; symbols < 20; symbols += 2) {
        await tab.click('#c4053'); // ">", two symbols
    }
    await tab.page.mouse.move(0, 0);
    await tab.page.screenshot({ path: join(folder, name), captureBeyondViewport: false });
    await tab.close();
}
await browser.close();
