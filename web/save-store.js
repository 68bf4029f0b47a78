// The game's saved files, kept in the browser's IndexedDB under the site's address, one record per
// file, keyed on the file's path in the game's folder. The database and its records are those that
// earlier builds of the page made through emscripten's IDBFS, so a save kept by one of them is
// still found.
//
// Only what the browser says counts: a save is stored once its transaction has completed and has
// failed once the browser has ended it, however long either takes. Saves wait for one another, so
// they reach the browser in the order they were made. When the storage could not be read at the
// start of a run, nothing is stored in that run, so nothing the browser kept is ever replaced by a
// game that could not see it. Nor is a save replaced that changed since this page last loaded or
// stored it (another tab, a page back from the browser's history) unless the player agrees.
//
// A run starts sooner where the browser can list the site's databases: when none has the folder's
// name, there is nothing to read, and the database is made only by the first save. A save another
// tab makes in the meantime is still caught, as a file that was not there when the run started.
'use strict';

(() => {
  const databaseVersion = 21;
  const storeName = 'FILE_DATA';
  // A regular file that all may read and write, as the game's folder in memory makes them.
  const fileMode = 0o100666;

  // Errors that say the browser dropped the connection or the transaction on it (the site's storage
  // cleared, the database closed), not that it refused what was asked.
  const droppedConnection = new Set(['InvalidStateError', 'AbortError', 'UnknownError']);

  // How long a run waits for the browser's list of databases before it opens the database anyway.
  const listingPatience = 1000;
  // How long an open may go unanswered before the storage counts as unavailable: the game starts,
  // and the save buttons answer, however the browser hangs.
  const openingPatience = 3000;

  const same = (one, other) => one.length === other.length && one.every((byte, index) => byte === other[index]);

  function openDatabase(name) {
    return new Promise((resolve, reject) => {
      let opening;
      try {
        opening = indexedDB.open(name, databaseVersion);
      } catch (error) {
        // Storage blocked for the site, or no IndexedDB at all.
        reject(error);
        return;
      }
      let answered = false;
      opening.onupgradeneeded = () => {
        const files = opening.result.objectStoreNames.contains(storeName)
          ? opening.transaction.objectStore(storeName)
          : opening.result.createObjectStore(storeName);
        // Earlier builds look their files up through this index.
        if (!files.indexNames.contains('timestamp')) {
          files.createIndex('timestamp', 'timestamp', { unique: false });
        }
      };
      opening.onsuccess = () => {
        // A connection that comes after the open was given up is not kept open.
        answered ? opening.result.close() : resolve(opening.result);
        answered = true;
      };
      opening.onerror = (event) => {
        event.preventDefault();
        answered = true;
        reject(opening.error);
      };
      // Another tab holds the database at an older version and does not let go: the run goes on
      // without the storage rather than wait for that tab to close.
      opening.onblocked = () => {
        answered = true;
        reject(new DOMException('The database is held by another page', 'InvalidStateError'));
      };
      setTimeout(() => {
        answered = true;
        reject(new DOMException('The browser did not open the database', 'TimeoutError'));
      }, openingPatience);
    });
  }

  // Whether the browser may keep a database of this name: false only when it lists the site's
  // databases and that name is not among them. On a fresh profile, asking is quicker than making
  // the database to learn that it is empty, and leaves the browser no database to write.
  async function mayExist(name) {
    if (typeof indexedDB === 'undefined' || typeof indexedDB.databases !== 'function') {
      return true;
    }
    let giveUp;
    const patience = new Promise((resolve) => { giveUp = setTimeout(resolve, listingPatience, null); });
    try {
      const databases = await Promise.race([indexedDB.databases(), patience]);
      return !databases || databases.some((database) => database.name === name);
    } catch {
      return true;
    } finally {
      clearTimeout(giveUp);
    }
  }

  // Runs `work` in one transaction; `work` makes its requests and returns what gives the result
  // once the transaction has completed.
  function inTransaction(database, mode, work) {
    return new Promise((resolve, reject) => {
      try {
        const transaction = database.transaction(storeName, mode, { durability: 'strict' });
        const result = work(transaction.objectStore(storeName));
        transaction.oncomplete = () => resolve(result());
        transaction.onabort = () => reject(transaction.error || new DOMException('The transaction was ended', 'AbortError'));
      } catch (error) {
        reject(error);
      }
    });
  }

  // The store tells the page when a save has been stored ('stored').
  class SaveStore extends EventTarget {
    constructor() {
      super();
      this.folder = null;
      this.database = null;
      // Whether this run could read the storage; until it could, nothing is stored.
      this.readable = false;
      // Each file as this page last loaded or stored it.
      this.known = new Map();
      this.queue = Promise.resolve();
    }

    // Every file kept for `folder`, as a map of path to bytes, or null when the browser's storage
    // cannot be read now. Each run of the game starts with this.
    loadFolder(folder) {
      if (folder !== this.folder) {
        this.forget(this.database);
        this.folder = folder;
      }
      return this.inTurn(async () => {
        this.readable = false;
        this.known.clear();
        try {
          const kept = this.database || await mayExist(folder);
          const files = !kept ? [] : await this.transact('readonly', (records) => {
            const range = IDBKeyRange.bound(`${folder}/`, `${folder}/\uffff`);
            const keys = records.getAllKeys(range);
            const values = records.getAll(range);
            return () => keys.result.map((key, index) => [key, values.result[index]]);
          });
          this.readable = true;
          this.known = new Map(files.filter(([key, record]) => !key.slice(folder.length + 1).includes('/')
            && record && ArrayBuffer.isView(record.contents)).map(([key, record]) => [key, record.contents]));
          return new Map(this.known);
        } catch (error) {
          console.warn(`The browser's storage cannot be read: ${error}`);
          return null;
        }
      });
    }

    // The file at `path` as the browser keeps it now, or null when there is none. It throws when
    // the storage cannot be read. Only a save makes the database: a look where the browser lists
    // none of that name opens nothing.
    read(path) {
      return this.inTurn(async () => {
        if (!this.database && !(await mayExist(this.folder))) {
          return null;
        }
        return this.transact('readonly', (records) => {
          const request = records.get(path);
          return () => (request.result && ArrayBuffer.isView(request.result.contents) ? request.result.contents : null);
        });
      });
    }

    // Keeps `bytes` as the file at `path`; true once the browser has stored them, false as soon as
    // it has refused them, or when the player chose to keep a newer save.
    store(path, bytes) {
      return this.inTurn(async () => {
        if (!this.readable) {
          return false;
        }
        try {
          let newer = await this.replace(path, bytes, this.known.get(path));
          if (newer && this.askToReplaceNewer()) {
            newer = await this.replace(path, bytes, newer);
          }
          if (newer) {
            return false;
          }
          this.known.set(path, bytes);
          this.dispatchEvent(new Event('stored'));
          return true;
        } catch (error) {
          console.warn(`The browser did not store ${path}: ${error}`);
          return false;
        }
      });
    }

    // Stores `bytes` as the file at `path` from a file the player chose, when what is kept there is
    // still `expected` (null for none). Null once stored (the page then starts a new run), else why
    // not, in the player's words.
    storeFromFile(path, bytes, expected) {
      return this.inTurn(async () => {
        try {
          const newer = await this.replace(path, bytes, expected || undefined);
          return newer ? 'пока вы отвечали, сохранение изменилось в другой вкладке' : null;
        } catch (error) {
          console.warn(`The browser did not store ${path}: ${error}`);
          return error && error.name === 'QuotaExceededError' ? 'в хранилище браузера нет места'
            : 'хранилище браузера сейчас недоступно';
        }
      });
    }

    askToReplaceNewer() {
      return window.confirm('Сохранение изменилось в другой вкладке. Заменить его?');
    }

    // Puts `bytes` at `path` in one transaction, unless what is kept there differs from `expected`
    // (a file gone since counts as no change: there is nothing newer to lose). Resolves to nothing
    // once stored, or to the newer bytes, with nothing stored.
    replace(path, bytes, expected) {
      const record = { timestamp: new Date(), mode: fileMode, contents: bytes };
      return this.transact('readwrite', (records) => {
        let newer;
        const request = records.get(path);
        request.onsuccess = () => {
          const kept = request.result && request.result.contents;
          if (ArrayBuffer.isView(kept) && !(expected && same(kept, expected))) {
            newer = kept;
            return;
          }
          records.put(record, path);
        };
        return () => newer;
      });
    }

    // Each request starts once the one before it has finished, whatever came of it.
    inTurn(request) {
      const turn = this.queue.then(request);
      this.queue = turn.catch(() => {});
      return turn;
    }

    async connect() {
      if (!this.database) {
        const database = await openDatabase(this.folder);
        database.onclose = () => this.forget(database);
        database.onversionchange = () => this.forget(database);
        this.database = database;
      }
      return this.database;
    }

    forget(database) {
      if (database && this.database === database) {
        this.database = null;
        database.close();
      }
    }

    // A transaction on the open connection. When the browser has dropped that connection, the
    // transaction is tried once more on a fresh one; a failure to open one is final.
    async transact(mode, work) {
      const database = await this.connect();
      try {
        return await inTransaction(database, mode, work);
      } catch (error) {
        if (!droppedConnection.has(error && error.name)) {
          throw error;
        }
        this.forget(database);
        return inTransaction(await this.connect(), mode, work);
      }
    }
  }

  // The page's one store, which each run of the game uses for its folder. The game's folder in
  // memory is also the database's name, as earlier builds named it.
  const gameFolder = '/home/web_user/rpg';
  window.rpgSaves = new SaveStore();
  // The first run's files are read at once, while the rest of the page still loads and the game
  // compiles; each later run reads them anew.
  let firstRead = rpgSaves.loadFolder(gameFolder);
  rpgSaves.readFolder = () => {
    const files = firstRead || rpgSaves.loadFolder(gameFolder);
    firstRead = null;
    return files;
  };
})();
