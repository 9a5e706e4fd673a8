// The debug adapter as an editor sees it: a protocol client we did not
// write (@vscode/debugadapter-testsupport) against the headless engine on
// the demo. FER_ENGINE, FER_DEMO_DIR (build/demo-author), FER_DEMO_SOURCES
// (demo/game) and FER_MESASM come from ctest.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { DebugClient } from '@vscode/debugadapter-testsupport';

const here = path.dirname(new URL(import.meta.url).pathname);
const story = path.join(process.env.FER_DEMO_SOURCES, 'story.mes');

// A copy of the author demo (its saves stay there) with scripted input:
// Shift held; a click on the title, then one a second for each message.
function game(clicks) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'fer-dap-'));
  fs.cpSync(process.env.FER_DEMO_DIR, dir, { recursive: true });
  let input = '0 down shift\n';
  for (let i = 1; i <= clicks; ++i) input += `${i * 1000} down enter\n${i * 1000 + 500} up enter\n`;
  fs.writeFileSync(path.join(dir, 'input.txt'), input);
  return dir;
}

async function start(dir, extra = '') {
  const client = new DebugClient(path.join(here, 'headless-adapter.sh'), '', 'ferkite', {
    env: { ...process.env, FER_ENGINE_ARGS: `--input ${path.join(dir, 'input.txt')} ${extra}` },
  });
  client.defaultTimeout = 20000;
  await client.start();
  const exited = new Promise((resolve) => client['_adapterProcess'].on('exit', (code) => resolve(code)));
  return { client, exited };
}

async function launchWith(client, dir, configure) {
  await client.initializeRequest({ adapterID: 'ferkite', linesStartAt1: true, columnsStartAt1: true });
  const initialized = client.waitForEvent('initialized');
  await client.launchRequest({ game: dir });
  await initialized;
  await configure();
  await client.configurationDoneRequest();
}

async function stoppedAt(client, reason) {
  const event = await client.waitForEvent('stopped');
  assert.equal(event.body.reason, reason);
  const trace = await client.stackTraceRequest({ threadId: 1 });
  return trace.body.stackFrames;
}

// Continues, listening for the next stop before the engine can reach it.
async function continueTo(client, reason) {
  const stopped = stoppedAt(client, reason);
  await client.continueRequest({ threadId: 1 });
  return stopped;
}

async function evaluate(client, expression, frameId) {
  return (await client.evaluateRequest({ expression, frameId, context: 'watch' })).body.result;
}

test('a breakpoint on a line of story.mes is hit; evaluate reads registers; disconnect ends the engine', async () => {
  const dir = game(1);
  const { client, exited } = await start(dir);
  await launchWith(client, dir, async () => {
    const set = await client.setBreakpointsRequest({ source: { path: story }, breakpoints: [{ line: 96 }] });
    assert.equal(set.body.breakpoints[0].verified, true);
  });
  const frames = await stoppedAt(client, 'breakpoint');
  assert.equal(frames[0].source.path, story);
  assert.equal(frames[0].line, 96);
  // Line 92 set the kite's position: r16[KX] = 420, 60 (KY is the next register).
  assert.equal(await evaluate(client, 'KX', frames[0].id), '420');
  assert.equal(await evaluate(client, 'r16[KY] + 1', frames[0].id), '61');
  await client.disconnectRequest({});
  assert.equal(await exited, 0);
});

test('stepping over a procedure call stays in the caller', async () => {
  const dir = game(1);
  const { client } = await start(dir);
  await launchWith(client, dir, () =>
    client.setBreakpointsRequest({ source: { path: story }, breakpoints: [{ line: 93 }] }));
  const before = await stoppedAt(client, 'breakpoint');
  assert.equal(before[0].line, 93); // call 53
  const stepped = client.waitForEvent('stopped');
  await client.nextRequest({ threadId: 1 });
  assert.equal((await stepped).body.reason, 'step');
  const after = (await client.stackTraceRequest({ threadId: 1 })).body.stackFrames;
  assert.equal(after[0].source.path, story);
  assert.equal(after[0].line, 94);
  assert.equal(after.length, before.length);
  await client.disconnectRequest({});
});

test('a conditional breakpoint stops only when its condition holds', async () => {
  const dir = game(2); // the gust comes after the first message
  const { client } = await start(dir);
  await launchWith(client, dir, () =>
    client.setBreakpointsRequest({
      source: { path: story },
      breakpoints: [{ line: 100, condition: 'r16[K] == 3' }, { line: 106 }],
    }));
  const first = await stoppedAt(client, 'breakpoint');
  assert.equal(first[0].line, 100);
  assert.equal(await evaluate(client, 'K', first[0].id), '3');
  const next = await continueTo(client, 'breakpoint');
  assert.equal(next[0].line, 106); // the loop ran on to K = 12 without stopping again
  assert.equal(await evaluate(client, 'K', next[0].id), '12');
  await client.disconnectRequest({});
});

test('a data breakpoint on what the choice sets stops at the statement that sets it', async () => {
  const dir = game(4); // title, two messages, then the first item chosen
  const { client } = await start(dir);
  await launchWith(client, dir, () =>
    client.setBreakpointsRequest({ source: { path: story }, breakpoints: [{ line: 111 }] }));
  await stoppedAt(client, 'breakpoint');
  const info = await client.dataBreakpointInfoRequest({ name: 'BRANCH' });
  assert.ok(info.body.dataId);
  await client.setBreakpointsRequest({ source: { path: story }, breakpoints: [] });
  await client.setDataBreakpointsRequest({ breakpoints: [{ dataId: info.body.dataId }] });
  const frames = await continueTo(client, 'data breakpoint');
  assert.equal(frames[0].source.path, story);
  assert.equal(frames[0].line, 129); // r16[BRANCH] = 1, the first item's body
  await client.disconnectRequest({});
});

test('a script with a fatal error stops with the error as exception before the engine exits', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'fer-dap-fatal-'));
  const source = path.join(dir, 'main.mes');
  fs.writeFileSync(source, 'r16[1] = 2\nchange_script\n');
  fs.writeFileSync(path.join(dir, 'KITE5HAN.INI'), '[FILE]\r\nbARCMES=0\r\n');
  const { execFileSync } = await import('node:child_process');
  execFileSync(process.env.FER_MESASM, [source, '-o', path.join(dir, 'MAIN.MES')]);
  fs.writeFileSync(path.join(dir, 'input.txt'), '');
  const { client, exited } = await start(dir);
  await launchWith(client, dir, () => client.setExceptionBreakpointsRequest({ filters: ['fatal'] }));
  const event = await client.waitForEvent('stopped');
  assert.equal(event.body.reason, 'exception');
  const trace = await client.stackTraceRequest({ threadId: 1 });
  assert.equal(trace.body.stackFrames[0].source.path, source);
  assert.equal(trace.body.stackFrames[0].line, 2);
  const error = await client.exceptionInfoRequest({ threadId: 1 });
  assert.ok(error.body.exceptionId.length > 0 && error.body.description.length > 0);
  const done = client.waitForEvent('exited');
  await client.continueRequest({ threadId: 1 });
  assert.equal((await done).body.exitCode, 1);
  await client.disconnectRequest({});
  assert.equal(await exited, 1);
});
