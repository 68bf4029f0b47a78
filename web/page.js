// The page: a terminal that fills the window, the line mode that a Linux terminal gives a program
// reading lines, and the game running in it, once more whenever the player asks.
'use strict';

(() => {
  const minimumColumns = 80;
  const minimumRows = 25;

  // What one key sends: an escape sequence (an arrow, a function key, Alt with a key) or one
  // character. A paste sends many keys at once.
  const keyPattern = /\x1b\[[0-?]*[ -/]*[@-~]|\x1bO.|\x1b.?|[^]/gsu;
  const printable = /^[^\x00-\x1f\x7f-\x9f]$/u;

  // Typed characters are shown as they come and kept until Enter hands the line, with its line
  // feed, to the game; Backspace takes back the last character. Ctrl-D on an empty line is the
  // end of input, as on a Linux terminal. A pause takes the next key unseen.
  class LineMode {
    constructor(terminal) {
      this.terminal = terminal;
      this.encoder = new TextEncoder();
      terminal.onData((data) => this.receive(data));
      this.reset();
    }

    // Forgets whatever was typed for an earlier game.
    reset() {
      this.line = '';
      this.entered = [];
      this.ended = false;
      this.wakeReader = () => {};
      this.takeKey = null;
    }

    waitForKey() {
      return new Promise((resolve) => { this.takeKey = resolve; });
    }

    async read(count) {
      while (this.entered.length === 0 && !this.ended) {
        await new Promise((resolve) => { this.wakeReader = resolve; });
      }
      const bytes = this.entered.shift() || new Uint8Array(0);
      if (bytes.length > count) {
        this.entered.unshift(bytes.subarray(count));
      }
      return bytes.subarray(0, count);
    }

    receive(data) {
      const keys = data.match(keyPattern) || [];
      if (this.takeKey && keys.length > 0) {
        keys.shift();
        const resume = this.takeKey;
        this.takeKey = null;
        resume();
      }
      keys.forEach((key) => this.edit(key));
    }

    edit(key) {
      if (key === '\r' || key === '\n') {
        this.terminal.write('\r\n');
        this.handOver(this.line + '\n');
      } else if (key === '\x7f' || key === '\b') {
        this.eraseLastCharacter();
      } else if (key === '\x04') {
        this.endInput();
      } else if (printable.test(key)) {
        this.line += key;
        this.terminal.write(key);
      }
    }

    handOver(text) {
      this.entered.push(this.encoder.encode(text));
      this.line = '';
      this.wakeReader();
    }

    eraseLastCharacter() {
      const characters = Array.from(this.line);
      if (characters.length > 0) {
        characters.pop();
        this.line = characters.join('');
        this.terminal.write('\b \b');
      }
    }

    // As on Linux, Ctrl-D after some text hands that text over without a line feed.
    endInput() {
      if (this.line !== '') {
        this.handOver(this.line);
        return;
      }
      this.ended = true;
      this.wakeReader();
    }
  }

  // As many whole character cells as the box holds, but never fewer than 80 by 25: a smaller
  // window scrolls.
  function fitTerminal(terminal, box) {
    const screen = terminal.element.querySelector('.xterm-screen').getBoundingClientRect();
    const cellWidth = screen.width / terminal.cols;
    const cellHeight = screen.height / terminal.rows;
    if (!(cellWidth > 0 && cellHeight > 0)) {
      return;
    }
    const columns = Math.max(minimumColumns, Math.floor(box.clientWidth / cellWidth));
    const rows = Math.max(minimumRows, Math.floor(box.clientHeight / cellHeight));
    if (columns !== terminal.cols || rows !== terminal.rows) {
      terminal.resize(columns, rows);
    }
  }

  // The game's module starts loading at once, so it compiles while the page is being built; the
  // console it is handed reaches the terminal only when the game runs.
  let terminal = null;
  let lineMode = null;
  const gameConsole = {
    read: (count) => lineMode.read(count),
    write: (bytes) => terminal.write(bytes),
    waitForKey: () => lineMode.waitForKey(),
  };
  let loading = createRpg({ rpgConsole: gameConsole });

  document.addEventListener('DOMContentLoaded', () => {
    const box = document.getElementById('terminal');
    const gameOver = document.getElementById('game-over');
    const playAgain = document.getElementById('play-again');
    terminal = new Terminal({
      cols: minimumColumns,
      rows: minimumRows,
      convertEol: true,
      cursorBlink: true,
      fontFamily: '"DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace',
      fontSize: 16,
      scrollback: 1000,
    });
    terminal.open(box);
    // For automation and debugging from the browser's console.
    window.rpgTerminal = terminal;
    lineMode = new LineMode(terminal);
    fitTerminal(terminal, box);
    new ResizeObserver(() => fitTerminal(terminal, box)).observe(box);

    // A run of the game; it continues the save, if there is one, as a start on Linux does.
    async function play() {
      gameOver.hidden = true;
      terminal.reset();
      // Reverse wraparound, so Backspace goes back over a line that wrapped at the right edge.
      terminal.write('\x1b[?45h');
      lineMode.reset();
      terminal.focus();
      try {
        const game = await loading;
        await game.ccall('main', 'number', [], [], { async: true });
      } catch (error) {
        terminal.write(`\r\n\r\n[${error}]\r\n`);
      }
      gameOver.hidden = false;
      // Once the key that ended the game is released, so it cannot also press the button.
      document.addEventListener('keyup', () => playAgain.focus(), { once: true });
    }

    playAgain.addEventListener('click', () => {
      loading = createRpg({ rpgConsole: gameConsole });
      play();
    });
    play();
  });
})();
