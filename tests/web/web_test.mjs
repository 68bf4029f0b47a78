// Plays the web build in headless Chromium, the site served from 127.0.0.1 as any static host
// would serve it.
// Usage: node web_test.mjs SITE_DIR NPM_DIR transcripts CASE_DIR | game | line-mode
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { createRequire } from 'node:module';

const [siteDir, npmDir, scenario, ...scenarioArgs] = process.argv.slice(2);
const puppeteer = createRequire(path.resolve(npmDir, 'package.json'))('puppeteer-core');
setTimeout(() => fail('timed out'), 150000).unref();

function fail(message) {
  console.error(`FAIL: ${message}`);
  process.exit(1);
}

function check(condition, message) {
  if (!condition) {
    throw new Error(message);
  }
}

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm' };

// The site's files, and an empty page at the same address for loading the game by itself.
const server = http.createServer((request, response) => {
  const name = new URL(request.url, 'http://127.0.0.1').pathname.replace(/\/$/, '/index.html');
  if (name === '/blank.html') {
    response.end('<!doctype html><meta charset="utf-8">');
    return;
  }
  fs.readFile(path.join(siteDir, path.normalize(name)), (error, body) => {
    response.writeHead(error ? 404 : 200, { 'Content-Type': types[path.extname(name)] || 'text/plain' });
    response.end(error ? '' : body);
  });
});

// The terminal's text as the page's DOM holds it.
const screen = (page) => page.$eval('.xterm-rows', (rows) => rows.innerText.replace(/\u00a0/g, ' '));

