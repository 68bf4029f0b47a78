// Runs inside the game's module before the game starts. The game reads Intro.txt and keeps its
// save, chartype1.txt, in its working folder, which lives in memory. On the page, the files the game
// saves are also kept in the browser's storage by the page's save store (save-store.js) and put
// back into the folder at the start of every run, so a save outlives a reload. The game loaded
// without the page, as its tests load it, has its folder in memory only. The introduction comes
// with the game.
Module.preRun = [].concat(Module.preRun || [], () => {
  const folder = '/home/web_user/rpg';
  FS.mkdirTree(folder);
  FS.chdir(folder);
  Module.saveStore = globalThis.rpgSaves || { loadFolder: async () => new Map(), store: async () => true };
  addRunDependency('rpg-folder');
  Module.saveStore.loadFolder(folder).then((files) => {
    // Without the browser's storage the game still plays: it says so before its first text, and
    // its saves fail.
    if (files === null) {
      Module.savesUnavailableNotice = 'Сохранения в этом браузере сейчас недоступны: сохранить игру не получится.\n\n';
    }
    (files || []).forEach((bytes, path) => FS.writeFile(path, bytes));
  }).finally(() => {
    FS.writeFile('Intro.txt', FS.readFile('/rpg/Intro.txt'));
    removeRunDependency('rpg-folder');
  });
});
