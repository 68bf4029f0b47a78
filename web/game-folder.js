// Runs inside the game's module before the game starts. The game reads Intro.txt and keeps its
// save, chartype1.txt, in its working folder; in the browser that folder is kept in IndexedDB
// under the site's address, so a save outlives a reload. The introduction comes with the game.
Module.preRun = [].concat(Module.preRun || [], () => {
  const folder = '/home/web_user/rpg';
  FS.mkdirTree(folder);
  FS.mount(IDBFS, {}, folder);
  FS.chdir(folder);
  addRunDependency('rpg-folder');
  FS.syncfs(true, (error) => {
    // Without the browser's storage the game still plays; its saves then fail and say so.
    if (error) {
      err('The saved game could not be read from the browser: ' + error);
    }
    FS.writeFile('Intro.txt', FS.readFile('/rpg/Intro.txt'));
    removeRunDependency('rpg-folder');
  });
});
