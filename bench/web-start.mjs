// Benchmark: how long a player waits for the page's first prompt, against the floor that any page
// built on xterm.js has. A script, not a test: it prints its figures and fails on nothing slow.
// Usage: node bench/web-start.mjs [BUILD_DIR [RUNS [EARLIER_SITE]]]   (after cmake --build --preset web)
// BUILD_DIR (build-web) holds the site and the page's packages; RUNS is 5 unless given. EARLIER_SITE,
// another build's site folder (say, main's build-web/site), is timed in the same turns, so that a
// change is compared with what it changes on the same busy machine.
//
// For each engine (headless Chromium and Firefox, or those named in BENCH_ENGINES), the pages are
// loaded in turn, RUNS times each, interleaved, every load in a browser started afresh on a new
// profile, so nothing is cached and no service worker is there yet. The page is opened as soon as
// the browser is up, while it is still starting its own processes; BENCH_SETTLE_MS=1000 waits that
// long first, as a player's browser is already running: the figures are then lower and vary less. A
// load's time runs from the start of navigation to the moment the terminal first holds the class
// list "(R)ogue" (the floor page writes just that line), as the page itself measures it with
// performance.now(), watching from the document's start: a watch started from outside would wait
// for the browser to report the navigation, or for the page's load event, which may come after the
// prompt.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const build = path.resolve(process.argv[2] || path.join(repo, 'build-web'));
const runs = Number(process.argv[3] || 5);
const settle = Number(process.env.BENCH_SETTLE_MS || 0);
const siteDir = path.join(build, 'site');
const earlierDir = process.argv[4] && path.resolve(process.argv[4]);
const puppeteer = createRequire(path.join(build, 'npm', 'package.json'))('puppeteer-core');

// The floor: a page that loads only the site's own xterm.js and xterm.css and writes one line.
const site = fs.readdirSync(siteDir);
// The site's name for one of its files, which the build names after its content.
const siteFile = (stem, extension) => site.find((file) => new RegExp(`^${stem}(-[0-9a-f]+)?\\.${extension}$`).test(file));
const xtermScript = siteFile('xterm', 'js');
const xtermStyle = siteFile('xterm', 'css');
const floorPage = `<!doctype html><html><head><meta charset="utf-8"><link rel="stylesheet" href="/${xtermStyle}">
<script src="/${xtermScript}" defer></script><script src="/floor.js" defer></script></head>
<body style="margin:0;height:100vh"><div id="terminal" style="height:100%"></div></body></html>`;
const floorScript = `window.rpgTerminal = new Terminal({ cols: 80, rows: 25 });
rpgTerminal.open(document.getElementById('terminal'));
rpgTerminal.write('(W)arrior (M)age (R)ogue');`;

// With BENCH_PARTS=1, two more pages show where the page's extra time goes. The first is the
// floor that also waits for the browser's storage before its line, as our page must: whether a
// save is kept decides what the game shows first. It asks the storage first thing, as our save
// store does. The second is our page with a stand-in for the game: the stand-in reads the saved
// files through the page's save store and writes the game's own first screen (taken from a run of
// the game's module here), with no WebAssembly to fetch, compile or run.
const parts = process.env.BENCH_PARTS === '1';
const storageFloorPage = floorPage.replace('<script', '<script src="/storage.js" defer></script><script')
  .replace('/floor.js', '/storage-floor.js');
const storageScript = 'window.storageRead = indexedDB.databases();';
const storageFloorScript = floorScript.replace(/^(rpgTerminal\.write.*);$/m, 'storageRead.then(() => $1);');
const gameScript = siteFile('rpg', 'js');
// What the game writes before it first waits, on a terminal 80 columns wide with no save.
async function firstScreenOfGame() {
  const wasmBinary = fs.readFileSync(path.join(siteDir, siteFile('rpg', 'wasm')));
  const written = [];
  let shown;
  const firstWait = new Promise((resolve) => { shown = () => { resolve(written); return new Promise(() => {}); }; });
  const rpgConsole = { write: (bytes) => written.push(...bytes), read: shown, waitForKey: shown, columns: () => 80 };
  const game = await createRequire(import.meta.url)(path.join(siteDir, gameScript))({ wasmBinary, rpgConsole });
  game.ccall('main', 'number', [], [], { async: true });
  return firstWait;
}
const standIn = parts && `var createRpg = (module) => Promise.resolve({ savesUnavailable: false, ccall: async () => {
  await rpgSaves.readFolder();
  module.rpgConsole.write(new Uint8Array(${JSON.stringify(await firstScreenOfGame())}));
  await module.rpgConsole.read(1);
} });`;
const withoutGamePage = parts && fs.readFileSync(path.join(siteDir, 'index.html'), 'utf8').replace(/<link rel="preload"[^>]*>\n/, '');

