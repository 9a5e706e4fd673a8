// The start page in a real browser (Debian's chromium, headless, driven by
// playwright-core): a save survives a reload, the exported saves import into
// a fresh profile, a zip game and a game folder open, hostile zips are
// refused with a message, and the page works offline after the first visit.
//
// The page is served from FER_WEB_ROOT (default build-web/, as web/build.sh
// makes it) by a small server of this file on 127.0.0.1. With
// FER_WEB_FAKE_ENGINE=1 it is served instead from a folder made here: the
// files of web/page/, the stand-in engine of fake-engine/ and a small demo.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, resolve, sep } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const repo = resolve(here, '..', '..');
const fake = process.env.FER_WEB_FAKE_ENGINE === '1';
const chromiumPath = process.env.FER_CHROMIUM || '/usr/bin/chromium';
const work = mkdtempSync(join(tmpdir(), 'ferkite-page-'));
const root = fake ? join(work, 'site') : resolve(process.env.FER_WEB_ROOT || join(repo, 'build-web'));

let playwright = null;
const missing = [];
try {
  playwright = await import('playwright-core');
} catch {
  missing.push('playwright-core (npm ci in tests/web)');
}
if (!existsSync(chromiumPath)) missing.push(`chromium (${chromiumPath})`);
if (!fake && !existsSync(join(root, 'engine.js'))) missing.push(`the browser build in ${root} (web/build.sh)`);
// Where CI is set the machine is meant to have everything: what is missing
// fails every test instead of skipping it.
const skip = missing.length && !process.env.CI ? `missing: ${missing.join(', ')}` : false;

const timeout = 120_000;
const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.json': 'application/json', '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm', '.png': 'image/png',
};

// Serves root on 127.0.0.1 with cross-origin isolation, as the engine's
// threads want. Resolves to { url, close() }.
function serve(folder) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    let file = resolve(folder, `.${path}`);
    if (file !== folder && !file.startsWith(folder + sep)) {
      response.writeHead(403).end();
      return;
    }
    if (path.endsWith('/')) file = join(file, 'index.html');
    let body;
    try {
      body = readFileSync(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
      'Cross-Origin-Opener-Policy': 'same-origin',
      'Cross-Origin-Embedder-Policy': 'require-corp',
      'Cache-Control': 'no-cache',
    });
    response.end(body);
  });
  const listening = new Promise((done) => server.listen(0, '127.0.0.1', () => done({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((closed) => { server.closeAllConnections(); server.close(closed); }),
  })));
  // A test that fails half-way must not leave the process waiting on it.
  server.unref();
  return listening;
}

// A zip made by Python's zipfile, a program other than the page: entries
// [name, text or bytes], deflated.
function pythonZip(path, entries) {
  const script = `
import json, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for name, data in json.load(sys.stdin):
        info = zipfile.ZipInfo(name)
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, bytes(data))
`;
  const list = entries.map(([name, data]) => [name, [...(typeof data === 'string' ? Buffer.from(data) : data)]]);
  execFileSync('python3', ['-c', script, path], { input: JSON.stringify(list) });
  return readFileSync(path);
}

// The entries of a zip as Python's zipfile reads them, CRCs checked.
function pythonUnzip(path) {
  const script = `
import json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    print(json.dumps({i.filename: list(z.read(i)) for i in z.infolist()}))
`;
  return JSON.parse(execFileSync('python3', ['-c', script, path]).toString());
}

let browser;
const demoTitle = '小风筝';
before(async () => {
  if (skip) return;
  if (missing.length) throw new Error(`missing: ${missing.join(', ')} (CI is set: no skips)`);
  if (fake) {
    cpSync(join(repo, 'web', 'page'), root, { recursive: true });
    cpSync(join(here, 'fake-engine', 'engine.js'), join(root, 'engine.js'));
    mkdirSync(join(root, 'demo', 'data'), { recursive: true });
    writeFileSync(join(root, 'demo', 'KITE5HAN.INI'), `[Config]\r\nTITLE=${demoTitle}\r\n`);
    writeFileSync(join(root, 'demo', 'MES.ARC'), Buffer.from('demo scripts'));
    writeFileSync(join(root, 'demo', 'data', 'VILLAGE.DAT'), Buffer.alloc(300, 7));
    writeFileSync(join(root, 'demo', 'files.json'),
        JSON.stringify(['KITE5HAN.INI', 'MES.ARC', 'data/VILLAGE.DAT']));
  }
  browser = await playwright.chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
});

