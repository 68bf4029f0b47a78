// Runs inside the game's module before the game starts. The game reads Intro.txt and keeps its
// save, chartype1.txt, in its working folder, which lives in memory. On the page, the files the game
// saves are also kept in the browser's storage by the page's save store (save-store.js) and put
// back into the folder at the start of every run, so a save outlives a reload. The game loaded
// without the page, as its tests load it, or by the page to check a file the player hands it
// (folderInMemory), has its folder in memory only. The introduction comes with the game.
Module.saveStore = (!Module.folderInMemory && globalThis.rpgSaves)
  || { folder: '/game', readFolder: async () => new Map(), store: async () => true };
const rpgFolder = Module.saveStore.folder;
// The storage is read while the WebAssembly compiles, not after.
const rpgSavedFiles = Module.saveStore.readFolder();
Module.preRun = [].concat(Module.preRun || [], () => {
  FS.mkdirTree(rpgFolder);
  FS.chdir(rpgFolder);
  addRunDependency('rpg-folder');
  rpgSavedFiles.then((files) => {
    // Without the browser's storage the game still plays, and its saves fail; the page says so
    // before the game's first text.
    Module.savesUnavailable = files === null;
    (files || []).forEach((bytes, path) => FS.writeFile(path, bytes));
  }).finally(() => {
    FS.writeFile('Intro.txt', FS.readFile('/rpg/Intro.txt'));
    removeRunDependency('rpg-folder');
  });
});
