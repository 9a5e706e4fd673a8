// The editor's grammar (editors/vscode) as the editor's own tokenizer reads
// it, on the demo's sources: every line tokenised, keywords and strings found.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');
const here = path.dirname(new URL(import.meta.url).pathname);
const grammarPath = path.join(here, '../../editors/vscode/syntaxes/mes.tmLanguage.json');
const sources = path.join(here, '../../demo/game');

test('the grammar tokenises every line of the demo and finds keywords and strings', async () => {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm')).buffer;
  await oniguruma.loadWASM(wasm);
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (p) => new oniguruma.OnigScanner(p),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async () =>
      textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
  });
  const grammar = await registry.loadGrammar('source.mes');
  const seen = new Map();
  for (const file of fs.readdirSync(sources).filter((f) => f.endsWith('.mes'))) {
    let state = textmate.INITIAL;
    for (const line of fs.readFileSync(path.join(sources, file), 'utf8').split('\n')) {
      const r = grammar.tokenizeLine(line, state);
      assert.ok(r.tokens.length > 0 && r.tokens.at(-1).endIndex >= line.length, `${file}: ${line}`);
      for (const t of r.tokens) {
        const scope = t.scopes.at(-1);
        const word = line.slice(t.startIndex, t.endIndex);
        if (!seen.has(scope)) seen.set(scope, new Set());
        seen.get(scope).add(word);
      }
      state = r.ruleStack;
    }
  }
  for (const k of ['proc', 'goto', 'unless', 'call', 'change_script', 'const', 'include'])
    assert.ok(seen.get('keyword.control.mes')?.has(k), k);
  assert.ok(seen.get('variable.language.mes')?.has('r16'));
  assert.ok(seen.get('string.quoted.double.mes')?.has('STORY.MES'));
  assert.ok(seen.get('comment.line.double-slash.mes')?.size > 10);
  assert.ok(seen.get('entity.name.label.mes')?.has('gust'));
});
