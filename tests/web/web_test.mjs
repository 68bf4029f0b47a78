// Plays the web build in a browser engine, the site served from 127.0.0.1 as a static host would.
// The browser is started once; each scenario then plays in a tab of its own, its site at an address
// (a port) of its own, so no storage, cache or service worker of one reaches the next.
// Usage: node web_test.mjs (chromium | firefox | webkit) SITE_DIR NPM_DIR CASE_DIR SCENARIO...
//   where a SCENARIO is game, phone, new-build, editor, storage, savefile or transcripts.
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import * as engines from './drivers.mjs';

const [engine, siteDir, npmDir, caseDir, ...scenarioNames] = process.argv.slice(2);
setTimeout(() => fail('timed out'), 170000 * scenarioNames.length).unref();

function fail(message) {
  console.error(`FAIL: ${message}`);
  process.exit(1);
}

function check(condition, message) {
  if (!condition) {
    throw new Error(message);
  }
}

// The site's files, and an empty page at the same address for loading the game by itself.
const types = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
};
// The game's script, named after its content.
const gameScript = fs.readdirSync(siteDir).find((file) => /^rpg-[0-9a-f]+\.js$/.test(file));
// The page's own policy, sent again with every page as a header that only reports, so the browser
// tells the server of every violation, which the page's <meta> cannot ask for.
const policy = fs.readFileSync(path.join(siteDir, 'index.html'), 'utf8').match(/http-equiv="Content-Security-Policy" content="([^"]+)"/)[1];
const violations = [];
// Once a test sets nextBuild, the service worker and the page are those of another build.
let nextBuild = false;
const serve = (request, response) => {
  const name = new URL(request.url, 'http://127.0.0.1').pathname.replace(/\/$/, '/index.html');
  const headers = { 'Content-Type': types[path.extname(name)] || 'text/javascript' };
  if (path.extname(name) === '.html') {
    headers['Content-Security-Policy-Report-Only'] = `${policy}; report-uri /policy-violation`;
  }
  if (name === '/policy-violation') {
    let report = '';
    request.on('data', (data) => { report += data; });
    return request.on('end', () => {
      const violation = JSON.parse(report)['csp-report'];
      violations.push(`${violation['violated-directive']} ${violation['blocked-uri']} ${violation['document-uri']}`);
      response.end();
    });
  }
  if (name === '/blank.html') {
    response.writeHead(200, headers);
    return response.end('<!doctype html><meta charset="utf-8">');
  }
  fs.readFile(path.join(siteDir, path.normalize(name)), (error, body) => {
    if (nextBuild && name === '/sw.js') {
      body = String(body).replace(/rpg-site-[0-9a-f]{16}/, 'rpg-site-next');
    }
    if (nextBuild && name === '/index.html') {
      body = String(body).replace(/(name="rpg-build" content=")[0-9a-f]+/, '$1next');
    }
    response.writeHead(error ? 404 : 200, headers);
    response.end(error ? '' : body);
  });
};

// The terminal's text, with the rows that wrapped at its edge joined again.
function terminalText() {
  const buffer = window.rpgTerminal && rpgTerminal.buffer.active;
  const rows = [];
  for (let row = 0; buffer && row < buffer.length; row += 1) {
    const line = buffer.getLine(row);
    const text = line.translateToString();
    line.isWrapped && rows.length > 0 ? rows.push(rows.pop() + text) : rows.push(text);
  }
  return rows.map((row) => row.trimEnd()).join('\n');
}

// Asks the page again and again, for up to ten seconds, until its answer passes a test.
// Waits, on this side, until `condition` holds or `milliseconds` have gone by.
async function settle(condition, milliseconds) {
  for (const until = Date.now() + milliseconds; !condition() && Date.now() < until;) {
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

async function poll(driver, ask, passes, failure, ...args) {
  let answer;
  for (const until = Date.now() + 10000; Date.now() < until; await new Promise((resolve) => setTimeout(resolve, 50))) {
    answer = await driver.evaluate(ask, ...args).catch(() => undefined);
    if (passes(answer)) {
      return;
    }
  }
  throw new Error(failure(answer));
}

// Waits until the terminal holds a text or matches a pattern.
function waitFor(driver, wanted) {
  const pattern = wanted instanceof RegExp ? wanted : new RegExp(wanted.replace(/[.*+?^${}()|[\]\\]/g, '\\$&'));
  return poll(driver, terminalText, (text) => pattern.test(text), (text) => `${pattern} never showed on the screen:\n${text}`);
}

// Waits until a condition holds in the page.
const waitUntil = (driver, condition, what, ...args) => poll(driver, condition, Boolean, () => `${what} never came`, ...args);

// Types a line, waits until the line mode has shown it, and ends it with Enter.
async function enter(driver, text) {
  await driver.type(text);
  await waitFor(driver, new RegExp(`${text}\\s*$`));
  await driver.press('Enter');
}

// Nothing on the page is wider than the window, the terminal's text fits in its box, and another
// column would not fit beside its scroll bar (14 pixels).
async function checkFits(driver) {
  const [page, window, screen, cell, box] = await driver.evaluate(() => {
    const screen = document.querySelector('.xterm-screen').getBoundingClientRect();
    return [document.scrollingElement.scrollWidth, innerWidth, screen.right, screen.width / rpgTerminal.cols,
      document.getElementById('terminal').clientWidth];
  });
  check(page <= window && screen <= box && box - screen < cell + 14,
    `the page is ${page} pixels wide in a window of ${window}, the text ${screen} in ${box}`);
}

// No two rows of the terminal glue into a word of the game's texts: lines break between words.
async function checkWordsWhole(driver, texts) {
  const rows = await driver.evaluate(() => {
    const buffer = rpgTerminal.buffer.active;
    return Array.from({ length: buffer.length }, (_, row) => buffer.getLine(row).translateToString(true));
  });
  rows.forEach((row, at) => {
    const glued = `${(rows[at - 1] || '').split(' ').pop()}${row.split(' ')[0]}`;
    check(!rows[at - 1] || !row || !texts.some((text) => text.includes(glued)), `"${glued}" is cut at row ${at}:\n${rows.join('\n')}`);
  });
}

// The line being typed as the screen shows it: the terminal's text after the prompt, and whether
// the cursor stands right after it.
function typedLine(prompt) {
  const buffer = rpgTerminal.buffer.active;
  const row = buffer.getLine(buffer.baseY + buffer.cursorY).translateToString(true);
  const lines = [];
  for (let at = 0; at < buffer.length; at += 1) {
    const line = buffer.getLine(at);
    lines.push(`${line.isWrapped ? lines.pop() : ''}${line.translateToString(true)}`);
  }
  const text = lines.join('\n');
  return { shown: text.slice(text.lastIndexOf(prompt) + prompt.length).trimEnd(), line: rpgLineMode.line, cursorAtEnd: row.length === buffer.cursorX };
}

// The main menu alone on a cleared screen, with nothing typed after it yet.
const menuAlone = /^\s*::::::Меню:+\n[^]*\(S\)\s*$/;
const lastPause = /^Для продолжения нажмите любую клавишу \. \. \.\s*$/;

// The sheet, its pause, then the last pause, which must not show its key, and the offer to play again.
async function endWithSheet(driver, sheet, lastKey = () => driver.press('x')) {
  await enter(driver, 'm');
  await waitFor(driver, sheet);
  await driver.press('x');
  await waitFor(driver, lastPause);
  await lastKey();
  await waitUntil(driver, () => !document.getElementById('game-over').hidden, 'the offer to play again');
  await waitFor(driver, lastPause);
}

// A reload continues the save, its first prompt quickly.
async function reloadToSave(driver) {
  const reloaded = Date.now();
  await driver.reload();
  await waitFor(driver, 'Вы уже играли, загружаю...');
  // Well under a second on an idle machine; the bound leaves room for a busy one.
  console.log(`the first prompt after a reload took ${Date.now() - reloaded} ms`);
  check(Date.now() - reloaded < 3000, `the first prompt took ${Date.now() - reloaded} ms`);
  await driver.press('Enter');
  await waitFor(driver, menuAlone);
}

// A new warrior, from the first question to the main menu.
async function newWarrior(driver, name) {
  await waitFor(driver, '(R)ogue');
  await enter(driver, 'w');
  await enter(driver, name);
  await waitFor(driver, 'получено 200 монет');
  await driver.press('x');
  await waitFor(driver, menuAlone);
}

const scenarios = {
  // A whole game by keys, a reload that continues the save, another run from the page, and a save
  // that the browser refuses.
  async game(driver, base) {
    const size = fs.readdirSync(siteDir).reduce((sum, file) => sum + fs.statSync(path.join(siteDir, file)).size, 0);
    check(size < 2 * 1024 * 1024, `the site takes ${size} bytes`);
    await driver.open(base);
    await waitFor(driver, '(R)ogue');
    await checkFits(driver);
    await checkPolicyRefusesInlineScript(driver);
    await driver.evaluate(() => {
      // What the screen reader's live region is given, an addition at a time.
      window.additions = [];
      new MutationObserver((records) => records.forEach((record) => record.addedNodes
        .forEach((node) => additions.push(node.textContent)))).observe(document.getElementById('game-log'), { childList: true });
      const write = rpgTerminal.write.bind(rpgTerminal);
      window.written = '';
      rpgTerminal.write = (data, done) => {
        window.written += typeof data === 'string' ? data : new TextDecoder().decode(data);
        write(data, done);
      };
    });
    // Tab leaves the terminal for the buttons, as the page says, and Shift+Tab comes back.
    await driver.press('Tab');
    const [left, hint] = await driver.evaluate(() => [document.activeElement.id,
      document.getElementById(rpgTerminal.textarea.getAttribute('aria-describedby')).textContent]);
    await driver.pressWithShift('Tab');
    check(left === 'download-save' && /Tab/.test(hint) && await driver.evaluate(() => document.activeElement === rpgTerminal.textarea),
      `Tab went to "${left}", the page says "${hint}"`);
    // Typed ahead: a name begun with the class is shown again after the trainer's speech, then
    // Backspace over a Cyrillic letter; a key typed ahead of the pause is the pause's.
    await driver.evaluate(() => rpgTerminal.paste('w\rИв'));
    await waitFor(driver, /зовут\?\nИв\s*$/);
    await driver.evaluate(() => rpgTerminal.paste('анн'));
    await driver.press('Backspace');
    await driver.evaluate(() => rpgTerminal.paste('\rx'));
    await waitFor(driver, menuAlone);
    for (const [key, shows] of [['t', 'Здоровья(H)'], ['a', '100 дашь?'], ['y', '-100 монет']]) {
      await enter(driver, key);
      await waitFor(driver, shows);
    }
    await driver.press('Enter');
    await waitFor(driver, menuAlone);
    await enter(driver, 's');
    await waitFor(driver, menuAlone);
    // The save, confirmed, and the whole menu after it, in order: one addition, with no label.
    await waitUntil(driver, () => additions.some((added) => /^Игра сохранена\.\n::::::Меню:+\n[^]*\n[^\n]*\(S\)$/.test(added))
      && !document.getElementById('game-log').hasAttribute('aria-label')
      && document.getElementById('save-message').textContent.startsWith('Игра сохранена.'), 'the save confirmed with the menu, as one addition');
    await endWithSheet(driver, 'Name = Иван\nВы воин');
    const written = await driver.evaluate(() => window.written);
    check(written.includes('\x1b[H\x1b[2J\x1b[3J') && !written.includes('\f'), 'a clear is not the terminal\'s');

    await reloadToSave(driver);
    // The last pause ended by Enter whose release never comes, as a screen reader may keep it: the
    // focus is on "Играть снова" at once, and Enter's repeat and release press nothing.
    const keyboard = engine === 'chromium' && driver.page.keyboard;
    await endWithSheet(driver, 'Name = Иван\nВы воин', keyboard ? () => keyboard.down('Enter') : undefined);
    if (keyboard) {
      await waitUntil(driver, () => document.activeElement.id === 'play-again', 'the focus on "Играть снова", Enter held');
      await keyboard.down('Enter');
      await keyboard.up('Enter');
      await new Promise((resolve) => setTimeout(resolve, 500));
      check(await driver.evaluate(() => !document.getElementById('game-over').hidden), 'a held Enter started another run');
      // "Играть снова" goes a frame after the focus has gone to the answer field, not before.
      await driver.evaluate(() => {
        window.frame = 0;
        const count = () => { window.frame += 1; requestAnimationFrame(count); };
        requestAnimationFrame(count);
        rpgTerminal.textarea.addEventListener('focus', () => { window.focusedAt = window.frame; }, { once: true });
        new MutationObserver(() => { window.hiddenAt ??= window.frame; })
          .observe(document.getElementById('game-over'), { attributeFilter: ['hidden'] });
      });
    }
    // Two presses in quick succession start one run.
    await driver.evaluate(() => {
      window.createRpg = ((create) => (...args) => { window.runs = (window.runs || 0) + 1; return create(...args); })(createRpg);
      [0, 5].forEach((delay) => setTimeout(() => document.getElementById('play-again').click(), delay));
    });
    await waitFor(driver, 'Вы уже играли, загружаю...');
    check(await driver.evaluate(() => window.runs) === 1, 'two presses of "Играть снова" started two runs');
    const [focusedAt, hiddenAt] = await driver.evaluate(() => [window.focusedAt, window.hiddenAt]);
    check(!keyboard || focusedAt < hiddenAt, `the focus moved at frame ${focusedAt}, "Играть снова" went at ${hiddenAt}`);
    await driver.press('Enter');
    await waitFor(driver, menuAlone);
    await driver.evaluate(() => {
      IDBDatabase.prototype.transaction = () => { throw new DOMException('No room', 'QuotaExceededError'); };
    });
    await enter(driver, 's');
    await waitFor(driver, /Не удалось сохранить игру\n\s*::::::Меню/);
    // Ctrl-D on an empty line ends the input, and with it the game; a paste answers the last
    // pause, and the focus is on "Играть снова" at once, the answer field gone for screen readers.
    await driver.pressWithControl('d');
    await driver.evaluate(() => rpgTerminal.paste('x'));
    await waitUntil(driver, () => !document.getElementById('game-over').hidden && document.activeElement.id === 'play-again',
      'the focus on the offer to play again');
    const tree = engine === 'chromium' && JSON.stringify(await driver.page.accessibility.snapshot({ interestingOnly: false }));
    check(!tree || !tree.includes('Ваш ответ'), 'the finished game still offers its answer field');
    await driver.pressWithShift('Tab');
    check(await driver.evaluate(() => document.activeElement !== rpgTerminal.textarea), 'Shift+Tab went into the finished game');
    // The game's files not to be had at "Играть снова": the player is told what to do, on the
    // screen and in the live region.
    // A server that never answers is given up on as one that refuses, sooner here than on the page.
    for (const held of engine === 'chromium' ? [false, true] : []) {
      await driver.evaluate((held) => {
        window.fetch = () => (held ? new Promise(() => {}) : Promise.reject(new TypeError('No network')));
        window.setTimeout = ((wait) => (run, delay, ...rest) => wait(run, Math.min(delay, 300), ...rest))(setTimeout);
        document.getElementById('game-log').replaceChildren();
      }, held);
      await driver.click('#play-again');
      await waitFor(driver, 'Не удалось загрузить игру. Проверьте подключение к сети и нажмите «Играть снова».');
      await waitUntil(driver, () => /^Не удалось загрузить игру\.[^\n]*\nИгра окончена\.$/
        .test(document.getElementById('game-log').lastChild?.textContent) && document.activeElement.id === 'play-again',
      'the failure in the live region');
    }
    const foreign = await driver.foreignRequests(base);
    check(foreign.length === 0, `requests to other hosts: ${foreign.join(' ')}`);
    await checkNamedByContent(driver);
  },

  // On a phone: taps, an input method, the screen reader's copy of the output, turning the phone,
  // installing the page, and playing offline.
  async phone(driver, base) {
    const { page } = driver;
    const wrapped = 'Прекрасно вы решили стать Воином! Это замечатльно именно таких нам и не хватает сейчас, а то все знаете ли магичить хотят, фу! Что может быть лучше топора?!';
    const devtools = await page.createCDPSession();
    await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
    await driver.open(base);
    await waitFor(driver, '(R)ogue');
    await checkFits(driver);
    const fontSize = await driver.evaluate(() => rpgTerminal.options.fontSize);
    check(fontSize >= 14, `the font is ${fontSize} pixels`);
    await driver.evaluate(() => document.activeElement.blur());
    await page.touchscreen.tap(200, 400);
    const label = await driver.evaluate(() => document.activeElement.getAttribute('aria-label'));
    check(label === 'Ваш ответ', `a tap left the focus on ${label}`);
    // Each character of a composed word comes once.
    for (const [text, typed] of [['w', 'w'], ['И', ''], ['Ив', ''], ['Ива', ''], ['Иван', 'Иван']]) {
      await devtools.send('Input.imeSetComposition', { text, selectionStart: text.length, selectionEnd: text.length });
      if (typed) {
        await devtools.send('Input.insertText', { text: typed });
        await waitFor(driver, new RegExp(`\n${typed}\\s*$`));
        await driver.press('Enter');
      }
    }
    // A tap at the pause goes on, and types nothing into the menu.
    await waitUntil(driver, () => document.body.classList.contains('paused'), 'the pause');
    await checkWordsWhole(driver, [fs.readFileSync(new URL('../../Intro.txt', import.meta.url), 'utf8'), wrapped]);
    await page.touchscreen.tap(200, 400);
    await waitFor(driver, menuAlone);
    await enter(driver, 's');
    await waitFor(driver, menuAlone);
    const log = await driver.evaluate(() => Array.from(document.querySelectorAll('[role=log] p'), (entry) => entry.textContent.split('\n'))
      .flat().map((line) => line.trim()));
    for (const line of [wrapped, 'Что-то я заболтался, а как вас кстати зовут?', 'Для продолжения нажмите любую клавишу . . .']) {
      check(log.includes(line), `the screen reader's copy lacks "${line}":\n${log.join('\n')}`);
    }
    check(!log.join('').match(/[\x00-\x1f]/), 'the screen reader\'s copy holds control characters');

    // Turned sideways, the lines flow into the wider terminal.
    const columns = await driver.evaluate(() => rpgTerminal.cols);
    await page.setViewport({ width: 844, height: 390, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
    await waitUntil(driver, (narrow) => rpgTerminal.cols > narrow, 'more columns when turned', columns);
    await checkFits(driver);
    await waitFor(driver, menuAlone);

    await checkInstallable(driver, devtools);
    await page.setOfflineMode(true);
    await reloadToSave(driver);
    await endWithSheet(driver, 'Name = Иван\nВы воин');
    await waitUntil(driver, () => document.querySelector('[role=log]').lastChild.textContent === 'Игра окончена.', 'the end, read out');
    // Online again, a new build replaces the old one's cache.
    await page.setOfflineMode(false);
    nextBuild = true;
    await reloadToSave(driver);
    await waitUntil(driver, async () => (await caches.keys()).join() === 'rpg-site-next', 'the new build\'s cache');
    const foreign = await driver.foreignRequests(base);
    check(foreign.length === 0, `requests to other hosts: ${foreign.join(' ')}`);
  },

  // A page of a fresh profile, loaded before any service worker, is taken over by a new build's
  // worker that a second tab brings; its next run then reloads the whole new build.
  async 'new-build'(driver, base) {
    await driver.open(base);
    await waitFor(driver, '(R)ogue');
    await waitUntil(driver, () => Boolean(navigator.serviceWorker.controller), 'the service worker');
    await driver.pressWithControl('d');
    await driver.press('Enter');
    await waitUntil(driver, () => !document.getElementById('game-over').hidden, 'the offer to play again');
    nextBuild = true;
    const second = await driver.browser.newPage();
    await second.goto(base);
    await waitUntil(driver, async () => (await caches.keys()).join() === 'rpg-site-next', 'the new build\'s cache');
    await driver.evaluate(() => { window.earlierBuild = true; });
    // Clicked once the test has its answer, so that the reload does not cut a call of the test short.
    await driver.evaluate(() => setTimeout(() => document.getElementById('play-again').click(), 100));
    await waitUntil(driver, () => !window.earlierBuild && document.querySelector('meta[name="rpg-build"]').content === 'next',
      'a reload into the new build');
    await waitFor(driver, '(R)ogue');
  },

  // The browser's storage failing at the start of a run (Chromium: indexedDB.open failing once, or
  // never answering; Firefox: the site's storage blocked): the game starts and says its saves will
  // fail, they do, and the save the browser kept survives. Then, in Chromium, a save after the
  // site's storage was cleared, and one that a full quota refuses at once.
  async storage(driver, base) {
    await driver.open(base);
    await newWarrior(driver, 'Иван');
    await enter(driver, 's');
    await waitFor(driver, menuAlone);
    if (engine === 'firefox') {
      await driver.relaunch({ extraPrefsFirefox: { 'network.cookie.cookieBehavior': 2 } });
      await driver.open(base);
    } else {
      // Opening at an older version than the one kept fails, as the browser itself reports it; an
      // open never answered is given up on, sooner here than on the page.
      for (const never of [true, false]) {
        const { identifier } = await driver.page.evaluateOnNewDocument((never) => {
          const [open, wait] = [IDBFactory.prototype.open, setTimeout];
          IDBFactory.prototype.open = function (name) {
            IDBFactory.prototype.open = open;
            return never ? new EventTarget() : open.call(this, name, 1);
          };
          never && (window.setTimeout = (run, delay, ...rest) => wait(run, Math.min(delay, 300), ...rest));
        }, never);
        await driver.reload();
        await driver.page.removeScriptToEvaluateOnNewDocument(identifier);
        await waitFor(driver, /^Сохранения в этом браузере сейчас недоступны/);
      }
    }
    await waitFor(driver, /^Сохранения в этом браузере сейчас недоступны: сохранить игру не получится\.\n\n/);
    // With the site's storage blocked, a button and a drop still answer, and the drop opens nothing.
    if (engine === 'firefox') {
      await driver.click('#download-save');
      await waitUntil(driver, () => /недоступно/.test(document.getElementById('save-message').textContent), 'the word on the download');
      check(await driver.evaluate(() => !document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: new DataTransfer(), bubbles: true, cancelable: true }))),
        'a drop is left to the browser');
      await waitUntil(driver, () => /не файл/.test(document.getElementById('save-message').textContent), 'the word on the drop');
      await (await driver.page.$('#save-file-input')).uploadFile(path.join(caseDir, 'new-warrior-trains-saves-and-looks-saved'));
      await waitUntil(driver, () => /загрузить сохранение: хранилище браузера/.test(document.getElementById('save-message').textContent), 'the word on the load');
    }
    for (let run = 0; run < (engine === 'firefox' ? 2 : 1); run += 1) {
      await newWarrior(driver, 'Пётр');
      await enter(driver, 's');
      await waitFor(driver, /Не удалось сохранить игру\n\s*::::::Меню/);
      await endWithSheet(driver, 'Name = Пётр');
      await driver.click('#play-again');
    }
    if (engine === 'firefox') {
      await driver.relaunch({});
      await driver.open(base);
    }
    // A browser that never answers the run's look at its databases still has the save read.
    const unlisted = engine === 'chromium' && await driver.page.evaluateOnNewDocument(() => {
      const databases = IDBFactory.prototype.databases;
      IDBFactory.prototype.databases = () => {
        IDBFactory.prototype.databases = databases;
        return new Promise(() => {});
      };
    });
    await reloadToSave(driver);
    unlisted && await driver.page.removeScriptToEvaluateOnNewDocument(unlisted.identifier);
    if (engine !== 'chromium') {
      return endWithSheet(driver, 'Name = Иван');
    }
    const devtools = await driver.page.createCDPSession();
    const clearStorage = async () => {
      await devtools.send('Storage.clearDataForOrigin', { origin: base, storageTypes: 'indexeddb' });
      // Chromium at times leaves an early look at its databases unanswered.
      await waitUntil(driver, () => Promise.race([indexedDB.databases().then((list) => list.length === 0),
        new Promise((resolve) => setTimeout(resolve, 1000, false))]), 'the storage cleared');
    };
    await clearStorage();
    await enter(driver, 's');
    await waitFor(driver, menuAlone);
    // The browser applies a quota once the site's storage is made again.
    await devtools.send('Storage.overrideQuotaForOrigin', { origin: base, quotaSize: 1 });
    await clearStorage();
    await driver.type('s');
    const saved = Date.now();
    await driver.press('Enter');
    await waitFor(driver, /Не удалось сохранить игру\n\s*::::::Меню/);
    check(Date.now() - saved < 2000, `a full quota took ${Date.now() - saved} ms to report`);
  },

  // The save as a file: downloaded after the keys of a transcript, it is the file the desktop game
  // writes; a Windows-1251 CR LF save loaded from a file is continued; a file that is no save is
  // turned away; and of two tabs, the one with the older game asks before it saves over the newer.
  async savefile(driver, base) {
    const { page } = driver;
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'rpg-downloads-'));
    process.on('exit', () => fs.rmSync(downloads, { recursive: true, force: true }));
    const stored = () => driver.evaluate(async () => Array.from(await rpgSaves.read(`${rpgSaves.folder}/chartype1.txt`)));
    const dialogs = [];
    const answers = [];
    page.on('dialog', (dialog) => {
      dialogs.push(dialog.message());
      return answers.shift() ? dialog.accept() : dialog.dismiss();
    });
    await driver.open(base);
    await driver.click('#download-save');
    await waitUntil(driver, () => /нет/.test(document.getElementById('save-message').textContent), 'no save to download');
    check(await driver.evaluate(async () => (await indexedDB.databases()).length === 0), 'looking for a save made the database');
    await newWarrior(driver, 'Ivan');
    for (const [key, shows] of [['t', 'Здоровья(H)'], ['a', '100 дашь?'], ['y', '-100 монет']]) {
      await enter(driver, key);
      await waitFor(driver, shows);
    }
    await driver.press('Enter');
    await enter(driver, 's');
    await waitFor(driver, menuAlone);
    // Firefox's driver cannot download: there the save the page would give is compared.
    const downloaded = path.join(downloads, 'chartype1.txt');
    if (engine === 'chromium') {
      await (await page.createCDPSession()).send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
      await driver.click('#download-save');
      await settle(() => fs.existsSync(downloaded), 10000);
    } else {
      fs.writeFileSync(downloaded, Buffer.from(await stored()));
    }
    const linuxSave = fs.readFileSync(path.join(caseDir, 'new-warrior-trains-saves-and-looks-saved'));
    check(fs.existsSync(downloaded) && linuxSave.equals(fs.readFileSync(downloaded)), 'the download is not the Linux save');

    const cyrillic = (text) => Buffer.from(Array.from(text, (c) => (c >= 'А' && c <= 'я' ? c.charCodeAt(0) - 0x350 : c.charCodeAt(0))));
    const windowsSave = cyrillic('100\r\n10\r\n0\r\n100\r\n200\r\n30\r\n100\r\n30\r\n100\r\nМерлин\r\n1\r\n1\r\n');
    const upload = async (bytes) => {
      const file = path.join(downloads, 'upload.txt');
      fs.writeFileSync(file, bytes);
      await (await page.$('#save-file-input')).uploadFile(file);
    };
    answers.push(true);
    await upload(windowsSave);
    await waitFor(driver, 'Вы уже играли, загружаю...');
    check(dialogs.pop().includes('Идущая игра закончится'), 'no question before the game ended');
    await driver.press('Enter');
    await endWithSheet(driver, 'Name = Мерлин\nВы маг');
    const saveOf = (name) => `200\n20\n0\n20\n200\n50\n200\n50\n20\n${name}\n0\n1\n`;
    for (const [bytes, why] of [[Buffer.alloc(0), 'нет текста'], [Buffer.from('\xef\xbb\xbf', 'latin1'), 'нет текста'],
      [Buffer.alloc(1024 * 1024 + 1, '1'), 'слишком большой'], [Buffer.alloc(100), 'управляющие символы'],
      [Buffer.from('\x89PNG\r\n\x1a\n\0\0\0\rIHDR', 'latin1'), 'управляющие символы'], [Buffer.from('\n'), 'не число'],
      [Buffer.from('\xef\xbb\xbf\r\n', 'latin1'), 'не число'], [Buffer.from(saveOf('Ив\x1b[2Jан')), 'управляющие символы'],
      [Buffer.from(saveOf('Иван').replace('50\n200', '5O\n200')), 'не число'], [Buffer.from(saveOf('Ив\u009bан')), 'управляющие символы'],
      [Buffer.from(saveOf('Ив\u202eан')), 'управляющие символы'], [Buffer.from(`${saveOf('Иван')}junk\n`), 'больше 12 строк'],
      [Buffer.from(saveOf('Иван').replace('200', '4294967296')), 'вне допустимых пределов'],
      [Buffer.from(saveOf('Иван').replace(/1\n$/, '7\n')), 'не 0 и не 1']]) {
      // Each answer anew, so a file taken (and its question dismissed) cannot pass for the one before.
      await driver.evaluate(() => { document.getElementById('save-message').textContent = ''; });
      await upload(bytes);
      await waitUntil(driver, (why) => document.getElementById('save-message').textContent.includes(why), `"${why}"`, why);
      check(windowsSave.equals(Buffer.from(await stored())), 'a file that is no save replaced the save');
    }
    // Two files dropped at once load neither; a chooser closed with no file gives the keys back.
    await driver.evaluate(() => {
      const files = new DataTransfer();
      ['1\n', '2\n'].forEach((text) => files.items.add(new File([text], 'chartype1.txt')));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: files, bubbles: true, cancelable: true }));
    });
    await waitUntil(driver, () => /Файлов 2/.test(document.getElementById('save-message').textContent), 'the word on two files');
    const [chooser] = await Promise.all([page.waitForFileChooser(), driver.click('#load-save')]);
    await chooser.cancel();
    await waitUntil(driver, () => document.activeElement.id === 'play-again', 'the keys back on "Играть снова", the game being over');
    // A save the browser has no room for is not loaded, and the page says why.
    await driver.evaluate(() => {
      const transaction = IDBDatabase.prototype.transaction;
      IDBDatabase.prototype.transaction = function (store, mode, ...rest) {
        if (mode === 'readwrite') {
          IDBDatabase.prototype.transaction = transaction;
          throw new DOMException('No room', 'QuotaExceededError');
        }
        return transaction.call(this, store, mode, ...rest);
      };
    });
    answers.push(true);
    await upload(Buffer.from(saveOf('Иван')));
    await waitUntil(driver, () => document.getElementById('save-message').textContent
      === 'Не удалось загрузить сохранение: в хранилище браузера нет места.', 'the reason the save was not loaded');

    // Tab B continues the save and saves; tab A, still on the older game, then asks before saving.
    await driver.click('#play-again');
    await waitFor(driver, 'Вы уже играли, загружаю...');
    await driver.press('Enter');
    await waitFor(driver, menuAlone);
    const other = await driver.browser.newPage();
    const tab = { evaluate: (fn, ...args) => other.evaluate(fn, ...args), type: (text) => other.keyboard.type(text),
      press: (key) => other.keyboard.press(key) };
    await other.goto(base);
    await waitFor(tab, 'Вы уже играли, загружаю...');
    await tab.press('Enter');
    await waitFor(tab, menuAlone);
    await enter(tab, 's');
    await waitFor(tab, menuAlone);
    const newer = await stored();
    await page.bringToFront();
    await enter(driver, 's');
    await waitFor(driver, /Не удалось сохранить игру\n\s*::::::Меню/);
    check(dialogs.pop() === 'Сохранение изменилось в другой вкладке. Заменить его?', 'no question before a step back');
    check(Buffer.from(newer).equals(Buffer.from(await stored())), 'the older tab replaced the newer save');
  },

  // The line editor shows what the game gets: Backspace after wide and combining characters, a
  // resize while a line is typed, a paste longer than a line may be, several characters at a pause.
  async editor(driver, base) {
    await driver.open(base);
    await waitFor(driver, '(R)ogue');
    await enter(driver, 'w');
    await waitFor(driver, 'зовут?');
    const prompt = 'зовут?\n';
    const steps = [
      ['Backspace after wide characters', () => rpgTerminal.input('Ли日本\x7f\x7fX'), 'ЛиX'],
      ['Backspace after a combining mark', () => rpgTerminal.input('и\u0306\x7f'), 'ЛиX'],
      ['Ctrl-W after a word and blanks', () => rpgTerminal.input(' a日b  \x17\x7f'), 'ЛиX'],
      ['Ctrl-U', () => rpgTerminal.input('\x15ЛиX'), 'ЛиX'],
      ['a resize mid-line', () => { rpgTerminal.input('abcdefghij'.repeat(5)); rpgTerminal.resize(17, rpgTerminal.rows); },
        `ЛиX${'abcdefghij'.repeat(5)}`],
      ['Backspace after the resize', () => { rpgTerminal.resize(60, rpgTerminal.rows); rpgTerminal.input('\x7f'); },
        `ЛиX${'abcdefghij'.repeat(5).slice(0, -1)}`],
      ['a paste longer than a line', () => rpgTerminal.paste('щ'.repeat(3000)),
        `ЛиX${'abcdefghij'.repeat(5).slice(0, -1)}${'щ'.repeat((4095 - 54) >> 1)}`],
    ];
    for (const [what, act, shown] of steps) {
      await driver.evaluate(act);
      await poll(driver, typedLine, (typed) => typed && typed.line === shown && typed.shown === shown && typed.cursorAtEnd,
        (typed) => `${what}: ${JSON.stringify(typed)}`, prompt);
    }
    await driver.press('Enter');
    await waitUntil(driver, () => document.body.classList.contains('paused'), 'the pause');
    await driver.evaluate(() => rpgTerminal.paste('test'));
    await waitFor(driver, menuAlone);
    await enter(driver, 'm');
    await waitFor(driver, 'Name = ЛиXabcdefgh\n');
  },

  // Every transcript case, fed at once as from a pipe, each in a browser profile of its own.
  async transcripts(driver, base) {
    const cases = fs.readdirSync(caseDir).filter((file) => file.endsWith('-stdin')).map((file) => file.slice(0, -6));
    const failed = [];
    for (const name of cases.sort()) {
      const context = await driver.browser.createBrowserContext();
      await playTranscript(await context.newPage(), base, name).then(() => console.log(`ok: ${name}`), (error) => {
        console.error(`FAIL: ${name}: ${error.message}`);
        failed.push(name);
      });
      await context.close();
    }
    check(failed.length === 0, `${failed.length} of ${cases.length} transcripts failed: ${failed.join(', ')}`);
  },
};

