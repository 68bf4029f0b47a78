// Keeps the whole site in the browser, so that after one visit the game starts with no network.
// The build writes the cache's name, which changes with every build, and the site's files below.
'use strict';

const cachePrefix = 'rpg-site-';
const cacheName = '@RPG_CACHE_NAME@';
const siteFiles = @RPG_SITE_FILES@;

// A new build's files come from the server, never from the browser's ordinary cache.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(siteFiles.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

// The new build's cache replaces any earlier build's.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(cachePrefix) && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The site's files come from the cache, so every file of a page is of one build; anything else
// goes to the network.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) {
    return;
  }
  const home = url.pathname === new URL(self.registration.scope).pathname;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(home ? 'index.html' : event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
