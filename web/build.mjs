// Builds the playground into one folder that any static server can serve:
//   node build.mjs --programs <wasm build folder> --out <site folder>
//                  [--examples <examples folder>] [--docs <guides folder>]
// The examples menu is made here from examples/<program>/<name>.<ext> (with
// <name>.in as its input), or from examples/<name>.<ext> beside them.

import { build } from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = Object.fromEntries(process.argv.slice(2).reduce((pairs, arg, i, all) =>
  (arg.startsWith('--') ? [...pairs, [arg.slice(2), all[i + 1]]] : pairs), []));
const programsDir = path.resolve(args.programs || path.join(here, '..', 'build-wasm'));
const out = path.resolve(args.out || path.join(programsDir, 'site'));
const examplesDir = path.resolve(args.examples || path.join(here, '..', 'examples'));
const docsDir = path.resolve(args.docs || path.join(here, '..', 'docs'));
const PROGRAMS = { plimbo: 'plb', m4t4: 'm4t', vexa: 'vexa' };

function readExamples(program, ext) {
  const found = new Map(); // name -> file; a program's own folder wins over the top level
  const add = (dir) => {
    if (!fs.existsSync(dir)) return;
    for (const file of fs.readdirSync(dir).sort()) {
      if (file.endsWith(`.${ext}`) && fs.statSync(path.join(dir, file)).isFile()) {
        const name = file.slice(0, -ext.length - 1);
        if (!found.has(name)) found.set(name, path.join(dir, file));
      }
    }
  };
  add(path.join(examplesDir, program));
  add(examplesDir);
  return [...found].map(([name, file]) => {
    const source = fs.readFileSync(file, 'utf8');
    const inFile = file.replace(/\.[^.]+$/, '.in');
    let input = fs.existsSync(inFile) ? fs.readFileSync(inFile, 'utf8') : '';
    // An example without an input file may say in its comment what to pipe in.
    const echo = !input && source.match(/echo ([^|\n]*?) \| \S*build\//);
    if (echo) input = `${echo[1]}\n`;
    return { name, source, input };
  });
}

const examples = {};
const guides = {};
for (const [program, ext] of Object.entries(PROGRAMS)) {
  examples[program] = readExamples(program, ext);
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
