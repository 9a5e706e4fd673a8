// The service worker: keeps the page, the engine and the demo in a cache on
// the first visit and answers from that cache first, so later visits play
// without a network. A new release changes VERSION, which makes the browser
// install the new worker, fill a new cache and drop the old one.

const VERSION = 'ferkite-2';

// The page and the engine. Files a build may not have (the engine's
// optional parts) are left out of the cache without failing the install.
const REQUIRED = ['./', 'index.html', 'app.js', 'style.css', 'store.js', 'zip.js', 'gamefiles.js',
  'engine.js', 'manifest.webmanifest', 'icons/icon-192.png', 'icons/icon-512.png'];
const OPTIONAL = ['dialogs.js', 'ferkite.js', 'ferkite.wasm', 'ferkite.data', 'ferkite.worker.js',
  'engine/glyphs-gb2312.atlas'];

async function addOptional(cache, url) {
  try {
    const response = await fetch(url, { cache: 'reload' });
    if (response.ok) await cache.put(url, response);
  } catch {
    // Not part of this build.
  }
}

async function fill() {
  const cache = await caches.open(VERSION);
  await cache.addAll(REQUIRED.map((url) => new Request(url, { cache: 'reload' })));
  await Promise.all(OPTIONAL.map((url) => addOptional(cache, url)));
  const listed = await fetch('demo/files.json', { cache: 'reload' });
  if (!listed.ok) throw new Error('the demo\'s file list cannot be loaded');
  const names = await listed.clone().json();
  await cache.put('demo/files.json', listed);
  await cache.addAll(names.map((name) => new Request(
      `demo/${String(name).split('/').map(encodeURIComponent).join('/')}`, { cache: 'reload' })));
}

self.addEventListener('install', (event) => {
  event.waitUntil(fill().then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name !== VERSION) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// Cache first; what is not in the cache comes from the network and is kept
// when it is a whole answer from this site (the engine's parts it loads
// later).
self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(VERSION);
    const cached = await cache.match(request, { ignoreSearch: request.mode === 'navigate' });
    if (cached) return cached;
    const response = await fetch(request);
    if (response.ok && response.status === 200 && response.type === 'basic') {
      await cache.put(request, response.clone());
    }
    return response;
  })());
});
