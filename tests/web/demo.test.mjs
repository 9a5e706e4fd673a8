// The browser build against the native engine: the demo's two acts played
// with the README's scripted input give the same screen and text in
// Chromium as build/engine --headless, and the village's tunes are heard in
// the recording; a folder without a settings file shows the same box.
// Needs web/build.sh to have run (build-web/ and build/).
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {chromium} from 'playwright-core';

const top = path.resolve(import.meta.dirname, '../..');
const site = path.join(top, 'build-web');
const port = 18000 + (process.pid % 1000);
let server, browser, page;

// The input of demo/play.sh's headless play.
function demoInput() {
  const lines = ['0 down shift'];
  let t = 0;
  const click = (key = 'enter') => { t += 1200; lines.push(`${t} down ${key}`, `${t + 500} up ${key}`); };
  click(); click(); click();
  t += 1200; lines.push(`${t} mouse 100 324`);
  click('lbutton');
  click(); click(); click(); click();
  lines.push(`${t + 600} up shift`);
  click();
  t += 3000; click();
  t += 600; lines.push(`${t} mouse 424 152`);
  click('rbutton');
  t += 12000; click();
  t += 1500; click();
  return {text: lines.join('\n') + '\n', quitAfter: t + 3000};
}

function native(gameDir, input, quitAfter) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ferkite-web-'));
  fs.writeFileSync(path.join(work, 'input.txt'), input);
  const args = ['--headless', '--print-text', '--input', path.join(work, 'input.txt'),
                '--screenshot', path.join(work, 'screen.png'), '--dump-memory', path.join(work, 'memory.bin'),
                '--audio-out', path.join(work, 'audio.wav')];
  if (quitAfter !== undefined) args.push('--quit-after', String(quitAfter));
  const r = spawnSync(path.join(top, 'build/engine'), [...args, gameDir], {encoding: 'utf8', timeout: 120000});
  const read = (n) => fs.existsSync(path.join(work, n)) ? fs.readFileSync(path.join(work, n)) : Buffer.alloc(0);
  const out = {exitStatus: r.status, text: r.stdout, stderr: r.stderr, screenshotPng: read('screen.png'),
               memory: read('memory.bin'), audioWav: read('audio.wav')};
  fs.rmSync(work, {recursive: true, force: true});
  return out;
}

async function inBrowser(options) {
  const r = await page.evaluate(async (o) => {
    const b64 = (u8) => { let s = ''; for (let i = 0; i < u8.length; i += 0x8000) s += String.fromCharCode(...u8.subarray(i, i + 0x8000)); return btoa(s); };
    const x = await window.ferkite.run(o);
    return {...x, screenshotPng: b64(x.screenshotPng), memory: b64(x.memory), audioWav: b64(x.audioWav)};
  }, options);
  for (const k of ['screenshotPng', 'memory', 'audioWav']) r[k] = Buffer.from(r[k], 'base64');
  return r;
}

// The level of a tone in the first channel over [from, to) seconds (the
// amplitude of its Fourier component, full scale 1).
function toneLevel(wav, frequency, from, to) {
  const channels = wav.readUInt16LE(22), rate = wav.readUInt32LE(24);
  let at = 12;
  while (at + 8 <= wav.length && wav.toString('latin1', at, at + 4) !== 'data') at += 8 + wav.readUInt32LE(at + 4);
  const data = at + 8, frames = Math.floor((wav.length - data) / (2 * channels));
  const a = Math.floor(from * rate), b = Math.min(frames, Math.floor(to * rate));
  let re = 0, im = 0;
  for (let i = a; i < b; ++i) {
    const s = wav.readInt16LE(data + 2 * channels * i) / 32768, w = 2 * Math.PI * frequency * i / rate;
    re += s * Math.cos(w); im += s * Math.sin(w);
  }
  return b > a ? 2 * Math.hypot(re, im) / (b - a) : 0;
}
function bestLevel(wav, frequency, from, to) {
  let best = 0;
  for (let t = from; t + 0.25 <= to; t += 0.125) best = Math.max(best, toneLevel(wav, frequency, t, t + 0.25));
  return best;
}

before(async () => {
  assert.ok(fs.existsSync(path.join(site, 'ferkite.wasm')), 'web/build.sh has not run');
  server = spawn(path.join(top, 'web/serve.sh'), [String(port)], {stdio: 'ignore', detached: true});
  for (let i = 0; i < 100; ++i) {
    try { if ((await fetch(`http://127.0.0.1:${port}/test.html`)).ok) break; } catch {}
    await new Promise((r) => setTimeout(r, 100));
  }
  browser = await chromium.launch({executablePath: '/usr/bin/chromium', args: ['--no-sandbox']});
  page = await browser.newPage();
  page.on('pageerror', (e) => console.error('page:', e.message));
  await page.goto(`http://127.0.0.1:${port}/test.html`);
  await page.waitForFunction(() => window.ferkiteReady === true);
});

after(async () => {
  await browser?.close();
  if (server) process.kill(-server.pid);
});

test('the demo plays in the browser as it does natively', {timeout: 240000}, async () => {
  const {text, quitAfter} = demoInput();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ferkite-demo-'));
  fs.cpSync(path.join(site, 'demo'), work, {recursive: true});
  const want = native(work, text, quitAfter);
  fs.rmSync(work, {recursive: true, force: true});
  const got = await inBrowser({game: 'demo', input: text, quitAfter});
  assert.equal(got.exitStatus, want.exitStatus);
  assert.equal(got.text, want.text);
  assert.ok(got.screenshotPng.length > 0);
  assert.ok(got.screenshotPng.equals(want.screenshotPng), 'the last screen differs from the native one');
  // The village's tune (C5) and its bass (G3) are heard in both recordings.
  const seconds = quitAfter / 1000;
  for (const [frequency, what] of [[523.25, "the village's tune"], [196.0, 'its bass']]) {
    const native = bestLevel(want.audioWav, frequency, 0, seconds);
    const page = bestLevel(got.audioWav, frequency, 0, seconds);
    assert.ok(native > 0.05, `${what} natively (${native})`);
    assert.ok(page > native / 2, `${what} in the page (${page} against ${native})`);
  }
});

test('a folder without a settings file shows the native box', {timeout: 120000}, async () => {
  const game = path.join(site, 'test-games', 'no-settings');
  fs.mkdirSync(game, {recursive: true});
  fs.writeFileSync(path.join(game, 'README.TXT'), 'no settings here\n');
  fs.writeFileSync(path.join(game, 'files.json'), JSON.stringify(['README.TXT']));
  const want = native(game, '', 2000);
  const got = await inBrowser({game: './test-games/no-settings/', input: '', quitAfter: 2000});
  assert.ok(want.stderr.length > 0);
  // The box names the folder: the page's is /game.
  assert.equal(got.stderr, want.stderr.replaceAll(game, '/game'));
  assert.equal(got.exitStatus, want.exitStatus);
});
