// The page: a terminal that fills the window, with the line mode of line-mode.js, a text copy of
// the game's output for screen readers, and the game running in the terminal, once more whenever
// the player asks.
'use strict';

(() => {
  // The font shrinks on narrow screens to fit more of each line, but never below a readable size.
  const narrowWindow = window.matchMedia('(max-width: 720px)');
  const fontSize = () => (narrowWindow.matches ? 14 : 16);
  // The terminal's scroll bar lies over its right edge; no text goes under it.
  const scrollBarWidth = 14;
  // How many lines of the game's output a screen reader can read back.
  const loggedLines = 300;
  // Said before the game's first text when the browser's storage could not be read for this run.
  const savesUnavailable = 'Сохранения в этом браузере сейчас недоступны: сохранить игру не получится.\n\n';

  // The game's output as plain text for a screen reader to announce and read back: escape codes
  // and page breaks left out, and only the most recent lines kept. What the game writes before it
  // waits for the player (a screen, its question last) is one addition to the live region, since a
  // screen reader may speak only the newest of several additions, or speak them out of order.
  class OutputLog {
    constructor(element) {
      this.element = element;
      this.lineCount = 0;
      this.reset();
    }

    reset() {
      this.decoder = new TextDecoder();
      this.unread = '';
      this.pending = '';
      this.screen = [];
      this.waiting = false;
    }

    // The game's rows are joined again: a row break it added at a space (CR LF) is that space, one
    // inside a word that was too long for a row (LF CR) is nothing. Only its own line feeds end
    // a line here. A line end that may be the start of a break waits for the next write.
    write(bytes) {
      this.waiting = false;
      const text = this.unread + this.decoder.decode(bytes, { stream: true });
      const whole = text.replace(/[\r\n]{1,2}$/u, '');
      this.unread = text.slice(whole.length);
      this.take(whole);
    }

    take(text) {
      const plain = text.replace(/\r\n/gu, ' ').replace(/\n\r/gu, '')
        .replace(/\x1b\[[0-?]*[ -/]*[@-~]|\x1b.?|[\x00-\x09\x0b-\x1f\x7f]/gsu, '');
      const lines = (this.pending + plain).split('\n');
      this.pending = lines.pop();
      lines.forEach((line) => this.keep(line));
    }

    keep(line) {
      if (line.trim() !== '') {
        this.screen.push(line);
      }
    }

    // The game now waits for an answer or a key, or has ended: all it wrote since it last waited,
    // the question so far last and then `more`, is read out.
    giveOut(...more) {
      this.take(this.unread);
      this.unread = '';
      this.keep(this.pending);
      this.pending = '';
      more.forEach((line) => this.keep(line));
      this.waiting = true;
      if (this.screen.length === 0) {
        return;
      }
      const entry = document.createElement('p');
      entry.textContent = this.screen.join('\n');
      entry.lineCount = this.screen.length;
      this.screen = [];
      this.element.append(entry);
      this.lineCount += entry.lineCount;
      while (this.lineCount > loggedLines && this.element.childElementCount > 1) {
        this.lineCount -= this.element.firstElementChild.lineCount;
        this.element.firstElementChild.remove();
      }
    }

    // The game goes on after the player's answer.
    resumed() {
      this.waiting = false;
    }

    // The page's own word: read out at once while the game waits, else with what the game writes
    // until it next waits, so it cannot push that out.
    announce(text) {
      this.keep(text);
      if (this.waiting) {
        this.giveOut();
      }
    }
  }

  // As many whole character cells as the box holds: the game breaks its lines between words at
  // the terminal's width, and what is shown flows again when the window changes.
  function fitTerminal(terminal, box) {
    if (terminal.options.fontSize !== fontSize()) {
      terminal.options.fontSize = fontSize();
      // The cells take their new size when the terminal next draws.
      requestAnimationFrame(() => fitTerminal(terminal, box));
      return;
    }
    const screen = terminal.element.querySelector('.xterm-screen').getBoundingClientRect();
    const cellWidth = screen.width / terminal.cols;
    const cellHeight = screen.height / terminal.rows;
    if (!(cellWidth > 0 && cellHeight > 0)) {
      return;
    }
    const style = getComputedStyle(box);
    const width = box.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight) - scrollBarWidth;
    const height = box.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    const columns = Math.max(1, Math.floor(width / cellWidth));
    const rows = Math.max(1, Math.floor(height / cellHeight));
    if (columns !== terminal.cols || rows !== terminal.rows) {
      terminal.resize(columns, rows);
    }
  }

  // Once the page has been visited, the whole site is kept by the browser and plays offline.
  // A new build's worker takes over at once; a running game keeps its own build.
  // Kept only once the page has loaded and the terminal has drawn what the game wrote before it
  // first waited for the player, so that fetching the site again does not slow the first screen.
  let showFirstScreen;
  const firstScreen = new Promise((resolve) => { showFirstScreen = resolve; });
  let firstWait = () => {
    firstWait = () => {};
    terminal.write('', () => requestAnimationFrame(() => setTimeout(showFirstScreen)));
  };
  if ('serviceWorker' in navigator) {
    const loaded = new Promise((resolve) => window.addEventListener('load', resolve));
    Promise.all([loaded, firstScreen]).then(() => navigator.serviceWorker.register('sw.js'))
      .catch((error) => console.warn(`No offline play: ${error}`));
  }

  // A server that takes a request and never answers is given up on, as one that refuses it, so
  // "Играть снова" always comes to a game or to words on why there is none: the page's look for
  // a new build soon, since this build plays on without it, the game's own files later.
  const buildPatience = 3000;
  const gamePatience = 10000;
  const inTime = (promise, patience) => new Promise((resolve, reject) => {
    const giveUp = setTimeout(reject, patience, new Error('The server did not answer in time'));
    promise.then(resolve, reject).finally(() => clearTimeout(giveUp));
  });

  // The site has changed since this page loaded when its page, as the service worker or else the
  // server gives it now, names another build. Offline and with no worker, this build goes on.
  const build = document.querySelector('meta[name="rpg-build"]').content;
  async function siteChanged() {
    try {
      return await inTime(fetch('index.html', { cache: 'no-cache' }).then(async (response) => {
        const current = (await response.text()).match(/<meta name="rpg-build" content="([^"]*)">/);
        return response.ok && current !== null && current[1] !== build;
      }), buildPatience);
    } catch {
      return false;
    }
  }

  // The game's module starts loading at once, so it compiles while the page is being built; the
  // console it is handed reaches the terminal only when the game runs.
  let terminal = null;
  let lineMode = null;
  let outputLog = null;
  // The game's output goes to the terminal at the pace the terminal takes it in: while more than
  // this waits there, the game's next read or pause waits too, so no flood of output (a long
  // paste answered by menu after menu) is ever dropped. What the game writes before it next waits
  // reaches the terminal as one write, which the terminal takes in and draws whole, not a part at
  // a time.
  const output = {
    highWater: 256 * 1024,
    waiting: 0,
    wake: () => {},
    pending: [],
    write(bytes) {
      if (this.pending.length === 0) {
        queueMicrotask(() => this.flush());
      }
      this.pending.push(bytes);
    },
    flush() {
      if (this.pending.length === 0) {
        return;
      }
      const bytes = new Uint8Array(this.pending.reduce((total, part) => total + part.length, 0));
      let offset = 0;
      for (const part of this.pending) {
        bytes.set(part, offset);
        offset += part.length;
      }
      this.pending = [];
      this.waiting += bytes.length;
      terminal.write(bytes, () => {
        this.waiting -= bytes.length;
        if (this.waiting <= this.highWater / 8) {
          this.wake();
        }
      });
    },
    async drained() {
      while (this.waiting > this.highWater) {
        await new Promise((resolve) => { this.wake = resolve; });
      }
    },
  };
  // Before the game waits for the player: all it wrote is on its way to the terminal, the screen
  // so far goes to the screen reader, and the terminal has caught up.
  async function showAllBeforeWaiting() {
    output.flush();
    firstWait();
    outputLog.giveOut();
    await output.drained();
  }
  const gameConsole = {
    read: async (count) => {
      await showAllBeforeWaiting();
      const bytes = await lineMode.read(count);
      outputLog.resumed();
      return bytes;
    },
    write: (bytes) => {
      outputLog.write(bytes);
      output.write(bytes);
      lineMode.gameWrote();
    },
    // What the game says of a failure reaches the screen and the screen reader like the rest.
    writeError: (bytes) => gameConsole.write(bytes),
    // The game breaks its lines between words at the terminal's width.
    columns: () => terminal.cols,
    waitForKey: async () => {
      await showAllBeforeWaiting();
      document.body.classList.add('paused');
      await lineMode.waitForKey();
      outputLog.resumed();
      document.body.classList.remove('paused');
    },
  };
  let loading = createRpg({ rpgConsole: gameConsole });

  document.addEventListener('DOMContentLoaded', () => {
    const box = document.getElementById('terminal');
    const gameOver = document.getElementById('game-over');
    const playAgain = document.getElementById('play-again');
    Terminal.strings.promptLabel = 'Ваш ответ';
    terminal = new Terminal({
      cols: 80,
      rows: 25,
      convertEol: true,
      cursorBlink: true,
      fontFamily: '"DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace',
      fontSize: fontSize(),
      // No shell redraws the line being typed, so the terminal flows it with the rest.
      reflowCursorLine: true,
      scrollback: 1000,
    });
    terminal.open(box);
    // Tab and Shift+Tab leave the terminal for the page's buttons, as everywhere on a page; no
    // answer the game reads holds a tab. The page says so where a screen reader finds it.
    terminal.attachCustomKeyEventHandler((event) => event.key !== 'Tab');
    terminal.textarea.setAttribute('aria-describedby', 'keys-hint');
    // For automation and debugging from the browser's console.
    window.rpgTerminal = terminal;
    lineMode = new LineMode(terminal);
    window.rpgLineMode = lineMode;
    outputLog = new OutputLog(document.getElementById('game-log'));
    fitTerminal(terminal, box);
    new ResizeObserver(() => fitTerminal(terminal, box)).observe(box);
    narrowWindow.addEventListener('change', () => fitTerminal(terminal, box));
    // A tap opens a phone's keyboard, and at a pause it goes on. A drag that selects text ends in
    // a click too, but it is no answer to a pause.
    let pressedAt = { x: 0, y: 0 };
    box.addEventListener('pointerdown', (event) => { pressedAt = { x: event.clientX, y: event.clientY }; }, true);
    box.addEventListener('click', (event) => {
      if (!gameOver.hidden) {
        return;
      }
      terminal.focus();
      if (Math.hypot(event.clientX - pressedAt.x, event.clientY - pressedAt.y) < 10) {
        lineMode.endPause();
      }
    });

    // The game's end moves the focus to "Играть снова" at once, in a task of its own, once the key
    // that ended the game has been handled. No wait for that key's release, which a screen reader
    // may keep to itself: a release on the button presses nothing in any browser, and the button
    // takes no key's repeat, so the key that ended the game, held, does not start another.
    playAgain.addEventListener('keydown', (event) => event.repeat && event.preventDefault());
    // The terminal's text box answers the game only while it runs: once the game is over, keys typed
    // there go nowhere, and once the focus has left it, screen readers no longer find an answer
    // field the game does not read (hidden while it has the focus, a screen reader would announce
    // what holds it instead), and neither Tab nor a tap on the terminal can put the focus there.
    const gameRuns = (running) => {
      terminal.options.disableStdin = !running;
      if (running) {
        terminal.textarea.disabled = false;
        terminal.textarea.removeAttribute('aria-hidden');
        return;
      }
      setTimeout(() => {
        if (!gameOver.hidden) {
          playAgain.focus();
          terminal.textarea.setAttribute('aria-hidden', 'true');
          terminal.textarea.disabled = true;
        }
      });
    };
    // After a button of the page, the keys go back to the game, or to "Играть снова" once it is over.
    window.rpgBackToGame = () => (gameOver.hidden ? terminal.focus() : playAgain.focus());
    // The page's own messages reach the screen reader with the game's output.
    window.rpgAnnounce = (text) => outputLog.announce(text);

    // What the player is told when a run fails: the game's files could not be had, or the game
    // broke off. The error itself is for the browser's console.
    const gameNotLoaded = 'Не удалось загрузить игру. Проверьте подключение к сети и нажмите «Играть снова».';
    const gameFailed = 'Игра прервалась из-за ошибки. Нажмите «Играть снова», чтобы начать заново.';

    // Whether "Играть снова" was pressed since the game was last over: a second press before the
    // new run has begun starts nothing more.
    let pressed = false;

    // A run of the game; it continues the save, if there is one, as a start on Linux does.
    async function play() {
      gameRuns(true);
      terminal.focus();
      // "Играть снова", which had the focus, goes a frame after the focus has moved, so that the
      // browser tells the screen reader of the move first: one that sees the focused button go
      // first puts its place on the answer field unannounced, and goes on reading the page instead
      // of passing the keys to the game.
      let over = false;
      requestAnimationFrame(() => requestAnimationFrame(() => { gameOver.hidden = !over; }));
      // Reverse wraparound, so Backspace goes back over a line that wrapped at the right edge.
      terminal.write('\x1b[?45h');
      lineMode.reset();
      outputLog.reset();
      let failure = null;
      let game = null;
      try {
        game = await loading;
        if (game.savesUnavailable) {
          gameConsole.write(new TextEncoder().encode(savesUnavailable));
        }
        await game.ccall('main', 'number', [], [], { async: true });
      } catch (error) {
        console.error(`The game did not run: ${error}`);
        failure = game ? gameFailed : gameNotLoaded;
        output.flush();
        terminal.write(`\r\n\r\n${failure}\r\n`);
      }
      outputLog.giveOut(...(failure ? [failure] : []), 'Игра окончена.');
      over = true;
      gameOver.hidden = false;
      pressed = false;
      gameRuns(false);
    }

    // Another run of this page's build, unless the site has a new build by now: its page comes
    // whole with a reload, so no page ever mixes the files of two builds.
    playAgain.addEventListener('click', async () => {
      if (pressed) {
        return;
      }
      pressed = true;
      if (await siteChanged()) {
        window.location.reload();
        return;
      }
      loading = inTime(createRpg({ rpgConsole: gameConsole }), gamePatience);
      // Only a terminal that has played needs a reset; the first screen comes sooner without one.
      terminal.reset();
      play();
    });
    play();
  });
})();
