#!/bin/sh
# ctest's way into the scenarios: skipped (77) without node or the npm
# packages, a failure instead when CI is set.
cd "$1" || exit 1
if ! command -v node >/dev/null || [ ! -d node_modules/@vscode/debugadapter-testsupport ]; then
  echo "node or tests/dap/node_modules is missing: run 'npm ci' in tests/dap"
  if [ -n "${CI:-}" ]; then exit 1; fi
  exit 77
fi
exec node --test scenarios.test.mjs grammar.test.mjs
