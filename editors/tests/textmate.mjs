// Loads the extension's TextMate grammars with the tokenizer VS Code uses
// (vscode-textmate on the Oniguruma regular expressions of vscode-oniguruma),
// taken from the extension's own node_modules.
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const extension = path.join(path.dirname(new URL(import.meta.url).pathname), '..', 'vscode');
const require = createRequire(path.join(extension, 'package.json'));

export async function loadGrammars() {
  const textmate = require('vscode-textmate');
  const oniguruma = require('vscode-oniguruma');
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName) => {
      const file = path.join(extension, 'syntaxes', `${scopeName.replace(/^source\./, '')}.tmLanguage.json`);
      return textmate.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
    },
  });
  const grammars = {};
  for (const lang of ['plimbo', 'm4t4', 'vexa']) grammars[lang] = await registry.loadGrammar(`source.${lang}`);
  return grammars;
}
