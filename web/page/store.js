// What the engine writes for the player (saves, the settings the player
// changes, the log), kept in the browser's IndexedDB: one database, the files
// of each game under that game's id, path -> bytes. Each write is its own
// transaction, and the next write starts only when the one before has been
// committed, so a tab closed at any moment keeps every file the engine had
// finished writing before it. Saves of one game go out and come back as a
// zip archive.

import { makeZip, openZip, safeRelativePath, ZipError } from './zip.js';

const DATABASE = 'ferkite';
const VERSION = 1;
const FILES = 'userFiles';
const GAMES = 'games';

// Bounds for an imported save archive: far above what a game writes (4096
// bytes a save, a settings file, a log), far below what would hurt the page.
export const IMPORT_LIMITS = { maxEntries: 1000, maxEntrySize: 16 << 20, maxTotalSize: 64 << 20 };

export class StoreError extends Error {}

function promised(request) {
  return new Promise((resolve, reject) => {
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

function finished(transaction) {
  return new Promise((resolve, reject) => {
    transaction.oncomplete = () => resolve();
    transaction.onerror = () => reject(transaction.error);
    transaction.onabort = () => reject(transaction.error || new StoreError('the write was aborted'));
  });
}

export class Store {
  constructor(db) {
    this.db = db;
    // The chain of writes: each waits for the one before.
    this.queue = Promise.resolve();
  }

  static async open() {
    if (!globalThis.indexedDB) throw new StoreError('this browser keeps no data for pages (no IndexedDB)');
    const request = indexedDB.open(DATABASE, VERSION);
    request.onupgradeneeded = () => {
      const db = request.result;
      if (!db.objectStoreNames.contains(FILES)) db.createObjectStore(FILES, { keyPath: ['game', 'path'] });
      if (!db.objectStoreNames.contains(GAMES)) db.createObjectStore(GAMES, { keyPath: 'id' });
    };
    return new Store(await promised(request));
  }

  // Runs work(objectStores) in one read-write transaction once every write
  // queued before it is committed; resolves when this one is committed.
  enqueue(work) {
    const run = this.queue.then(() => {
      const transaction = this.db.transaction([FILES, GAMES], 'readwrite', { durability: 'strict' });
      const done = finished(transaction);
      work(transaction.objectStore(FILES), transaction.objectStore(GAMES));
      transaction.commit?.();
      return done;
    });
    this.queue = run.catch(() => {});
    return run;
  }

  // A game the player has opened, so that its saves can be exported later.
  rememberGame(id, title) {
    return this.enqueue((files, games) => games.put({ id, title }));
  }

  async games() {
    const transaction = this.db.transaction(GAMES, 'readonly');
    return promised(transaction.objectStore(GAMES).getAll());
  }

  writeFile(game, path, bytes) {
    const safe = safeRelativePath(path);
    if (safe === null) return Promise.reject(new StoreError(`the engine wrote a file of a bad name: "${path}"`));
    const copy = new Uint8Array(bytes);
    return this.enqueue((files) => files.put({ game, path: safe, bytes: copy }));
  }

  removeFile(game, path) {
    const safe = safeRelativePath(path);
    if (safe === null) return Promise.resolve();
    return this.enqueue((files) => files.delete([game, safe]));
  }

  // The game's files as a Map of path -> Uint8Array, after every queued write.
  async userFiles(game) {
    await this.queue;
    const transaction = this.db.transaction(FILES, 'readonly');
    // [game] sorts before every [game, path] and [game, []] after them.
    const range = IDBKeyRange.bound([game], [game, []]);
    const records = await promised(transaction.objectStore(FILES).getAll(range));
    return new Map(records.map((record) => [record.path, record.bytes]));
  }

  async exportZip(game) {
    const files = await this.userFiles(game);
    const entries = [...files].sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0))
        .map(([path, bytes]) => ({ path, bytes }));
    return makeZip(entries);
  }

  // Reads the whole archive first and stores its files together in one
  // transaction only when every entry is good: a bad archive changes nothing.
  // Resolves to the number of files imported; throws ZipError or StoreError
  // with the reason.
  async importZip(game, bytes) {
    const blob = bytes instanceof Blob ? bytes : new Blob([bytes]);
    const entries = await openZip(blob, IMPORT_LIMITS);
    if (entries.length === 0) throw new ZipError('the archive holds no files');
    const read = [];
    for (const entry of entries) read.push({ path: entry.path, bytes: await entry.read() });
    await this.enqueue((files) => {
      for (const { path, bytes: data } of read) files.put({ game, path, bytes: data });
    });
    return read.length;
  }
}
