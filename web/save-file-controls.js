// The save as a file, under the terminal: "Скачать сохранение" gives the save the browser keeps as
// chartype1.txt, the same file the desktop game writes, and "Загрузить сохранение" (or a file
// dropped on the page) takes a save file from any build of the game and starts a new run that
// continues it. The page also asks the browser to keep its storage once the player has saved. What
// the page has to say goes to a status line, which screen readers announce.
'use strict';

(() => {
  const saveFile = 'chartype1.txt';
  // The game's own limit for a file it reads whole (maxWholeFileBytes in WholeFile.hpp): anything
  // larger cannot be a save.
  const largestSave = 1024 * 1024;
  // The byte-order marks the game reads: a file of nothing but one holds no text.
  const marks = ['\xef\xbb\xbf', '\xff\xfe', '\xfe\xff'];
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

    document.getElementById('download-save').addEventListener('click', async () => {
      if (!rpgSaves.folder) {
        say('Игра ещё загружается.');
        return;
      }
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
      const [file] = chooser.files;
      chooser.value = '';
      take(file);
    });
    // A file dropped on the page is loaded too.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      take(event.dataTransfer.files[0]);
    });

    async function take(file) {
      if (file && !rpgSaves.folder) {
        say('Игра ещё загружается.');
      } else if (file) {
        await load(file);
      }
      backToGame();
    }

    // The file goes to the browser's storage as it is; the game reads it as it reads any save.
    async function load(file) {
      if (file.size > largestSave) {
        say('Это не сохранение игры: файл слишком большой.');
        return;
      }
      const bytes = new Uint8Array(await file.arrayBuffer());
      const text = String.fromCharCode(...bytes.subarray(0, 4));
      if (bytes.length === 0 || marks.includes(text)) {
        say('Это не сохранение игры: в файле нет текста.');
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
      if (!(await rpgSaves.storeFromFile(savePath(), bytes, kept))) {
        say('Не удалось загрузить сохранение');
        return;
      }
      // A new run continues the loaded save, as after "Играть снова"; the running one ends with
      // the page.
      sessionStorage.setItem(loadedNote, '1');
      window.location.reload();
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