// Waits until the screen holds a text or matches a pattern.
async function waitFor(page, wanted) {
  const pattern = wanted instanceof RegExp ? wanted : new RegExp(wanted.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'));
  await page.waitForFunction((source, flags) => new RegExp(source, flags).test(
    document.querySelector('.xterm-rows').innerText.replace(/\u00a0/g, ' ')), { timeout: 10000 },
  pattern.source, pattern.flags).catch(async () => {
    throw new Error(`${pattern} never showed on the screen:\n${await screen(page)}`);
  });
}

// Types a line, waits until the line mode has shown it, and ends it with Enter.
async function enter(page, text) {
  await page.keyboard.type(text);
  await waitFor(page, new RegExp(`${text}\\s*$`));
  await page.keyboard.press('Enter');
}

const scenarios = {
  // Every transcript case, each fed at once as from a pipe, in a browser profile of its own.
  async transcripts(browser, base, caseDir) {
    const cases = fs.readdirSync(caseDir).filter((file) => file.endsWith('-stdin')).map((file) => file.slice(0, -6));
    const failed = [];
    for (const name of cases.sort()) {
      const context = await browser.createBrowserContext();
      try {
        await playTranscript(await context.newPage(), base, caseDir, name);
        console.log(`ok: ${name}`);
      } catch (error) {
        console.error(`FAIL: ${name}: ${error.message}`);
        failed.push(name);
      }
      await context.close();
    }
    check(failed.length === 0, `${failed.length} of ${cases.length} transcripts failed: ${failed.join(', ')}`);
  },

  // A whole game by keys, a reload that continues the save, and one more run from the page.
  async game(browser, base) {
    const files = fs.readdirSync(siteDir).map((file) => fs.statSync(path.join(siteDir, file)).size);
    const size = files.reduce((sum, bytes) => sum + bytes, 0);
    check(size < 2 * 1024 * 1024, `the site takes ${size} bytes`);
    const [page] = await browser.pages();
    const foreign = [];
    page.on('request', (request) => request.url().startsWith(base) || foreign.push(request.url()));
    await page.goto(base);
    await waitFor(page, '(R)ogue');
    const [columns, rows] = await page.evaluate(() => [rpgTerminal.cols, rpgTerminal.rows]);
    check(columns >= 80 && rows >= 25, `the terminal has ${columns} columns and ${rows} rows`);
    await page.evaluate(() => {
      const write = rpgTerminal.write.bind(rpgTerminal);
      window.written = '';
      rpgTerminal.write = (data, done) => {
        window.written += typeof data === 'string' ? data : new TextDecoder().decode(data);
        write(data, done);
      };
    });
    await enter(page, 'w');
    await page.keyboard.type('Иванн');
    await page.keyboard.press('Backspace');
    await enter(page, '');
    await waitFor(page, 'получено 200 монет');
    // The key of a pause is neither shown nor read again by the menu, which would then repeat.
    await page.keyboard.press('x');
    await waitFor(page, menuAlone);
    for (const [key, shows] of [['t', 'Здоровья(H)'], ['a', '100 дашь?'], ['y', '-100 монет']]) {
      await enter(page, key);
      await waitFor(page, shows);
    }
    await page.keyboard.press('Enter');
    await waitFor(page, menuAlone);
    await enter(page, 's');
    await waitFor(page, menuAlone);
    await endWithSheet(page, 'Name = Иван\nВы воин');
    const written = await page.evaluate(() => window.written);
    check(written.includes('\x1b[H\x1b[2J\x1b[3J') && !written.includes('\f'), 'a clear is not the terminal\'s clear');

    const reloaded = Date.now();
    await page.reload();
    await waitFor(page, 'Вы уже играли, загружаю...');
    const firstPrompt = Date.now() - reloaded;
    check(firstPrompt < 1000, `the first prompt took ${firstPrompt} ms`);
    await page.keyboard.press('Enter');
    await waitFor(page, menuAlone);
    await endWithSheet(page, 'Name = Иван\nВы воин');
    await page.click('#play-again');
    await waitFor(page, 'Вы уже играли, загружаю...');
    check(foreign.length === 0, `requests to other hosts: ${foreign.join(' ')}`);
  },

  // Pasted Cyrillic, a save the browser refuses, and the end of input from the keyboard.
  async 'line-mode'(browser, base) {
    const [page] = await browser.pages();
    await page.goto(base);
    await waitFor(page, '(R)ogue');
    await page.evaluate(() => rpgTerminal.paste('r\rЁжик\r'));
    await waitFor(page, 'получено 200 монет');
    await page.keyboard.press('Enter');
    await waitFor(page, menuAlone);
    await page.evaluate(() => {
      IDBDatabase.prototype.transaction = () => { throw new DOMException('No room', 'QuotaExceededError'); };
    });
    await enter(page, 's');
    await waitFor(page, /Не удалось сохранить игру\n\s*::::::Меню/);
    await page.keyboard.down('Control');
    await page.keyboard.press('d');
    await page.keyboard.up('Control');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#game-over:not([hidden])');
    await page.reload();
    await waitFor(page, '(R)ogue');
  },
};

// The main menu alone on a cleared screen, with nothing typed after it yet.
const menuAlone = /^\s*::::::Меню:+\n[^]*\(S\)\s*$/;

// The sheet, its pause, the last pause, and the page's offer to play again.
async function endWithSheet(page, sheet) {
  await enter(page, 'm');
  await waitFor(page, sheet);
  await page.keyboard.press('x');
  await waitFor(page, /^Для продолжения нажмите любую клавишу \. \. \.\s*$/);
  await page.keyboard.press('x');
  await page.waitForSelector('#game-over:not([hidden])');
  await waitFor(page, /^Для продолжения нажмите любую клавишу \. \. \.\s*$/);
}

// One transcript case: its output and files must match exactly.
async function playTranscript(page, base, caseDir, name) {
  const file = (suffix) => {
    const where = path.join(caseDir, name + suffix);
    return fs.existsSync(where) ? [...fs.readFileSync(where)] : null;
  };
  const intro = file('-intro') || (file('-nointro') ? null : [...fs.readFileSync(path.join(caseDir, 'Intro.txt'))]);
  await page.goto(`${base}/blank.html`);
  await page.addScriptTag({ url: '/rpg.js' });
  const run = await page.evaluate(async (input, intro, save) => {
    const output = [];
    const errors = [];
    const game = await createRpg({
      rpgConsole: { read: async (count) => new Uint8Array(input.splice(0, count)), write: (bytes) => output.push(...bytes) },
      printErr: (text) => errors.push(text),
    });
    if (intro) {
      game.FS.writeFile('Intro.txt', new Uint8Array(intro));
    } else {
      game.FS.unlink('Intro.txt');
    }
    if (save) {
      game.FS.writeFile('chartype1.txt', new Uint8Array(save));
    }
    const status = await game.ccall('main', 'number', [], [], { async: true });
    const left = game.FS.readdir('.').filter((entry) => !['.', '..', 'Intro.txt', 'chartype1.txt'].includes(entry));
    const saved = game.FS.analyzePath('chartype1.txt').exists ? [...game.FS.readFile('chartype1.txt')] : null;
    return { status, output, errors, left, saved };
  }, file('-stdin'), intro, file('-save'));
  const text = (bytes) => Buffer.from(bytes || []).toString();
  check(run.status === 0, `exit status ${run.status}`);
  check(run.errors.length === 0, `errors: ${run.errors.join('\n')}`);
  check(Buffer.from(run.output).equals(Buffer.from(file('-stdout'))),
    `output differs:\n--- expected\n${text(file('-stdout'))}\n--- got\n${text(run.output)}`);
  const expectedSave = file('-saved') || file('-save');
  check(text(run.saved) === text(expectedSave) && !run.saved === !expectedSave,
    `chartype1.txt:\n--- expected\n${text(expectedSave)}\n--- got\n${text(run.saved)}`);
  check(run.left.length === 0, `files left behind: ${run.left}`);
}

await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
try {
  await scenarios[scenario](browser, `http://127.0.0.1:${server.address().port}`, ...scenarioArgs);
  console.log(`ok: ${scenario} ${scenarioArgs.slice(1).join(' ')}`);
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
  server.close();
}
