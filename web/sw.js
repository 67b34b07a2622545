// The page's service worker: it keeps one release of the game in a cache
// named after the release, so that a later visit starts from the device and
// plays with no network.
//
// web-dist (tools/web/build.sh) writes the release's name and its files in
// place of the markers below, so this file changes with every release and the
// browser installs the new worker, which deletes the older releases' caches.
//
// The files named after their contents (the script first) never change under
// their names: they come from the cache, else from the network. index.html
// and the manifest name those files, so they come from the network while it
// answers, and only without it from the copies kept with their release: a
// page never loads one release's script with another's data.
'use strict';

var RELEASE = '@RELEASE@';
var FILES = [@FILES@];
var CACHE = 'kelvantis-' + RELEASE;
var PAGES = ['index.html', 'manifest.webmanifest'];
// A network that neither answers nor fails (a weak signal) gets this long
// before the kept page is used instead.
var NETWORK_WAIT_MS = 5000;

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(CACHE).then(function(cache) {
    // The named files may come from the browser's HTTP cache (they never
    // change); the pages must come from the server.
    return cache.addAll(FILES).then(function() {
      return Promise.all(PAGES.map(function(name) {
        return fetch(name, {cache: 'no-store'}).then(function(response) {
          if (!response.ok)
            throw new Error(name + ': HTTP ' + response.status);
          return response.clone().text().then(function(text) {
            // The server may already hold a newer release, whose page names
            // files this cache does not have: that page is not kept.
            if (name === 'index.html' && text.indexOf(FILES[0]) < 0)
              throw new Error('index.html on the server belongs to another release');
            return cache.put(name, response);
          });
        });
      }));
    });
  }).then(function() {
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) {
      return name.indexOf('kelvantis-') === 0 && name !== CACHE;
    }).map(function(name) {
      return caches.delete(name);
    }));
  }).then(function() {
    return self.clients.claim();
  }));
});

// The kept copy of one of PAGES, or a failure when there is none.
function keptPage(name) {
  return caches.open(CACHE).then(function(cache) {
    return cache.match(name);
  }).then(function(response) {
    if (!response)
      throw new Error(name + ' is not kept for offline play');
    return response;
  });
}

// The server's answer while the network works; the kept copy when it fails
// or keeps silent for NETWORK_WAIT_MS.
function networkFirst(request, name) {
  return new Promise(function(resolve, reject) {
    var done = false;
    function useKept(error) {
      if (done)
        return;
      done = true;
      keptPage(name).then(resolve, function() { reject(error); });
    }
    var timer = setTimeout(function() { useKept(new Error('no answer from the network')); }, NETWORK_WAIT_MS);
    fetch(request).then(function(response) {
      clearTimeout(timer);
      if (!done) {
        done = true;
        resolve(response);
      }
    }, function(error) {
      clearTimeout(timer);
      useKept(error);
    });
  });
}

self.addEventListener('fetch', function(event) {
  var request = event.request;
  var url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin)
    return;
  var scope = new URL(self.registration.scope).pathname;
  if (url.pathname.indexOf(scope) !== 0)
    return;
  var name = url.pathname.slice(scope.length) || 'index.html';
  if (PAGES.indexOf(name) >= 0) {
    event.respondWith(networkFirst(request, name));
  } else if (FILES.indexOf(name) >= 0) {
    event.respondWith(caches.open(CACHE).then(function(cache) {
      return cache.match(name);
    }).then(function(response) {
      return response || fetch(request);
    }));
  }
});
