// Builds the playground into one folder that any static server can serve:
//   node build.mjs --programs <wasm build folder> --out <site folder>
//                  [--examples <examples folder>] [--docs <guides folder>]
// The examples menu is made here from examples/ (see examples.mjs).

import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { EXTENSIONS as PROGRAMS, readExamples } from './examples.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, arg, i, all) =>
  (arg.startsWith('--') ? [...pairs, [arg.slice(2), all[i + 1]]] : pairs), []));
const programsDir = path.resolve(args.programs || path.join(here, '..', 'build-wasm'));
const out = path.resolve(args.out || path.join(programsDir, 'site'));
const examplesDir = path.resolve(args.examples || path.join(here, '..', 'examples'));
const docsDir = path.resolve(args.docs || path.join(here, '..', 'docs'));

const examples = {};
const guides = {};
for (const program of Object.keys(PROGRAMS)) {
  examples[program] = readExamples(examplesDir, program).map(({ name, source, input }) => ({ name, source, input }));
  const guide = path.join(docsDir, `${program}.md`);
  if (fs.existsSync(guide)) guides[program] = `guides/${program}.md.txt`;
}

fs.mkdirSync(out, { recursive: true });
const siteData = {
  name: 'site-data',
  setup(b) {
    b.onResolve({ filter: /^site:data$/ }, () => ({ path: 'site-data', namespace: 'site' }));
    b.onLoad({ filter: /.*/, namespace: 'site' }, () => ({
      contents: JSON.stringify({ examples, guides }), loader: 'json',
    }));
  },
};
const common = { bundle: true, minify: true, format: 'iife', target: 'es2020', legalComments: 'none', logLevel: 'warning' };
await build({ ...common, entryPoints: [path.join(here, 'src/app.js')], outfile: path.join(out, 'app.js'), plugins: [siteData] });
await build({ ...common, entryPoints: [path.join(here, 'src/worker.js')], outfile: path.join(out, 'worker.js') });

for (const file of ['index.html', 'style.css']) fs.copyFileSync(path.join(here, file), path.join(out, file));
let missing = [];
for (const program of Object.keys(PROGRAMS)) {
  for (const ext of ['js', 'wasm']) {
    const file = path.join(programsDir, `${program}.${ext}`);
    if (fs.existsSync(file)) fs.copyFileSync(file, path.join(out, `${program}.${ext}`));
    else missing.push(file);
  }
}
if (Object.keys(guides).length) {
  fs.mkdirSync(path.join(out, 'guides'), { recursive: true });
  for (const program of Object.keys(guides)) {
    fs.copyFileSync(path.join(docsDir, `${program}.md`), path.join(out, guides[program]));
  }
}
if (missing.length) {
  console.error(`missing program builds:\n  ${missing.join('\n  ')}`);
  process.exit(1);
}
const counts = Object.entries(examples).map(([p, list]) => `${p} ${list.length}`).join(', ');
console.log(`playground built in ${out} (examples: ${counts})`);
