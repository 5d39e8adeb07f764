// Debian's Chromium, headless, through playwright-core, for the page's tests and its benchmark.
// Nothing is downloaded: playwright-core is only the driver. Without the flags that silence its
// background services, Chromium tries many connections of its own.
import { chromium } from 'playwright-core';

export function launch() {
    return chromium.launch({
        executablePath: '/usr/bin/chromium',
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-sync',
            '--disable-background-networking', '--disable-component-update'],
    });
}
