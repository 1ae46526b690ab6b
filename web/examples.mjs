// The bundled examples of each program, as the playground's menu offers them:
// examples/<program>/<name>.<ext> with <name>.in as standard input, and
// examples/<name>.<ext> at the top level (a program's own folder wins); the
// menu lists them by name, "hello" first.
import fs from 'node:fs';
import path from 'node:path';

export const EXTENSIONS = { plimbo: 'plb', m4t4: 'm4t', vexa: 'vexa' };

export function readExamples(examplesDir, program) {
  const ext = EXTENSIONS[program];
  const found = new Map(); // name -> file
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
  // A newcomer meets "hello" first; the rest keep their alphabetical order.
  return [...found].sort(([a], [b]) => (b === 'hello') - (a === 'hello')).map(([name, file]) => {
    const source = fs.readFileSync(file, 'utf8');
    const inFile = file.replace(/\.[^.]+$/, '.in');
    let input = fs.existsSync(inFile) ? fs.readFileSync(inFile, 'utf8') : '';
    // An example without an input file may say in its comment what to pipe in.
    const echo = !input && source.match(/echo ([^|\n]*?) \| \S*build\//);
    if (echo) input = `${echo[1]}\n`;
    return { name, file, source, input };
  });
}
