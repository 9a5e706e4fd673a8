// A game's files, read from the player's disk into the page (never sent
// anywhere) or, for the demo, fetched from beside the page: a Map of the
// path relative to the game folder ('/'-separated, spelt as on the disk) to
// the file's bytes. The engine looks names up in it without regard to
// letter case, as on the player's own system; findIgnoringCase here does the
// same for the page's own look-ups.
//
// Everything is read into memory before the game starts, each file once;
// the total is bounded (GAME_LIMITS). A zip archive is read entry by entry,
// never whole at once.

import { isDirectoryName, openZip, safeRelativePath, ZipError } from './zip.js';

export const GAME_LIMITS = { maxEntries: 65535, maxEntrySize: 512 << 20, maxTotalSize: 1 << 30 };

export const SETTINGS_FILE = 'KITE5HAN.INI';

export class GameFilesError extends Error {}

// The path in files spelt like name without regard to ASCII letter case:
// the exact spelling first, else the first match in byte order.
export function findIgnoringCase(files, name) {
  if (files.has(name)) return name;
  const wanted = upper(name);
  let found = null;
  for (const path of files.keys()) {
    if (upper(path) === wanted && (found === null || path < found)) found = path;
  }
  return found;
}

function upper(text) {
  return text.replace(/[a-z]/g, (c) => c.toUpperCase());
}

// Files with one folder around all of them lose it: a chosen folder, or an
// archive packed with its folder; that folder's name names the game.
function withoutCommonFolder(named, fallbackName) {
  const firsts = new Set(named.map(({ path }) => path.split('/')[0]));
  const allInside = named.every(({ path }) => path.includes('/'));
  if (firsts.size === 1 && allInside) {
    const [folder] = firsts;
    return { name: folder, named: named.map((item) => ({ ...item, path: item.path.slice(folder.length + 1) })) };
  }
  return { name: fallbackName, named };
}

async function readAll(named, name) {
  if (named.length === 0) throw new GameFilesError('the folder holds no files');
  if (named.length > GAME_LIMITS.maxEntries) {
    throw new GameFilesError(`the game has ${named.length} files, more than ${GAME_LIMITS.maxEntries}`);
  }
  let total = 0;
  for (const { size, path } of named) {
    if (size > GAME_LIMITS.maxEntrySize) {
      throw new GameFilesError(`"${path}" is ${size} bytes, more than ${GAME_LIMITS.maxEntrySize}`);
    }
    total += size;
  }
  if (total > GAME_LIMITS.maxTotalSize) {
    throw new GameFilesError(`the game's files come to ${total} bytes, more than ${GAME_LIMITS.maxTotalSize}`);
  }
  const files = new Map();
  for (const { path, read } of named) {
    if (files.has(path)) throw new GameFilesError(`"${path}" is there twice`);
    files.set(path, await read());
  }
  return { name, files };
}

function fromFileList(list, fallbackName) {
  const named = [];
  for (const file of list) {
    const path = safeRelativePath(file.webkitRelativePath || file.name);
    if (path === null) continue;
    named.push({ path, size: file.size, read: async () => new Uint8Array(await file.arrayBuffer()) });
  }
  return named;
}

// From <input type=file webkitdirectory>: { name, files }.
export async function fromDirectoryInput(fileList) {
  const { name, named } = withoutCommonFolder(fromFileList([...fileList]), 'game');
  return readAll(named, name);
}

// From a zip archive (a File): { name, files }.
export async function fromZip(file) {
  let entries;
  try {
    entries = await openZip(file, GAME_LIMITS);
  } catch (error) {
    if (error instanceof ZipError) throw new GameFilesError(`${file.name}: ${error.message}`);
    throw error;
  }
  const fallback = file.name.replace(/\.zip$/i, '') || 'game';
  const { name, named } = withoutCommonFolder(
      entries.map((entry) => ({ path: entry.path, size: entry.size, read: () => entry.read() })), fallback);
  try {
    return await readAll(named, name);
  } catch (error) {
    if (error instanceof ZipError) throw new GameFilesError(`${file.name}: ${error.message}`);
    throw error;
  }
}