after(async () => {
  await browser?.close();
  rmSync(work, { recursive: true, force: true });
});

async function freshPage(site) {
  const context = await browser.newContext({ acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(site.url);
  await page.locator('#play-demo').waitFor();
  return { context, page, errors };
}

// The bytes of a user file of a game as IndexedDB holds them, or null.
function storedFile(page, game, path) {
  return page.evaluate(([game, path]) => new Promise((done, fail) => {
    const open = indexedDB.open('ferkite');
    open.onerror = () => fail(open.error);
    open.onsuccess = () => {
      const request = open.result.transaction('userFiles').objectStore('userFiles').get([game, path]);
      request.onsuccess = () => { open.result.close(); done(request.result ? [...request.result.bytes] : null); };
      request.onerror = () => fail(request.error);
    };
  }), [game, path]);
}

async function playDemo(page) {
  await page.locator('#play-demo').click();
  await page.locator('#screen').waitFor();
  if (fake) await page.waitForFunction(() => globalThis.fakeEngine);
}

// Plays until the game has saved slot 1: the stand-in saves at the first
// key; the demo after its story's messages and choice.
async function playUntilSaved(page) {
  for (let round = 0; round < 120; round++) {
    await page.locator('#screen').click({ position: { x: 320, y: 300 } });
    await page.keyboard.press('Enter');
    const saved = await storedFile(page, 'demo', 'SAVE01');
    if (saved) return saved;
    await page.waitForTimeout(500);
  }
  assert.fail('the game never saved');
}

test('a save survives a reload of the page', { skip, timeout }, async () => {
  const site = await serve(root);
  const { context, page, errors } = await freshPage(site);
  await page.screenshot({ path: join(process.env.FER_WEB_SCREENSHOTS || work, 'start-page.png'), fullPage: true });
  await playDemo(page);
  assert.equal(await page.locator('#game-title').textContent(), demoTitle);
  const saved = await playUntilSaved(page);
  assert.equal(saved.length, 4096);
  await page.screenshot({ path: join(process.env.FER_WEB_SCREENSHOTS || work, 'playing.png') });
  await page.reload();
  await page.locator('#play-demo').waitFor();
  assert.deepEqual(await storedFile(page, 'demo', 'SAVE01'), saved);
  if (fake) {
    await playDemo(page);
    assert.deepEqual(await page.evaluate(() => globalThis.fakeEngine.userFiles.SAVE01), saved.slice(0, 16));
  }
  assert.deepEqual(errors, []);
  await context.close();
  await site.close();
});

test('the exported saves import into a fresh profile', { skip, timeout }, async () => {
  const site = await serve(root);
  const first = await freshPage(site);
  await playDemo(first.page);
  const saved = await playUntilSaved(first.page);
  await first.page.locator('#stop').click();
  await first.page.locator('#export-saves').waitFor();
  const [download] = await Promise.all([
    first.page.waitForEvent('download'), first.page.locator('#export-saves').click()]);
  assert.equal(download.suggestedFilename(), 'demo-saves.zip');
  const archive = join(work, 'demo-saves.zip');
  await download.saveAs(archive);
  const entries = pythonUnzip(archive);
  assert.deepEqual(entries.SAVE01, saved);
  await first.context.close();

  const second = await freshPage(site);
  assert.equal(await storedFile(second.page, 'demo', 'SAVE01'), null);
  await second.page.locator('#import-saves').setInputFiles(archive);
  await second.page.locator('#message', { hasText: 'Imported' }).waitFor();
  assert.deepEqual(await storedFile(second.page, 'demo', 'SAVE01'), saved);
  if (fake) {
    await playDemo(second.page);
    assert.deepEqual(await second.page.evaluate(() => globalThis.fakeEngine.userFiles.SAVE01), saved.slice(0, 16));
  }
  assert.deepEqual([...first.errors, ...second.errors], []);
  await second.context.close();
  await site.close();
});

test('a zip game and a game folder open', { skip, timeout }, async () => {
  const site = await serve(root);
  const { context, page, errors } = await freshPage(site);
  // The title in the game's code page: 风筝 in GB2312.
  const settings = Buffer.concat([Buffer.from('[config]\r\ntitle='), Buffer.from([0xb7, 0xe7, 0xf3, 0xdd]), Buffer.from('\r\n')]);
  const picture = Buffer.alloc(70_000).map((_, i) => (i * 7) % 251);
  // The real engine plays the demo's own files, every name in lower case.
  const demoNames = JSON.parse(readFileSync(join(root, 'demo', 'files.json')));
  const gameFiles = fake
    ? [['Kite/kite5han.ini', settings], ['Kite/Main.mes', 'script'], ['Kite/bg/Night.PIC', picture]]
    : demoNames.map((name) => [`Kite/${name.toLowerCase()}`, readFileSync(join(root, 'demo', name))]);
  const zip = join(work, 'Kite.zip');
  pythonZip(zip, [['Kite/', ''], ...gameFiles]);
  const opens = async (input, path) => {
    await page.evaluate(() => { globalThis.fakeEngine = null; });
    await page.locator(input).setInputFiles(path);
    await page.locator('#screen').waitFor();
    if (fake) {
      await page.waitForFunction(() => globalThis.fakeEngine);
      assert.equal(await page.locator('#game-title').textContent(), '风筝');
      const opened = await page.evaluate(() => globalThis.fakeEngine);
      assert.deepEqual(opened.files, ['Main.mes', 'bg/Night.PIC', 'kite5han.ini']);
      assert.deepEqual(opened.fileBytes['bg/Night.PIC'], [...picture.subarray(0, 64)]);
    } else {
      assert.equal(await page.locator('#game-title').textContent(), demoTitle);
      await page.waitForTimeout(3000);
      assert.equal(await page.locator('#screen').isVisible(), true, 'the game is still running');
    }
    await page.locator('#stop').click();
    await page.locator('#play-demo').waitFor();
  };
  await opens('#zip-input', zip);

  const folder = join(work, 'folder', 'Kite');
  for (const [name, data] of gameFiles) {
    mkdirSync(dirname(join(work, 'folder', name)), { recursive: true });
    writeFileSync(join(work, 'folder', name), data);
  }
  await opens('#folder-input', folder);
  assert.deepEqual(errors, []);
  await context.close();
  await site.close();
});

test('hostile zips are refused with a message', { skip, timeout }, async () => {
  const site = await serve(root);
  const { context, page, errors } = await freshPage(site);
  const good = pythonZip(join(work, 'good.zip'), [['MAIN.MES', 'x'.repeat(1000)]]);
  const hostile = {
    'truncated.zip': [good.subarray(0, good.length - 30), /not a zip archive/],
    'climbing.zip': [pythonZip(join(work, 'c.zip'), [['../SAVE01', 'x']]), /outside its folder/],
    'absolute.zip': [pythonZip(join(work, 'a.zip'), [['/etc/SAVE01', 'x']]), /outside its folder/],
  };
  // A declared size of 4 GB - 1, in the central directory.
  const huge = Buffer.from(good);
  const central = huge.indexOf(Buffer.from([0x50, 0x4b, 0x01, 0x02]));
  huge.writeUInt32LE(0xffffffff - 1, central + 24);
  hostile['huge.zip'] = [huge, /more than/];
  // A declared size smaller than what the data inflates to.
  const small = Buffer.from(good);
  small.writeUInt32LE(10, central + 24);
  hostile['bomb.zip'] = [small, /more than its stated size/];
  for (const [input, what] of [['#zip-input', 'game'], ['#import-saves', 'saves']]) {
    for (const [name, [bytes, reason]] of Object.entries(hostile)) {
      writeFileSync(join(work, name), bytes);
      await page.locator(input).setInputFiles(join(work, name));
      const message = page.locator('#message.error');
      await message.waitFor();
      assert.match(await message.textContent(), reason, `${name} as ${what}`);
      assert.equal(await page.locator('#start').isVisible(), true);
      await page.evaluate(() => document.getElementById('message').classList.remove('error'));
    }
  }
  assert.equal(await storedFile(page, 'demo', 'SAVE01'), null);
  assert.deepEqual(errors, []);
  await context.close();
  await site.close();
});

test('the page works offline after the first visit', { skip, timeout }, async () => {
  const site = await serve(root);
  const { context, page, errors } = await freshPage(site);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 60_000 });
  await site.close();
  await context.setOffline(true);
  await page.reload();
  await page.locator('#play-demo').waitFor();
  await playDemo(page);
  assert.equal(await page.locator('#game-title').textContent(), demoTitle);
  if (fake) {
    assert.deepEqual(await page.evaluate(() => globalThis.fakeEngine.files),
        ['KITE5HAN.INI', 'MES.ARC', 'data/VILLAGE.DAT']);
  }
  assert.equal(await page.locator('#play-message.error').count(), 0);
  assert.deepEqual(errors, []);
  await context.close();
});
