// The start page: play the demo or a game from the player's disk, export and
// import a game's saves; then the engine on the canvas, with what it writes
// kept in the browser as it writes it. With ?test in the address the page
// only loads the engine's test driver (test.js).

import { startEngine } from './engine.js';
import { fromDemo, fromDirectoryInput, fromDrop, fromZip, identify } from './gamefiles.js';
import { Store } from './store.js';

const $ = (id) => document.getElementById(id);

function say(text, { error = false, where = 'message' } = {}) {
  const element = $(where);
  element.textContent = text;
  element.classList.toggle('error', error);
}

function reasonOf(error) {
  return error && error.message ? error.message : String(error);
}

function download(bytes, fileName) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/zip' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = fileName;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

function saveArchiveName(id) {
  return `${id.replace(/[^\p{L}\p{N}_-]+/gu, '_')}-saves.zip`;
}

class App {
  constructor(store) {
    this.store = store;
    this.running = null;
    this.pendingWrites = 0;
    this.busy = false;
  }

  async refreshGames(selected) {
    const select = $('save-game');
    const games = (await this.store.games()).filter((game) => game.id !== 'demo');
    games.sort((a, b) => a.title.localeCompare(b.title));
    select.replaceChildren();
    for (const { id, title } of [{ id: 'demo', title: 'The demo (小风筝)' }, ...games]) {
      const option = new Option(id === 'demo' ? title : `${title} (${id.split('#')[1]})`, id);
      select.append(option);
    }
    select.value = selected ?? select.value ?? 'demo';
    if (!select.value) select.value = 'demo';
  }

  // Runs one thing at a time that reads files or starts the game.
  async exclusive(work) {
    if (this.busy || this.running) return;
    this.busy = true;
    for (const button of document.querySelectorAll('#start button, #start input')) button.disabled = true;
    try {
      await work();
    } catch (error) {
      say(reasonOf(error), { error: true });
    } finally {
      this.busy = false;
      for (const button of document.querySelectorAll('#start button, #start input')) button.disabled = false;
    }
  }

  open(load, what) {
    return this.exclusive(async () => {
      say(`Reading ${what}…`);
      const game = await load();
      await this.play(game);
    });
  }

  keep(promise) {
    this.pendingWrites++;
    promise.catch((error) => say(`存档没有写入：${reasonOf(error)}`, { error: true, where: 'play-message' }))
        .finally(() => { this.pendingWrites--; });
  }

  async play(game) {
    const { id, title } = await identify(game);
    await this.store.rememberGame(id, title);
    const userFiles = await this.store.userFiles(id);
    this.gameId = id;
    $('game-title').textContent = title;
    document.title = `${title} – FerKite`;
    say('');
    say('', { where: 'play-message' });
    $('start').hidden = true;
    $('play').hidden = false;
    const canvas = $('screen');
    let running;
    try {
      running = await startEngine({
        canvas,
        files: game.files,
        userFiles,
        onUserFileWritten: (path, bytes) => this.keep(this.store.writeFile(id, path, bytes)),
        onUserFileRemoved: (path) => this.keep(this.store.removeFile(id, path)),
        args: [],
      });
    } catch (error) {
      $('play').hidden = true;
      $('start').hidden = false;
      document.title = 'FerKite';
      throw new Error(`The engine did not start: ${reasonOf(error)}`);
    }
    this.running = running;
    canvas.focus();
    running.exited.then((status) => this.ended(status, id), (error) => this.ended(reasonOf(error), id));
  }

  async ended(status, id) {
    this.running = null;
    document.title = 'FerKite';
    $('play').hidden = true;
    $('start').hidden = false;
    await this.refreshGames(id);
    if (status === 0) say('The game has ended.');
    else say(`The game ended with status ${status}.`, { error: true });
  }

  async exportSaves(id, where) {
    try {
      const bytes = await this.store.exportZip(id);
      download(bytes, saveArchiveName(id));
    } catch (error) {
      say(reasonOf(error), { error: true, where });
    }
  }

  async importSaves(file) {
    const id = $('save-game').value;
    await this.exclusive(async () => {
      const count = await this.store.importZip(id, file);
      say(`Imported ${count} file${count === 1 ? '' : 's'} into the saves of ${$('save-game').selectedOptions[0].text}.`);
    });
  }

  wire() {
    $('play-demo').addEventListener('click', () => this.open(() => fromDemo(), 'the demo'));
    $('folder-input').addEventListener('change', (event) => {
      const files = event.target.files;
      if (files.length) this.open(() => fromDirectoryInput(files), 'the folder');
      event.target.value = '';
    });
    $('zip-input').addEventListener('change', (event) => {
      const [file] = event.target.files;
      if (file) this.open(() => fromZip(file), file.name);
      event.target.value = '';
    });
    $('export-saves').addEventListener('click', () => this.exportSaves($('save-game').value, 'message'));
    $('import-saves').addEventListener('change', (event) => {
      const [file] = event.target.files;
      if (file) this.importSaves(file);
      event.target.value = '';
    });
    $('export-playing').addEventListener('click', () => this.exportSaves(this.gameId, 'play-message'));
    $('stop').addEventListener('click', () => this.running?.stop());

    const hideSoundNote = () => { $('play-sound-note').hidden = true; };
    $('screen').addEventListener('pointerdown', hideSoundNote, { once: true });
    $('screen').addEventListener('keydown', hideSoundNote, { once: true });

    const overlay = $('drop-overlay');
    let depth = 0;
    const carriesFiles = (event) => [...(event.dataTransfer?.types ?? [])].includes('Files');
    document.addEventListener('dragenter', (event) => {
      if (!carriesFiles(event) || this.running) return;
      depth++;
      overlay.hidden = false;
    });
    document.addEventListener('dragleave', () => {
      depth = Math.max(0, depth - 1);
      if (depth === 0) overlay.hidden = true;
    });
    document.addEventListener('dragover', (event) => {
      if (carriesFiles(event) && !this.running) event.preventDefault();
    });
    document.addEventListener('drop', (event) => {
      depth = 0;
      overlay.hidden = true;
      if (!carriesFiles(event) || this.running) return;
      event.preventDefault();
      // The entries must be taken while the event is handled.
      const entries = [...event.dataTransfer.items]
          .map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
      const files = [...event.dataTransfer.files];
      this.open(() => fromDrop(entries, files), 'what was dropped');
    });

    window.addEventListener('beforeunload', (event) => {
      if (this.pendingWrites > 0) event.preventDefault();
    });
  }
}

async function main() {
  document.body.hidden = false;
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
  let store;
  try {
    store = await Store.open();
  } catch (error) {
    say(`Saves cannot be kept in this browser: ${reasonOf(error)}`, { error: true });
    return;
  }
  const app = new App(store);
  app.wire();
  await app.refreshGames('demo');
}

if (new URLSearchParams(location.search).has('test')) {
  document.body.replaceChildren();
  document.body.hidden = false;
  await import('./test.js');
} else {
  await main();
}
