// The engine in the page: startEngine() runs the wasm module on a canvas,
// with the game's files in its game folder (read-only) and what earlier
// visits wrote in its user data folder, and reports every file the engine
// writes or removes there at once. runHeadless() is the same engine with its
// headless backend, for the test interface (test.js).
import {createHost} from './dialogs.js';

let factory;
function loadFactory() {
  factory ??= new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = new URL('./ferkite.js', import.meta.url).href;
    script.onload = () => resolve(globalThis.createFerkite);
    script.onerror = () => reject(new Error('cannot load ferkite.js'));
    document.head.append(script);
  });
  return factory;
}

let atlas;
async function loadAtlas() {
  atlas ??= fetch(new URL('./engine/glyphs-gb2312.atlas', import.meta.url))
    .then((r) => { if (!r.ok) throw new Error('no glyph atlas'); return r.arrayBuffer(); })
    .then((b) => new Uint8Array(b));
  return atlas;
}

function writeTree(FS, root, files) {
  for (const [path, bytes] of files) {
    const full = `${root}/${path}`;
    FS.mkdirTree(full.slice(0, full.lastIndexOf('/')));
    FS.writeFile(full, bytes);
  }
}

function readOnly(FS, path) {
  const node = FS.lookupPath(path).node;
  if (FS.isDir(node.mode)) {
    for (const name of FS.readdir(path)) if (name !== '.' && name !== '..') readOnly(FS, `${path}/${name}`);
    FS.chmod(path, 0o555);
  } else {
    FS.chmod(path, 0o444);
  }
}

// Makes the module, fills its folders and runs main with args; resolves to
// {module, exited}.
async function launch({files, userFiles = new Map(), onUserFileWritten = () => {},
                       onUserFileRemoved = () => {}, args, host, print, printErr, prepare}) {
  const createFerkite = await loadFactory();
  const glyphs = await loadAtlas();
  let settle;
  const exited = new Promise((resolve) => { settle = resolve; });
  const module = await createFerkite({
    ferHost: host,
    print, printErr,
    mainScriptUrlOrBlob: new URL('./ferkite.js', import.meta.url).href,
    locateFile: (name) => new URL(`./${name}`, import.meta.url).href,
    onExit: (status) => settle(status),
    onAbort: () => settle(1),
  });
  if (host) host.module = module;
  const {FS} = module;
  // The in-memory file system has nothing to flush: an fsync succeeds.
  const memfs = FS.lookupPath('/').node.mount.type;
  memfs.syncfs ??= (mount, populate, done) => done(null);
  writeTree(FS, '/game', files);
  FS.mkdirTree('/game');
  readOnly(FS, '/game');
  FS.mkdirTree('/engine');
  FS.writeFile('/engine/glyphs-gb2312.atlas', glyphs);
  FS.mkdirTree('/user');
  module.ENV.XDG_DATA_HOME = '/user';
  module.ENV.HOME = '/user';
  // Where the engine will keep this game's writes.
  const out = module._malloc(4096);
  const game = module._malloc(16);
  module.stringToUTF8('/game', game, 16);
  const folder = module._ferUserDataFolder(game, out, 4096) ? module.UTF8ToString(out) : '/user';
  module._free(out);
  module._free(game);
  writeTree(FS, folder, userFiles);
  const inside = (path) => path.startsWith(folder + '/') ? path.slice(folder.length + 1) : null;
  const known = new Set(userFiles.keys());
  const report = (path) => {
    const rel = inside(path);
    if (rel === null || !FS.analyzePath(path).exists) return;
    known.add(rel);
    onUserFileWritten(rel, FS.readFile(path));
  };
  // Every change goes through these three (the engine replaces a file by
  // renaming a new one over it, and writes a log in place).
  const {rename, unlink, close} = FS;
  FS.rename = (from, to) => {
    rename(from, to);
    const gone = inside(from);
    if (gone !== null && known.delete(gone)) onUserFileRemoved(gone);
    report(to);
  };
  FS.unlink = (path) => {
    unlink(path);
    const rel = inside(path);
    if (rel !== null && known.delete(rel)) onUserFileRemoved(rel);
  };
  // A file written in place: once closed, if it is still there under its
  // own name (a temporary file is renamed at once).
  FS.close = (stream) => {
    const path = stream.path;
    const written = (stream.flags & 3) !== 0;
    close(stream);
    if (written && path && inside(path) !== null) setTimeout(() => report(path), 0);
  };
  if (prepare) prepare(FS);
  try {
    module.callMain(args);
  } catch (e) {
    if (!(e && e.name === 'ExitStatus')) { console.error(e); settle(1); }
  }
  return {module, exited};
}

export async function startEngine({canvas, files, userFiles, onUserFileWritten, onUserFileRemoved,
                                   args = []}) {
  const host = createHost(canvas);
  const {exited} = await launch({files, userFiles, onUserFileWritten, onUserFileRemoved, host,
                                 args: [...args, '/game'],
                                 print: (t) => console.log(t), printErr: (t) => console.warn(t)});
  exited.then(() => host.detach());
  return {exited, stop: () => host.requestClose()};
}

// Runs a game as the headless engine does with --input and --quit-after and
// collects what it writes with --screenshot, --print-text, --dump-memory and
// --audio-out (and its standard error: the boxes' texts).
export async function runHeadless({files, input = '', quitAfter}) {
  const out = [];
  const err = [];
  const args = ['--headless', '--print-text', '--input', '/run/input.txt',
                '--screenshot', '/run/screen.png', '--dump-memory', '/run/memory.bin',
                '--audio-out', '/run/audio.wav'];
  if (quitAfter !== undefined) args.push('--quit-after', String(quitAfter));
  args.push('/game');
  const {module, exited} = await launch({
    files, args, host: null,
    print: (t) => out.push(t),
    // The runtime's own warnings are not the engine's.
    printErr: (t) => { if (!t.startsWith('Blocking on the main thread')) err.push(t); },
    prepare: (FS) => { FS.mkdirTree('/run'); FS.writeFile('/run/input.txt', input); },
  });
  const exitStatus = await exited;
  const read = (path) => module.FS.analyzePath(path).exists ? module.FS.readFile(path) : new Uint8Array();
  const lines = (list) => list.map((t) => t + '\n').join('');
  return {exitStatus, screenshotPng: read('/run/screen.png'), text: lines(out),
          memory: read('/run/memory.bin'), audioWav: read('/run/audio.wav'), stderr: lines(err)};
}

// The files of a game served as a folder with a files.json listing.
export async function fetchGame(base) {
  const url = new URL(base.endsWith('/') || base.endsWith('.json') ? base : base + '/', location.href);
  const listing = url.pathname.endsWith('.json') ? url : new URL('files.json', url);
  const names = await (await fetch(listing)).json();
  const files = new Map();
  await Promise.all(names.map(async (name) => {
    const r = await fetch(new URL(name, listing));
    if (!r.ok) throw new Error(`cannot fetch ${name}`);
    files.set(name, new Uint8Array(await r.arrayBuffer()));
  }));
  return files;
}
