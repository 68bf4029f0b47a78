// The three browser engines behind one small interface, so that the same steps play in each:
// fresh() (a new tab in place of the others, for the next scenario), open(url), reload(),
// evaluate(function, ...args), type(text), press(key), pressWithControl(key), pressWithShift(key),
// click(selector), foreignRequests(base) and close(). Keys are named as puppeteer names them.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

// Chromium and Firefox through puppeteer-core, over the DevTools protocol and WebDriver BiDi. The
// profile lives as long as the test, so relaunch(options) starts the browser again on it.
async function puppeteerDriver(npmDir, options) {
  const puppeteer = createRequire(path.resolve(npmDir, 'package.json'))('puppeteer-core');
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'rpg-profile-'));
  process.on('exit', () => fs.rmSync(userDataDir, { recursive: true, force: true }));
  let requests = [];
  let browser;
  let page;
  const watch = (tab) => {
    page = tab;
    page.on('request', (request) => requests.push(request.url()));
  };
  const launch = async (more) => {
    browser = await puppeteer.launch({ ...options, userDataDir, ...more });
    watch((await browser.pages())[0]);
  };
  await launch({});
  return {
    get browser() { return browser; },
    get page() { return page; },
    async fresh() {
      const earlier = await browser.pages();
      watch(await browser.newPage());
      requests = [];
      await Promise.all(earlier.map((tab) => tab.close()));
    },
    async relaunch(more) {
      await browser.close();
      await launch(more);
    },
    open: (url) => page.goto(url),
    reload: () => page.reload(),
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    type: (text) => page.keyboard.type(text),
    press: (key) => page.keyboard.press(key),
    async pressWithControl(key, modifier = 'Control') {
      await page.keyboard.down(modifier);
      await page.keyboard.press(key);
      await page.keyboard.up(modifier);
    },
    pressWithShift(key) { return this.pressWithControl(key, 'Shift'); },
    click: (selector) => page.click(selector),
    foreignRequests: (base) => requests.filter((url) => !url.startsWith(base) && !url.startsWith('data:')),
    close: () => browser.close(),
  };
}

export function chromium(npmDir) {
  return puppeteerDriver(npmDir, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

export function firefox(npmDir) {
  return puppeteerDriver(npmDir, {
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
  });
}

// A program the driver needs for as long as the test runs.
function start(command, args, env = {}) {
  const child = spawn(command, args, { env: { ...process.env, ...env }, stdio: ['ignore', 'ignore', 'pipe'] });
  let errors = '';
  child.stderr.on('data', (data) => { errors = (errors + data).slice(-2000); });
  child.on('exit', (code) => code && console.error(`${command} exited with ${code}: ${errors}`));
  process.on('exit', () => child.kill());
  return child;
}

// A port that nothing listens on just now.
function freePort() {
  const probe = net.createServer();
  return new Promise((resolve) => probe.listen(0, '127.0.0.1', () => {
    const { port } = probe.address();
    probe.close(() => resolve(port));
  }));
}

// Xvfb prints the number of the display it took on the descriptor it is given.
function startXvfb() {
  const xvfb = spawn(process.env.XVFB || 'Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  process.on('exit', () => xvfb.kill());
  return new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(`:${String(data).trim()}`));
    xvfb.once('exit', (code) => reject(new Error(`Xvfb exited with ${code}`)));
  });
}

// WebKit: MiniBrowser under Xvfb, as it has no headless mode, driven by WebKitWebDriver over the
// W3C WebDriver protocol with node's fetch.
export async function webkit() {
  const display = await startXvfb();
  const port = await freePort();
  const driverProcess = start(process.env.WEBKIT_DRIVER || 'WebKitWebDriver', [`--port=${port}`], { DISPLAY: display });
  const root = `http://127.0.0.1:${port}`;
  const call = async (method, where, body) => {
    const response = await fetch(`${root}${where}`, { method, body: body && JSON.stringify(body), headers: { 'Content-Type': 'application/json' } });
    const { value } = await response.json();
    if (!response.ok) {
      throw new Error(`WebDriver ${where}: ${value.error}: ${value.message}`);
    }
    return value;
  };
  for (let tries = 0; ; tries += 1) {
    try {
      await call('GET', '/status');
      break;
    } catch (error) {
      if (tries === 100 || driverProcess.exitCode !== null) {
        throw error;
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  const { sessionId } = await call('POST', '/session', {
    capabilities: {
      alwaysMatch: {
        'webkitgtk:browserOptions': {
          binary: process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
          args: ['--automation'],
        },
      },
    },
  });
  const session = (method, where, body) => call(method, `/session/${sessionId}${where}`, body);
  const keyCodes = { Enter: '\uE007', Backspace: '\uE003', Control: '\uE009', Shift: '\uE008', Tab: '\uE004' };
  const keys = (...actions) => session('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  const pressKey = (key) => [{ type: 'keyDown', value: keyCodes[key] || key }, { type: 'keyUp', value: keyCodes[key] || key }];
  const evaluate = (fn, ...args) => session('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments);`, args });
  return {
    fresh: async () => {},
    open: (url) => session('POST', '/url', { url }),
    reload: () => session('POST', '/refresh', {}),
    evaluate,
    type: (text) => keys(...Array.from(text).flatMap(pressKey)),
    press: (key) => keys(...pressKey(key)),
    pressWithControl: (key, modifier = 'Control') => keys({ type: 'keyDown', value: keyCodes[modifier] }, ...pressKey(key),
      { type: 'keyUp', value: keyCodes[modifier] }),
    pressWithShift(key) { return this.pressWithControl(key, 'Shift'); },
    async click(selector) {
      const element = await session('POST', '/element', { using: 'css selector', value: selector });
      await session('POST', `/element/${Object.values(element)[0]}/click`, {});
    },
    // WebDriver sees no requests; the page's own record of what it loaded stands in.
    foreignRequests: (base) => evaluate((base) => performance.getEntriesByType('resource')
      .map((entry) => entry.name).filter((url) => !url.startsWith(base)), base),
    async close() {
      await session('DELETE', '').catch(() => {});
      driverProcess.kill();
    },
  };
}
