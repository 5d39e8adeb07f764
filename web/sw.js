// The web app's worker. At its install it keeps the app's files in a cache of its own version; it
// answers the app's requests for them from there, so that the app starts and runs with no
// network; at its activation it deletes the caches that other versions of the app in this folder
// kept. It fetches nothing but the app's own files, and no document passes through it: the page
// reads, scrambles and saves documents in its own memory. web/page.py fills in each @NAME@.
'use strict';

const files = @FILES@; // beside this worker
const folder = `tarvix-vantor ${registration.scope} `;
const cache = folder + '@VERSION@';

// Each file comes from the host, not from the browser's cache, which may hold another version.
self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cache)
        .then((kept) => kept.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
        .then(() => self.skipWaiting()));
});

// The page is one file that holds its script and style, so one already open goes on as it is;
// the next one opened is the new version's.
self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => names.filter((name) => name.startsWith(folder) && name !== cache))
        .then((old) => Promise.all(old.map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// The folder itself stands for its page.
self.addEventListener('fetch', (event) => {
    const url = new URL(event.request.url);
    const path = url.origin + url.pathname;
    const file = path === registration.scope ? 'index.html' : path.slice(registration.scope.length);
    const ours = path.startsWith(registration.scope) && files.includes(file);
    if (event.request.method === 'GET' && ours) {
        event.respondWith(caches.open(cache).then((kept) => kept.match(file))
            .then((found) => found ?? fetch(event.request)));
    }
});
