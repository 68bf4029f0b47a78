// The game's saved files, kept in the browser's IndexedDB under the site's address, one record per
// file, keyed on the file's path in the game's folder. The database and its records are those that
// earlier builds of the page made through emscripten's IDBFS, so a save kept by one of them is
// still found.
//
// Only what the browser says counts: a save is stored once its transaction has completed and has
// failed once the browser has ended it, however long either takes. Saves wait for one another, so
// they reach the browser in the order they were made. When the storage could not be read at the
// start of a run, nothing is stored in that run, so nothing the browser kept is ever replaced by a
// game that could not see it.
'use strict';

(() => {
  const databaseVersion = 21;
  const storeName = 'FILE_DATA';
  // A regular file that all may read and write, as the game's folder in memory makes them.
  const fileMode = 0o100666;

  // Errors that say the browser dropped the connection or the transaction on it (the site's storage
  // cleared, the database closed), not that it refused what was asked.
  const droppedConnection = new Set(['InvalidStateError', 'TransactionInactiveError', 'AbortError', 'UnknownError']);

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
    });
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

  class SaveStore {
    constructor() {
      this.folder = null;
      this.database = null;
      // Whether this run could read the storage; until it could, nothing is stored.
      this.readable = false;
      this.queue = Promise.resolve();
    }

    // Every file kept for `folder`, as a map of path to bytes, or null when the browser's storage
    // cannot be read now. Each run of the game starts with this.
    loadFolder(folder) {
      return this.inTurn(async () => {
        this.readable = false;
        if (folder !== this.folder) {
          this.forget(this.database);
          this.folder = folder;
        }
        try {
          const files = await this.transact('readonly', (records) => {
            const range = IDBKeyRange.bound(`${folder}/`, `${folder}/\uffff`);
            const keys = records.getAllKeys(range);
            const values = records.getAll(range);
            return () => keys.result.map((key, index) => [key, values.result[index]]);
          });
          this.readable = true;
          return new Map(files.filter(([key, record]) => !key.slice(folder.length + 1).includes('/')
            && record && ArrayBuffer.isView(record.contents)).map(([key, record]) => [key, record.contents]));
        } catch (error) {
          console.warn(`The browser's storage cannot be read: ${error}`);
          return null;
        }
      });
    }

    // Keeps `bytes` as the file at `path`; true once the browser has stored them, false as soon as
    // it has refused them.
    store(path, bytes) {
      return this.inTurn(async () => {
        if (!this.readable) {
          return false;
        }
        const record = { timestamp: new Date(), mode: fileMode, contents: bytes };
        try {
          await this.transact('readwrite', (records) => {
            records.put(record, path);
            return () => true;
          });
          return true;
        } catch (error) {
          console.warn(`The browser did not store ${path}: ${error}`);
          return false;
        }
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

  // The page's one store, which each run of the game uses for its folder.
  window.rpgSaves = new SaveStore();
})();