const types = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.wasm': 'application/wasm', '.js': 'text/javascript' };
const server = http.createServer((request, response) => {
  const name = new URL(request.url, 'http://127.0.0.1').pathname.replace(/\/$/, '/index.html');
  const extension = path.extname(name);
  const headers = { 'Content-Type': types[extension] || 'application/octet-stream' };
  const made = {
    '/floor/index.html': floorPage,
    '/floor.js': floorScript,
    '/storage-floor/index.html': storageFloorPage,
    '/storage.js': storageScript,
    '/storage-floor.js': storageFloorScript,
    '/without-game/index.html': withoutGamePage,
    [`/without-game/${gameScript}`]: standIn,
  }[name];
  if (made) {
    response.writeHead(200, headers);
    return response.end(made);
  }
  const earlier = name.startsWith('/earlier/');
  const file = path.join(earlier ? earlierDir : siteDir,
    path.normalize(earlier ? name.slice('/earlier'.length) : name.replace(/^\/without-game\//, '/')));
  fs.readFile(file, (error, body) => {
    // As any static server does, so that a browser may reuse what the page preloaded.
    if (!error) {
      headers['Last-Modified'] = fs.statSync(file).mtime.toUTCString();
    }
    response.writeHead(error ? 404 : 200, headers);
    response.end(error ? '' : body);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const engines = {
  chromium: {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  },
  firefox: { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr' },
};

// Runs in the page from its start: notes when the terminal first holds the class list. It looks for
// the terminal every 5 ms, and then after every write the terminal has taken in, so that it notes
// the moment exactly and does not itself slow the page by reading the screen over and over.
function watchForPrompt() {
  const holdsPrompt = (buffer) => {
    for (let row = 0; row < buffer.length; row += 1) {
      if (buffer.getLine(row).translateToString().includes('(R)ogue')) {
        return true;
      }
    }
    return false;
  };
  const watch = setInterval(() => {
    const terminal = window.rpgTerminal;
    if (!terminal) {
      return;
    }
    clearInterval(watch);
    const check = () => {
      if (!window.rpgBenchPrompt && holdsPrompt(terminal.buffer.active)) {
        window.rpgBenchPrompt = performance.now();
      }
    };
    terminal.onWriteParsed(check);
    check();
  }, 5);
}

// The milliseconds from the start of navigation to the class list on the screen.
async function firstPrompt(engine, url) {
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'rpg-bench-'));
  const browser = await puppeteer.launch({ ...engines[engine], userDataDir });
  try {
    const [page] = await browser.pages();
    await page.evaluateOnNewDocument(watchForPrompt);
    await new Promise((resolve) => setTimeout(resolve, settle));
    const navigation = page.goto(url).catch(() => {});
    const shown = await page.waitForFunction(() => window.rpgBenchPrompt, { polling: 50, timeout: 30000 });
    await navigation;
    return Math.round(await shown.jsonValue());
  } finally {
    await browser.close();
    // Firefox may still be writing its profile as it exits.
    fs.rmSync(userDataDir, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const pages = { page: '/', floor: '/floor/', ...(earlierDir && { 'earlier page': '/earlier/' }),
  ...(parts && { 'xterm.js and the storage': '/storage-floor/', 'page without the game': '/without-game/' }) };
for (const engine of (process.env.BENCH_ENGINES || Object.keys(engines).join(' ')).split(/[ ,]+/)) {
  const times = Object.fromEntries(Object.keys(pages).map((name) => [name, []]));
  // Each turn starts with the next page, so that every page takes every place in a turn equally
  // often: the same site has loaded tens of milliseconds faster last in a turn than first.
  const order = Object.entries(pages);
  for (let run = 0; run < runs; run += 1) {
    for (const [name, where] of [...order.slice(run % order.length), ...order.slice(0, run % order.length)]) {
      times[name].push(await firstPrompt(engine, `${base}${where}`));
    }
  }
  const [page, floor] = [median(times.page), median(times.floor)];
  console.log(`${engine}: page ${page} ms [${times.page.join(' ')}], xterm.js alone ${floor} ms `
    + `[${times.floor.join(' ')}], ratio ${(page / floor).toFixed(2)}`);
  for (const name of Object.keys(pages).slice(2)) {
    console.log(`${engine}:   ${name} ${median(times[name])} ms [${times[name].join(' ')}], ratio ${(median(times[name]) / floor).toFixed(2)}`);
  }
}
server.close();
