// The page's line mode, standing in for a Linux terminal's: what the player sees of a line being
// typed is always what the game gets when Enter hands it over.
'use strict';

const LineMode = (() => {
  // What one key sends: an escape sequence (an arrow, a function key, Alt with a key) or one
  // character. A paste sends many keys at once.
  const keyPattern = /\x1b\[[0-?]*[ -/]*[@-~]|\x1bO.|\x1b.?|[^]/gsu;
  // The characters a name never keeps, which the build takes from controlCharacters in
  // Utf8Input.hpp: the line mode refuses them as keys, so the line shown is the line the game keeps.
  const controlCharacter = /[@RPG_CONTROL_CHARACTERS@]/u;
  const printable = (key) => Array.from(key).length === 1 && !controlCharacter.test(key);
  // As a Linux terminal in line mode: a line holds at most 4095 bytes, and further keys are refused.
  const maxLineBytes = 4095;
  // Erases from the cursor to the end of the screen.
  const eraseBelow = '\x1b[J';

  // The characters as the player sees them: a letter with its combining marks, an emoji with its
  // modifiers, a wide character.
  const characters = typeof Intl.Segmenter === 'function'
    ? (text) => Array.from(new Intl.Segmenter().segment(text), (part) => part.segment)
    : (text) => text.match(/\P{M}\p{M}*|\p{M}+/gu) || [];
  const lastCharacter = (text) => characters(text).pop();
  // As a Linux terminal's Ctrl-W: the blanks before the cursor, then the word before them.
  const lastWord = /\S*\s*$/u;
  // A byte that continues a UTF-8 sequence.
  const continuation = (byte) => (byte & 0xc0) === 0x80;

  // Typed characters are shown as they come and kept until Enter hands the line, with its line
  // feed, to the game; Backspace takes back the last character, Ctrl-U the whole line and Ctrl-W
  // the last word. Ctrl-D on an empty line is the end of input, as on a Linux terminal. A pause
  // takes the first character typed ahead, as a Linux terminal's does; with nothing typed ahead,
  // it takes the next key, or the next burst of characters, unseen.
  return class LineMode {
    constructor(terminal) {
      this.terminal = terminal;
      this.encoder = new TextEncoder();
      this.anchor = null;
      terminal.onData((data) => this.receive(data));
      // The terminal flows the typed line anew; the line is then written again where it now starts.
      terminal.onResize(() => this.redraw());
      this.reset();
    }

    // Forgets whatever was typed for an earlier game.
    reset() {
      this.line = '';
      this.lineBytes = 0;
      this.stale = false;
      this.entered = [];
      this.ended = false;
      this.wakeReader = () => {};
      this.takeKey = null;
      this.dropAnchor();
    }

    waitForKey() {
      this.showAfterOutput();
      if (this.takeTypedAhead()) {
        return Promise.resolve();
      }
      return new Promise((resolve) => { this.takeKey = resolve; });
    }

    // The first character of what the game has not read yet: an entered line's, or else the
    // typed line's, which is then shown without it.
    takeTypedAhead() {
      if (this.entered.length > 0) {
        const [first, ...rest] = characters(new TextDecoder().decode(this.entered[0]));
        const left = this.encoder.encode(rest.join(''));
        left.length > 0 ? this.entered[0] = left : this.entered.shift();
        return Boolean(first);
      }
      if (this.line === '') {
        return false;
      }
      this.line = this.line.slice(characters(this.line)[0].length);
      this.lineBytes = this.bytesOf(this.line);
      this.redraw();
      return true;
    }

    // The game has written after the typed line; before the line is next shown or read, it is
    // written again below that output, so the screen always shows what the game will get.
    gameWrote() {
      this.stale = this.line !== '';
    }

    // True when the line had to be written again, and now has been.
    showAfterOutput() {
      if (!this.stale) {
        return false;
      }
      this.stale = false;
      this.dropAnchor();
      this.setAnchor();
      this.terminal.write(this.line);
      return true;
    }

    // A key or a tap ends a pause; a tap at any other time types nothing.
    endPause() {
      if (this.takeKey) {
        const resume = this.takeKey;
        this.takeKey = null;
        resume();
      }
    }

    async read(count) {
      this.showAfterOutput();
      while (this.entered.length === 0 && !this.ended) {
        await new Promise((resolve) => { this.wakeReader = resolve; });
      }
      const bytes = this.entered.shift() || new Uint8Array(0);
      if (bytes.length <= count) {
        return bytes;
      }
      // Whole characters only, so a pause can still take the first of what stays.
      let end = count;
      while (end > 0 && continuation(bytes[end])) {
        end -= 1;
      }
      this.entered.unshift(bytes.subarray(end || count));
      return bytes.subarray(0, end || count);
    }

    // Whatever arrives at once at a pause (a paste, a keyboard's suggestion, an input method's
    // word) ends the pause and is taken by it whole, so none of it turns up in the next answer.
    receive(data) {
      const keys = data.match(keyPattern) || [];
      if (this.takeKey && keys.length > 0) {
        this.endPause();
        return;
      }
      keys.forEach((key) => this.edit(key));
    }

    edit(key) {
      if (key === '\r' || key === '\n') {
        this.showAfterOutput();
        this.terminal.write('\r\n');
        this.handOver(this.line + '\n');
      } else if (key === '\x7f' || key === '\b') {
        this.eraseLastCharacter();
      } else if (key === '\x15') {
        this.erase(this.line);
      } else if (key === '\x17') {
        this.erase(this.line.match(lastWord)[0]);
      } else if (key === '\x04') {
        this.endInput();
      } else if (printable(key) && this.lineBytes + this.bytesOf(key) <= maxLineBytes) {
        this.setAnchor();
        this.line += key;
        this.lineBytes += this.bytesOf(key);
        if (!this.showAfterOutput()) {
          this.terminal.write(key);
        }
      }
    }

    bytesOf(text) {
      return this.encoder.encode(text).length;
    }

    handOver(text) {
      this.entered.push(this.encoder.encode(text));
      this.line = '';
      this.lineBytes = 0;
      this.stale = false;
      this.dropAnchor();
      this.wakeReader();
    }

    eraseLastCharacter() {
      if (this.line !== '') {
        this.erase(lastCharacter(this.line));
      }
    }

    // Takes `end`, the end of the line, off it.
    erase(end) {
      if (end !== '') {
        this.line = this.line.slice(0, -end.length);
        this.lineBytes -= this.bytesOf(end);
        this.redraw();
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

    // Runs once the terminal has taken in everything written so far, so its cursor is current.
    afterWrites(action) {
      this.terminal.write('', action);
    }

    // Where the typed line starts, kept as the first row of the terminal's line that holds it
    // (which moves as the terminal scrolls and flows its lines) and the cells before it there.
    setAnchor() {
      if (this.anchor) {
        return;
      }
      const anchor = {};
      this.anchor = anchor;
      this.afterWrites(() => {
        const buffer = this.terminal.buffer.active;
        const cursorRow = buffer.baseY + buffer.cursorY;
        let row = cursorRow;
        while (row > 0 && buffer.getLine(row).isWrapped) {
          row -= 1;
        }
        anchor.marker = this.terminal.registerMarker(row - cursorRow);
        anchor.cells = (cursorRow - row) * this.terminal.cols + buffer.cursorX;
      });
    }

    dropAnchor() {
      const anchor = this.anchor;
      this.anchor = null;
      this.afterWrites(() => anchor?.marker?.dispose());
    }

    // Writes the typed line again from where it starts and erases what followed it, so the screen
    // shows the line as it is now, with the cursor after it, at whatever width.
    redraw() {
      const anchor = this.anchor;
      if (this.showAfterOutput() || !anchor) {
        return;
      }
      this.afterWrites(() => {
        if (anchor !== this.anchor || !anchor.marker || anchor.marker.isDisposed) {
          return;
        }
        const buffer = this.terminal.buffer.active;
        const cols = this.terminal.cols;
        const screenRow = anchor.marker.line + Math.floor(anchor.cells / cols) - buffer.baseY;
        if (screenRow >= 0) {
          this.terminal.write(`\x1b[${screenRow + 1};${(anchor.cells % cols) + 1}H${this.line}${eraseBelow}`);
          return;
        }
        // The line's start has scrolled out of sight: the line is written again from the top.
        this.terminal.write(`\x1b[H${eraseBelow}`);
        anchor.marker.dispose();
        this.anchor = null;
        this.setAnchor();
        this.terminal.write(this.line);
      });
    }
  };
})();
