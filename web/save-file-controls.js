// The save as a file, under the terminal: "Скачать сохранение" gives the save the browser keeps as
// chartype1.txt, the same file the desktop game writes, and "Загрузить сохранение" (or a file
// dropped on the page) takes a save file from any build of the game and starts a new run that
// continues it. The page also asks the browser to keep its storage once the player has saved. What
// the page has to say goes to a status line, which screen readers announce.
'use strict';

(() => {
  const saveFile = 'chartype1.txt';
  // The game's own limit for a file it reads whole, which the build takes from maxWholeFileBytes in
  // WholeFile.hpp: anything larger cannot be a save.
  const largestSave = @RPG_LARGEST_FILE@;
  // The lines of a save that hold numbers, counted from 0: all but the name, line 10.
  const numberLines = [0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11];
  // The game writes text, line ends and tabs, and nothing else below a space.
  const controlCharacter = /[\x00-\x08\x0b\x0c\x0e-\x1f\x7f]/u;
  // Said after the reload that a loaded save starts.
  const loadedNote = 'rpg-save-loaded';
  // Kept once the player has been told that the browser may clear the save.
  const warnedNote = 'rpg-storage-not-kept';

  document.addEventListener('DOMContentLoaded', () => {
    const message = document.getElementById('save-message');
    const chooser = document.getElementById('save-file-input');
    const say = (text) => { message.textContent = text; };
    const savePath = () => `${rpgSaves.folder}/${saveFile}`;
    const backToGame = () => window.rpgTerminal && rpgTerminal.focus();

    if (sessionStorage.getItem(loadedNote)) {
      sessionStorage.removeItem(loadedNote);
      say('Сохранение загружено из файла.');
    }

    // The save store knows its folder from the start, and its requests wait their turn behind the
    // first run's read of the storage, so the buttons work while the game still loads.
    document.getElementById('download-save').addEventListener('click', async () => {
      try {
        const bytes = await rpgSaves.read(savePath());
        if (!bytes) {
          say('Сохранения пока нет: сначала сохраните игру.');
          return;
        }
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
        link.download = saveFile;
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        say('');
      } catch (error) {
        say('Не удалось скачать сохранение: хранилище браузера сейчас недоступно.');
      } finally {
        backToGame();
      }
    });

    document.getElementById('load-save').addEventListener('click', () => chooser.click());
    chooser.addEventListener('change', () => {
      const files = Array.from(chooser.files);
      chooser.value = '';
      take(files);
    });
    // A chooser closed with no file gives the keys back to the game too.
    chooser.addEventListener('cancel', backToGame);
    // A file dropped on the page is loaded too; a folder is not a file.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      const entries = Array.from(event.dataTransfer.items || [], (item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
      take(Array.from(event.dataTransfer.files), entries.some((entry) => entry && entry.isDirectory));
    });

    async function take(files, folder = false) {
      if (files.length === 0) {
        return backToGame();
      }
      if (folder) {
        say('Это папка, а не файл сохранения: загрузите файл chartype1.txt.');
      } else if (files.length > 1) {
        say(`Файлов ${files.length}, а сохранение одно: загрузите один файл.`);
      } else {
        await load(files[0]);
      }
      backToGame();
    }

    // A file that the game could have written goes to the browser's storage as it is; the game reads
    // it as it reads any save.
    async function load(file) {
      if (file.size > largestSave) {
        say('Это не сохранение игры: файл слишком большой.');
        return;
      }
      let bytes;
      try {
        bytes = new Uint8Array(await file.arrayBuffer());
      } catch (error) {
        say('Не удалось прочитать файл: браузер не дал его открыть.');
        return;
      }
      const fault = notASave(bytes);
      if (fault) {
        say(`Это не сохранение игры: ${fault}.`);
        return;
      }
      let kept;
      try {
        kept = await rpgSaves.read(savePath());
      } catch (error) {
        say('Не удалось загрузить сохранение: хранилище браузера сейчас недоступно.');
        return;
      }
      const running = document.getElementById('game-over').hidden;
      if ((kept || running) && !window.confirm(question(Boolean(kept), running))) {
        return;
      }
      const failure = await rpgSaves.storeFromFile(savePath(), bytes, kept);
      if (failure) {
        say(`Не удалось загрузить сохранение: ${failure}.`);
        return;
      }
      // A new run continues the loaded save, as after "Играть снова"; the running one ends with
      // the page.
      sessionStorage.setItem(loadedNote, '1');
      window.location.reload();
    }

    // Why the game cannot have written `bytes`, or nothing when it could have. The game's own reader
    // takes any text; only a file the player hands over is held to what the game writes.
    function notASave(bytes) {
      const order = bytes[0] === 0xff && bytes[1] === 0xfe ? 'utf-16le' : bytes[0] === 0xfe && bytes[1] === 0xff ? 'utf-16be' : 'utf-8';
      const text = new TextDecoder(order).decode(bytes);
      if (text === '') {
        return 'в файле нет текста';
      }
      if (controlCharacter.test(text)) {
        return 'в файле есть управляющие символы';
      }
      const lines = text.split('\n').map((line) => line.replace(/\r$/u, ''));
      if (!numberLines.every((line) => /^-?[0-9]+$/u.test(lines[line] ?? ''))) {
        return 'в строках, где игра пишет числа, не числа';
      }
      return null;
    }

    function question(replacing, running) {
      return [
        replacing ? 'Загруженное сохранение заменит то, что хранит браузер.' : '',
        running ? 'Идущая игра закончится, и начнётся новая с загруженного сохранения.' : '',
        'Продолжить?',
      ].filter(Boolean).join(' ');
    }

    // Once the player has saved, the browser is asked not to clear the site's storage on its own,
    // on every visit, since a browser may say yes later. A browser that says no is mentioned once,
    // quietly, on the first visit it does.
    rpgSaves.addEventListener('stored', async () => {
      if (!navigator.storage || !navigator.storage.persist || (await navigator.storage.persisted())) {
        return;
      }
      if (!(await navigator.storage.persist()) && !localStorage.getItem(warnedNote)) {
        localStorage.setItem(warnedNote, '1');
        say('Браузер может удалить сохранение сам; «Скачать сохранение» сохранит копию.');
      }
    }, { once: true });
  });
})();
