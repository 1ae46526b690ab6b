// Builds the playground into one folder that any static server can serve:
//   node build.mjs --programs <wasm build folder> --out <site folder>
//                  [--examples <examples folder>] [--docs <guides folder>]
// The examples menu is made here from examples/ (see examples.mjs), and the
// guides and example pages from docs/ and examples/ (see guides.mjs).

import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { EXTENSIONS as PROGRAMS, readExamples } from './examples.mjs';
import { renderGuide, guidePage, examplePages } from './guides.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, arg, i, all) =>
  (arg.startsWith('--') ? [...pairs, [arg.slice(2), all[i + 1]]] : pairs), []));
const programsDir = path.resolve(args.programs || path.join(here, '..', 'build-wasm'));
const out = path.resolve(args.out || path.join(programsDir, 'site'));
const examplesDir = path.resolve(args.examples || path.join(here, '..', 'examples'));
const docsDir = path.resolve(args.docs || path.join(here, '..', 'docs'));

const examples = {};
const exampleFiles = {};
const guides = {};
for (const program of Object.keys(PROGRAMS)) {
  exampleFiles[program] = readExamples(examplesDir, program);
  examples[program] = exampleFiles[program].map(({ name, source, input }) => ({ name, source, input }));
  const guide = path.join(docsDir, `${program}.md`);
  if (fs.existsSync(guide)) guides[program] = `guides/${program}.html`;
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
for (const worker of ['worker', 'relay']) {
  await build({ ...common, entryPoints: [path.join(here, `src/${worker}.js`)], outfile: path.join(out, `${worker}.js`) });
}

for (const file of ['index.html', 'style.css']) fs.copyFileSync(path.join(here, file), path.join(out, file));
// The picture the guides show (../web/stepping.png from guides/).
fs.mkdirSync(path.join(out, 'web'), { recursive: true });
fs.copyFileSync(path.join(here, 'stepping.png'), path.join(out, 'web', 'stepping.png'));
let missing = [];
// Each program and its stepping build (<program>_steps).
for (const program of Object.keys(PROGRAMS).flatMap((p) => [p, `${p}_steps`])) {
  for (const ext of ['js', 'wasm']) {
    const file = path.join(programsDir, `${program}.${ext}`);
    if (fs.existsSync(file)) fs.copyFileSync(file, path.join(out, `${program}.${ext}`));
    else missing.push(file);
  }
}
// Pages made before (a guide renamed or gone) must not linger.
for (const folder of ['guides', 'examples']) fs.rmSync(path.join(out, folder), { recursive: true, force: true });
const pages = examplePages(exampleFiles);
const samples = [];
for (const program of Object.keys(guides)) {
  const rendered = renderGuide(fs.readFileSync(path.join(docsDir, `${program}.md`), 'utf8'),
    { guides: Object.keys(guides), examples: exampleFiles });
  pages[guides[program]] = guidePage(rendered);
  samples.push(`${program} ${rendered.samples}`);
}
for (const [file, html] of Object.entries(pages)) {
  fs.mkdirSync(path.dirname(path.join(out, file)), { recursive: true });
  fs.writeFileSync(path.join(out, file), html);
}
if (missing.length) {
  console.error(`missing program builds:\n  ${missing.join('\n  ')}`);
  process.exit(1);
}
const counts = Object.entries(examples).map(([p, list]) => `${p} ${list.length}`).join(', ');
console.log(`playground built in ${out} (examples: ${counts}; guide samples: ${samples.join(', ')})`);