// The manifest and its icons load, Chromium finds nothing against installing the page, and the
// service worker keeps every file of the site.
async function checkInstallable(driver, devtools) {
  const icons = await driver.evaluate(async () => {
    const manifest = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
    return Promise.all(manifest.icons.map(async ({ src }) => {
      const response = await fetch(new URL(src, document.baseURI));
      return `${src} ${response.status} ${response.headers.get('Content-Type')}`;
    }));
  });
  check(icons.length > 0 && icons.every((icon) => / 200 image\//.test(icon)), `the manifest's icons: ${icons.join(', ')}`);
  const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0, `not installable: ${JSON.stringify(installabilityErrors)}`);
  // The worker serves the page once it has kept the whole site.
  await waitUntil(driver, () => Boolean(navigator.serviceWorker.controller), 'the service worker');
  const cached = await driver.evaluate(async () => {
    const names = await caches.keys();
    const requests = names.length === 1 ? await (await caches.open(names[0])).keys() : [];
    return requests.map((request) => new URL(request.url).pathname.slice(1)).sort();
  });
  const site = fs.readdirSync(siteDir).filter((file) => file !== 'sw.js').sort();
  check(cached.join() === site.join(), `the offline cache holds ${cached.join(', ')}`);
}

// Every file the page loaded, but the page itself and the icon browsers look for unasked, is named
// after its content, so a server or cache can never hand a page another build's file by its name.
async function checkNamedByContent(driver) {
  const loaded = await driver.evaluate(() => performance.getEntriesByType('resource').map((entry) => new URL(entry.name).pathname.slice(1)));
  const misnamed = loaded.filter((file) => !['index.html', 'favicon.ico'].includes(file) && !file.includes(
    `-${crypto.createHash('sha256').update(fs.readFileSync(path.join(siteDir, file))).digest('hex').slice(0, 16)}.`));
  check(loaded.length >= 7 && misnamed.length === 0, `not named by content: ${misnamed.join(', ')} of ${loaded.join(', ')}`);
}

// The page's policy refuses a script written into the page, and the browser reports it; that
// report is the one violation a test expects.
async function checkPolicyRefusesInlineScript(driver) {
  const ran = await driver.evaluate(() => {
    const script = document.createElement('script');
    script.textContent = 'window.injected = true;';
    document.body.append(script);
    return Boolean(window.injected);
  });
  check(!ran, 'a script written into the page ran');
  await settle(() => violations.length > 0, 5000);
  check(violations.length === 1 && /^script-src/.test(violations[0]), `the policy's reports: ${violations.join(', ')}`);
  violations.length = 0;
}

// One transcript case: the output and the files must be exactly those of the native game.
async function playTranscript(page, base, name) {
  const file = (suffix, where = path.join(caseDir, name + suffix)) => (fs.existsSync(where) ? [...fs.readFileSync(where)] : null);
  const intro = file('-intro') || (file('-nointro') ? null : file('', path.join(caseDir, 'Intro.txt')));
  await page.goto(`${base}/blank.html`);
  await page.addScriptTag({ url: `/${gameScript}` });
  const run = await page.evaluate(async (input, intro, save) => {
    const [output, errors] = [[], []];
    const read = async (count) => new Uint8Array(input.splice(0, count));
    const game = await createRpg({ rpgConsole: { read, write: (bytes) => output.push(...bytes) }, printErr: (text) => errors.push(text) });
    intro ? game.FS.writeFile('Intro.txt', new Uint8Array(intro)) : game.FS.unlink('Intro.txt');
    save && game.FS.writeFile('chartype1.txt', new Uint8Array(save));
    const status = await game.ccall('main', 'number', [], [], { async: true });
    const left = game.FS.readdir('.').filter((entry) => !['.', '..', 'Intro.txt', 'chartype1.txt'].includes(entry));
    const saved = game.FS.analyzePath('chartype1.txt').exists ? [...game.FS.readFile('chartype1.txt')] : null;
    return { status, output, errors, left, saved };
  }, file('-stdin'), intro, file('-save'));
  const text = (bytes) => (bytes ? Buffer.from(bytes).toString() : '(none)');
  const same = (got, wanted) => !got === !wanted && Buffer.from(got || []).equals(Buffer.from(wanted || []));
  check(run.status === 0 && run.errors.length === 0, `exit status ${run.status}, errors: ${run.errors.join('\n')}`);
  check(same(run.output, file('-stdout')), `output:\n${text(run.output)}\n--- expected:\n${text(file('-stdout'))}`);
  const save = file('-saved') || file('-save');
  check(same(run.saved, save), `chartype1.txt:\n${text(run.saved)}\n--- expected:\n${text(save)}`);
  check(run.left.length === 0, `files left behind: ${run.left}`);
}

// One scenario in a fresh tab, with its site at an address of its own.
async function play(driver, scenario) {
  nextBuild = false;
  violations.length = 0;
  await driver.fresh();
  const server = http.createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const failure = await scenarios[scenario](driver, `http://127.0.0.1:${server.address().port}`).then(async () => {
    // A report sent as the scenario ends still arrives.
    await new Promise((resolve) => setTimeout(resolve, 500));
    return violations.length > 0 ? new Error(`the page's policy was violated: ${violations.join(', ')}`) : null;
  }, (error) => error);
  server.closeAllConnections();
  server.close();
  console.log(failure ? `FAIL: ${engine} ${scenario}: ${failure.message}` : `ok: ${engine} ${scenario}`);
  return !failure;
}

const driver = await engines[engine](npmDir);
const failed = [];
for (const scenario of scenarioNames) {
  (await play(driver, scenario)) || failed.push(scenario);
}
await driver.close();
// Whatever the browser left open ends with the test.
failed.length > 0 ? fail(`${engine}: ${failed.join(', ')}`) : process.exit(0);
