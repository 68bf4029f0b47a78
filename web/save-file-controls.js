// The save as a file, under the terminal: "Скачать сохранение" gives the save the browser keeps as
// chartype1.txt, the same file the desktop game writes, and "Загрузить сохранение" (or a file
// dropped on the page) takes a save file from any build of the game and starts a new run that
// continues it. The page also asks the browser to keep its storage once the player has saved. What
// the page has to say goes to a line under the buttons and to the screen reader's copy of the game.
'use strict';

(() => {
  const saveFile = 'chartype1.txt';
  // The game's own limit for a file it reads whole, which the build takes from maxWholeFileBytes in
  // WholeFile.hpp: anything larger cannot be a save.
  const largestSave = @RPG_LARGEST_FILE@;
  // Said after the reload that a loaded save starts.
  const loadedNote = 'rpg-save-loaded';
  // Kept once the player has been told that the browser may clear the save.
  const warnedNote = 'rpg-storage-not-kept';

  // A browser that blocks the site's storage throws at the first touch of sessionStorage or
  // localStorage; the page then only goes without the note.
  const note = (storage, action) => {
    try {
      return action(window[storage]);
    } catch {
      return null;
    }
  };

  document.addEventListener('DOMContentLoaded', () => {
    const message = document.getElementById('save-message');
    const chooser = document.getElementById('save-file-input');
    // Shown on the line under the buttons, and read out by the screen reader with the game: the
    // whole text, or only what it adds to what was read out before.
    const say = (text, heard = text) => {
      message.textContent = text;
      heard && window.rpgAnnounce && rpgAnnounce(heard);
    };
    const savePath = () => `${rpgSaves.folder}/${saveFile}`;
    const backToGame = () => window.rpgBackToGame && rpgBackToGame();

    // A file dropped on the page is loaded too; a folder is not a file. Set up first, so that no
    // drop ever opens the file in place of the game.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      const entries = Array.from(event.dataTransfer.items || [], (item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
      take(Array.from(event.dataTransfer.files), entries.some((entry) => entry && entry.isDirectory), true);
    });

    if (note('sessionStorage', (storage) => storage.getItem(loadedNote))) {
      note('sessionStorage', (storage) => storage.removeItem(loadedNote));
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

    async function take(files, folder = false, dropped = false) {
      if (files.length === 0) {
        dropped && say('Это не файл: перетащите на страницу файл сохранения chartype1.txt.');
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
      let fault;
      try {
        fault = await whyNotASave(bytes);
      } catch (error) {
        console.warn(`The file could not be checked: ${error}`);
        say('Не удалось проверить файл: игра не загрузилась. Проверьте подключение к сети и попробуйте ещё раз.');
        return;
      }
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
      note('sessionStorage', (storage) => storage.setItem(loadedNote, '1'));
      window.location.reload();
    }

    // Why the game cannot have written `bytes`, in the player's words, or nothing when it could
    // have, as the game's own reader says: a run of the game of its own, with its folder in memory
    // and not the browser's storage, reads the file. The game's start takes any text; only a file the
    // player hands over is held to what the game writes.
    async function whyNotASave(bytes) {
      const game = await createRpg({ folderInMemory: true, rpgConsole: {} });
      game.FS.writeFile(saveFile, bytes);
      return game.ccall('rpgWhyNotASave', 'string', ['string'], [saveFile]);
    }

    function question(replacing, running) {
      return [
        replacing ? 'Загруженное сохранение заменит то, что хранит браузер.' : '',
        running ? 'Идущая игра закончится, и начнётся новая с загруженного сохранения.' : '',
        'Продолжить?',
      ].filter(Boolean).join(' ');
    }

    // The game says nothing when it saves; the page says so once the browser has stored the save,
    // for a player who does not see the menu come back.
    const saved = 'Игра сохранена.';
    rpgSaves.addEventListener('stored', () => say(saved));
    // Once the player has saved, the browser is asked not to clear the site's storage on its own,
    // on every visit, since a browser may say yes later. A browser that says no is mentioned once,
    // quietly, on the first visit it does.
    rpgSaves.addEventListener('stored', async () => {
      if (!navigator.storage || !navigator.storage.persist || (await navigator.storage.persisted())) {
        return;
      }
      if (!(await navigator.storage.persist()) && !note('localStorage', (storage) => storage.getItem(warnedNote))) {
        note('localStorage', (storage) => storage.setItem(warnedNote, '1'));
        const warning = 'Браузер может удалить сохранение сам; «Скачать сохранение» сохранит копию.';
        say(`${saved} ${warning}`, warning);
      }
    }, { once: true });
  });
})();