function entryFile(entry) {
  return new Promise((resolve, reject) => entry.file(resolve, reject));
}

// All entries of a dropped directory, read in the batches the browser gives.
async function directoryEntries(directory) {
  const reader = directory.createReader();
  const all = [];
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (batch.length === 0) return all;
    all.push(...batch);
  }
}

async function walk(entry, prefix, named) {
  if (entry.isFile) {
    const path = safeRelativePath(prefix + entry.name);
    if (path === null) return;
    const file = await entryFile(entry);
    named.push({ path, size: file.size, read: async () => new Uint8Array(await file.arrayBuffer()) });
    if (named.length > GAME_LIMITS.maxEntries) {
      throw new GameFilesError(`the folder holds more than ${GAME_LIMITS.maxEntries} files`);
    }
  } else if (entry.isDirectory) {
    for (const child of await directoryEntries(entry)) await walk(child, `${prefix}${entry.name}/`, named);
  }
}

// What was dropped on the page: the entries taken from the drop event's
// items (webkitGetAsEntry, which must be called while the event is handled)
// and its files. A folder, a .zip or loose files: { name, files }.
export async function fromDrop(entries, files) {
  if (entries.length === 1 && entries[0].isFile && /\.zip$/i.test(entries[0].name)) {
    return fromZip(await entryFile(entries[0]));
  }
  if (entries.length === 0 && files.length === 1 && /\.zip$/i.test(files[0].name)) {
    return fromZip(files[0]);
  }
  if (entries.length === 0) return readAll(fromFileList([...files]), 'game');
  const named = [];
  for (const entry of entries) await walk(entry, '', named);
  const { name, named: inside } = withoutCommonFolder(named, 'game');
  return readAll(inside, name);
}

// The demo, from demo/files.json (a JSON array of relative names) beside the page.
export async function fromDemo(base = new URL('demo/', document.baseURI)) {
  const listed = await fetch(new URL('files.json', base));
  if (!listed.ok) throw new GameFilesError('the demo\'s file list cannot be loaded');
  const names = await listed.json();
  if (!Array.isArray(names)) throw new GameFilesError('the demo\'s file list is damaged');
  const files = new Map();
  for (const name of names) {
    const path = safeRelativePath(String(name));
    if (path === null || isDirectoryName(String(name))) continue;
    const response = await fetch(new URL(path.split('/').map(encodeURIComponent).join('/'), base));
    if (!response.ok) throw new GameFilesError(`the demo's file "${path}" cannot be loaded`);
    files.set(path, new Uint8Array(await response.arrayBuffer()));
  }
  return { name: 'demo', demo: true, files };
}

// The title in the settings file's [Config] section, or '' without one.
// The file is UTF-8 or in the game's code page (GB2312).
export function titleOf(settings) {
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(settings);
  } catch {
    text = new TextDecoder('gbk').decode(settings);
  }
  let section = '';
  for (const raw of text.split(/\r?\n/)) {
    const line = raw.trim();
    const header = /^\[(.*)\]$/.exec(line);
    if (header) {
      section = header[1].trim().toLowerCase();
    } else if (section === 'config') {
      const pair = /^([^=]*)=(.*)$/.exec(line);
      if (pair && pair[1].trim().toLowerCase() === 'title') return pair[2].trim();
    }
  }
  return '';
}

async function shortHash(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return [...digest.slice(0, 8)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

// Who the game is, for keeping its saves apart from other games':
// { id, title }. The id is the title (or the folder's name) and a hash of
// the settings file; the demo is "demo".
export async function identify(game) {
  const settingsPath = findIgnoringCase(game.files, SETTINGS_FILE);
  const settings = settingsPath === null ? new Uint8Array() : game.files.get(settingsPath);
  const title = titleOf(settings) || game.name;
  if (game.demo) return { id: 'demo', title };
  return { id: `${title}#${await shortHash(settings)}`, title };
}
