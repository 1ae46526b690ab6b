// Holds the editors' message parsing against the interpreters' output: the
// VS Code problem matchers (applied to the lines as VS Code's task terminal
// hands them over) and the Vim compilers (:make in a headless Vim).
//
//   node check_diagnostics.mjs --build BUILD_DIR [--vim VIM] [--editor vscode|vim]
//
// Every error golden case, every guide sample and example, and the table of
// messages below must give exactly one entry per message (none for a run that
// succeeds) with the line the message prints and the message as printed.
// The expected outputs are fed in as they stand, and a share of the
// programs is run (the source alone, or with its .in). The entries wanted come from the expected output: the
// message is the line (or lines) before the empty line and the closing
// failure line; without one, the failure is an entry for the whole file.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const here = path.dirname(new URL(import.meta.url).pathname);
const root = path.resolve(here, '..', '..');
const require = createRequire(path.join(root, 'editors', 'vscode', 'package.json'));
const { MATCHERS, header } = require('./run.js');
const manifest = JSON.parse(fs.readFileSync(path.join(root, 'editors', 'vscode', 'package.json'), 'utf8'));

const EXT = { plimbo: 'plb', m4t4: 'm4t' };
const CLOSING = { plimbo: 'Neco se pokazilo...', m4t4: 'V programu se vyskytla chyba.' };

// Messages of the guides' tables that no golden case prints, as the
// programs print them (N is 7 where a line is printed). file: an entry for the
// whole file; vscode: what the problem matchers give where it differs.
const TABLE = [
  ['plimbo', '(A)Chyba (7), prilis hluboke vnoreni, obdrzen: (\n\nNeco se pokazilo...\n', 7, '(A)Chyba (7), prilis hluboke vnoreni, obdrzen: ('],
  ['plimbo', '(blok)Chyba (7), prilis hluboke vnoreni, obdrzen: {\n\nNeco se pokazilo...\n', 7, '(blok)Chyba (7), prilis hluboke vnoreni, obdrzen: {'],
  ['plimbo', '(PD_push)Chyba (7), prilis mnoho hodnot\n\nNeco se pokazilo...\n', 7, '(PD_push)Chyba (7), prilis mnoho hodnot'],
  ['plimbo', 'x\n(WH_PD_insert)Chyba (7), cyklus je prilis dlouhy\n\nNeco se pokazilo...\n', 7, '(WH_PD_insert)Chyba (7), cyklus je prilis dlouhy'],
  ['plimbo', '(overline D)Chyba (7), vysledek je prilis velky\n\nNeco se pokazilo...\n', 7, '(overline D)Chyba (7), vysledek je prilis velky'],
  ['plimbo', '(overline E)Chyba (7), vysledek je prilis velky\n\nNeco se pokazilo...\n', 7, '(overline E)Chyba (7), vysledek je prilis velky'],
  ['plimbo', '(ST_insert)Chyba (7), prilis mnoho promennych\n\nNeco se pokazilo...\n', 7, '(ST_insert)Chyba (7), prilis mnoho promennych'],
  ['plimbo', '(SA)Chyba (7), nedostatek pameti\n\nNeco se pokazilo...\n', 7, '(SA)Chyba (7), nedostatek pameti'],
  ['plimbo', '(A)Chyba (7), vnoreni potrebuje vic zasobniku, obdrzen: (\n\nNeco se pokazilo...\n', 7,
    '(A)Chyba (7), vnoreni potrebuje vic zasobniku, obdrzen: ('],
  ['plimbo', '(blok)Chyba (7), vnoreni potrebuje vic zasobniku, obdrzen: {\n\nNeco se pokazilo...\n', 7,
    '(blok)Chyba (7), vnoreni potrebuje vic zasobniku, obdrzen: {'],
  ['plimbo', '\nZdrojak se nepodarilo precist ty plimbo, cos tam jebnul\n\nNeco se pokazilo...\n', 0, 'Zdrojak se nepodarilo precist ty plimbo, cos tam jebnul'],
  ['plimbo', 'hi\n\nGame over, uspesne dokonceno!!!\nFile nende zavrit -> cos tam zase jebnul, ty delegate\n', 0,
    'File nende zavrit -> cos tam zase jebnul, ty delegate', { vscode: [] }],
  ['plimbo', 'plimbo: write error: No space left on device\n', 0, 'plimbo: write error: No space left on device', { vscode: [] }],
  ...[
    ['Logicky_vyraz', 'prilis hluboke vnoreni'], ['Blok', 'prilis hluboke vnoreni'], ['While', 'prilis hluboke vnoreni'],
    ['While', 'cyklus je prilis dlouhy'], ['Vloz_do_zas', 'prilis mnoho hodnot'], ['Vloz_do_tab', 'prilis mnoho promennych'],
    ['Vnitrni_aritmeticky_vyraz', 'vysledek je prilis velky'], ['Vnitrni_term', 'vysledek je prilis velky'],
    ['Vloz_do_tab', 'nedostatek pameti'], ['Vloz_obsah_tab', 'nedostatek pameti'], ['Vloz_do_zas', 'nedostatek pameti'],
    ['Zvys_zas', 'nedostatek pameti'], ['Vloz_do_zas_cykl', 'nedostatek pameti'], ['SA', 'nedostatek pameti'],
    ['Lex', 'soubor se nezdarilo precist'], ['Logicky_vyraz', 'vnoreni potrebuje vic zasobniku'],
    ['Blok', 'vnoreni potrebuje vic zasobniku'],
  ].map(([rule, what]) => {
    const line = `V bloku: '${rule}', na radku: 7 nastala chyba - ${what}.`;
    return ['m4t4', `\nhello\n\n${line}\n\nV programu se vyskytla chyba.\n\nbye\n\n`, 7, line];
  }),
  ['m4t4', '\nhello\n\nhi\n\nProgram probehl bez chyb.\nSoubor se nezdarilo uzavrit.\n\nbye\n\n', 0, 'Soubor se nezdarilo uzavrit.'],
  ['m4t4', 'm4t4: write error: No space left on device\n', 0, 'm4t4: write error: No space left on device', { vscode: [] }],
];

// Programs whose output the golden cases and guides do not show.
const RUNS = [
  // Output printed without a line break before the message.
  ['m4t4', '{ pis("a"); pis(1 - "x"); } .\n', 1, 'aV bloku: \'Vnitrni_aritmeticky_vyraz\', na radku: 1 nastala chyba - nejedna se o cislo.'],
  // A failure with no message, after output without a line break.
  ['m4t4', '{ pis("a"); }\n', 0, 'V programu se vyskytla chyba.'],
  // A failure with no message and no output at all.
  ['plimbo', '{ }\n', 0, 'Neco se pokazilo...'],
  // The token shown holds a line break: the message runs over two lines.
  // VS Code's matchers read a message from one line; they report the failure for the whole file.
  ['plimbo', '{ VRACEE ("a" "b\nc"); } ZDECHNI\n', 2, '(vracee)Chyba (2), ocekavan: ")", obdrzen: b\nc',
    { vscode: [{ line: 0, text: CLOSING.plimbo }] }],
];

function parseArgs(argv) {
  const args = { build: null, vim: 'vim', editors: ['vscode', 'vim'] };
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === '--build') args.build = path.resolve(argv[++i]);
    else if (argv[i] === '--vim') args.vim = argv[++i];
    else if (argv[i] === '--editor') args.editors = [argv[++i]];
  }
  if (!args.build) throw new Error('give --build BUILD_DIR');
  return args;
}

function walk(dir, found = []) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
    const p = path.join(dir, entry.name);
    if (entry.isDirectory()) walk(p, found);
    else found.push(p);
  }
  return found;
}

// The entries a run's output must give: the message before the closing
// failure line (all its lines), or an entry for the file when there is none.
function expectedEntries(lang, output, source) {
  const lines = output.split('\n');
  const unclosed = lang === 'plimbo' ? 'File nende zavrit -> cos tam zase jebnul, ty delegate' : 'Soubor se nezdarilo uzavrit.';
  return [...runEntries(lang, lines, source), ...lines.filter((l) => l === unclosed).map((text) => ({ file: source, line: 0, text }))];
}

function runEntries(lang, lines, source) {
  const closing = CLOSING[lang];
  const starts = lang === 'plimbo' ? /^\(([^)]*)\)Chyba \((\d+)\), / : /V bloku: '[^']*', na radku: (\d+) nastala chyba - /;
  const k = lines.lastIndexOf(closing);
  if (k < 0) {
    const unopened = lang === 'plimbo' ? /^File "(.*)" se nepodarilo otevrit ty plimbo, cos tam jebnul$/ : /^Soubor "(.*)" se nezdarilo otevrit\.$/;
    const line = lines.find((l) => unopened.test(l));
    return line ? [{ file: unopened.exec(line)[1], line: 0, text: line }] : [];
  }
  if (k >= 2 && lines[k - 1] === '') {
    for (let j = k - 2; j >= 0; j--) {
      const m = starts.exec(lines[j]);
      if (m) return [{ file: source, line: Number(m[m.length - 1]), text: lines.slice(j, k - 1).join('\n'), lines: k - 1 - j }];
    }
    if (/^(Zdrojak|Vstup) se nepodarilo precist/.test(lines[k - 2])) return [{ file: source, line: 0, text: lines[k - 2] }];
  }
  return [{ file: source, line: 0, text: closing }];
}

// The problem matchers as VS Code's task terminal applies them: every line
// is tried by each matcher against the lines just before it; a match takes
// its lines away from all matchers.
function vscodeProblems(lang, output, source) {
  const matchers = MATCHERS[lang].map((name) => manifest.contributes.problemMatchers.find((m) => `$${m.name}` === name));
  const lines = (header(lang, source) + '\n' + output).split(/\r?\n/);
  if (lines[lines.length - 1] === '') lines.pop();
  const buffer = [];
  const problems = [];
  for (const line of lines) {
    buffer.push(line);
    for (const matcher of matchers) {
      const patterns = matcher.pattern;
      if (buffer.length < patterns.length) continue;
      const data = {};
      const offset = buffer.length - patterns.length;
      if (!patterns.every((p, i) => {
        const m = new RegExp(p.regexp).exec(buffer[offset + i]);
        if (!m) return false;
        for (const key of ['file', 'message', 'line', 'code']) {
          if (data[key] === undefined && p[key] !== undefined && m[p[key]] !== undefined) data[key] = key === 'line' ? m[p[key]] : m[p[key]].trim();
        }
        return true;
      })) continue;
      const kind = patterns[0].kind || 'location';
      if (!data.file || !data.message || (kind !== 'file' && !data.line)) continue;
      const [location, prefix] = Array.isArray(matcher.fileLocation) ? matcher.fileLocation : [matcher.fileLocation];
      const file = location === 'absolute' ? data.file : path.join(prefix.replace('${file}', source), data.file);
      problems.push({ file, line: kind === 'file' ? 0 : Number(data.line), text: data.message });
      buffer.length = 0;
      break;
    }
  }
  return problems;
}

// Runs all Vim jobs in one headless Vim; returns each job's entries.
function vimEntries(vim, build, jobs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'editors-make-'));
  try {
    const jobFile = path.join(dir, 'jobs.json');
    const outFile = path.join(dir, 'entries.json');
    fs.writeFileSync(jobFile, JSON.stringify(jobs));
    const result = spawnSync(vim, ['-Nu', 'NONE', '-i', 'NONE', '-n', '-es',
      '--cmd', `set rtp^=${path.join(root, 'editors', 'vim')} encoding=latin1`,
      '--cmd', `let g:plimbo_program = '${path.join(build, 'plimbo')}' | let g:m4t4_program = '${path.join(build, 'm4t4')}'`,
      '-c', `let g:jobs = '${jobFile}' | let g:out = '${outFile}'`,
      '-S', path.join(here, 'vim_make.vim')], { stdio: ['ignore', 'ignore', 'inherit'], timeout: 300000 });
    if (result.status !== 0 || !fs.existsSync(outFile)) throw new Error(`vim failed (status ${result.status})`);
    return JSON.parse(fs.readFileSync(outFile, 'utf8'));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

function runProgram(build, lang, source, input) {
  const r = spawnSync(path.join(build, lang), [source], { input: input ?? '', encoding: 'latin1', cwd: path.dirname(source), timeout: 20000 });
  return r.stdout;
}

function main() {
  const args = parseArgs(process.argv.slice(2));
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'editors-diagnostics-'));
  const cases = [];  // {name, lang, source, input, output (fed) or null (run), expected, vscode}
  try {
    // Golden error cases: fed as expected, and run where nothing else sets them up.
    for (const lang of ['plimbo', 'm4t4']) {
      for (const file of walk(path.join(root, lang, 'tests', 'cases'))) {
        if (!file.endsWith(`.${EXT[lang]}`) || !file.includes(`${path.sep}errors${path.sep}`)) continue;
        const stem = file.slice(0, -EXT[lang].length - 1);
        const out = fs.readFileSync(`${stem}.out`, 'latin1');
        const extra = ['.setup', '.args', '.stdin-closed', '.stdin-folder'].some((e) => fs.existsSync(stem + e));
        const input = fs.existsSync(`${stem}.in`) ? fs.readFileSync(`${stem}.in`, 'latin1') : '';
        const expected = expectedEntries(lang, out, file);
        cases.push({ name: `${path.relative(root, file)} (fed)`, lang, source: file, output: out, expected });
        if (!extra && cases.length % 8 === 0) cases.push({ name: path.relative(root, file), lang, source: file, input, output: null, expected });
      }
    }
    // Guide samples and examples, run.
    const sources = [];
    for (const lang of ['plimbo', 'm4t4']) {
      const dir = path.join(scratch, lang);
      fs.mkdirSync(dir);
      execFileSync('awk', ['-v', `dir=${dir}`, '-f', path.join(root, 'tests', 'docs', 'extract_samples.awk'), path.join(root, 'docs', `${lang}.md`)]);
      sources.push(...walk(dir).map((f) => [lang, f]));
      sources.push(...walk(path.join(root, 'examples', lang)).map((f) => [lang, f]));
    }
    for (const [lang, file] of sources) {
      if (!file.endsWith(`.${EXT[lang]}`)) continue;
      const stem = file.slice(0, -EXT[lang].length - 1);
      const input = fs.existsSync(`${stem}.in`) ? fs.readFileSync(`${stem}.in`, 'latin1') : '';
      const out = fs.readFileSync(`${stem}.out`, 'latin1');
      cases.push({ name: path.relative(root, file).replace(/^\.\.\/.*editors-diagnostics-[^/]+/, 'docs'), lang, source: file, input,
        output: cases.length % 8 === 0 ? null : out, expected: expectedEntries(lang, out, file) });
    }
    // The table and the extra programs.
    TABLE.forEach(([lang, output, line, text, options], i) => {
      const source = path.join(scratch, `table${i}.${EXT[lang]}`);
      fs.writeFileSync(source, '');
      cases.push({ name: `table: ${text}`, lang, source, output, expected: [{ file: source, line, text }], vscode: options?.vscode });
    });
    RUNS.forEach(([lang, program, line, text, options], i) => {
      const source = path.join(scratch, `run${i}.${EXT[lang]}`);
      fs.writeFileSync(source, program);
      cases.push({ name: `program: ${JSON.stringify(program)}`, lang, source, input: '', output: null, expected: [{ file: source, line, text }],
        vscode: options?.vscode?.map((e) => ({ file: source, ...e })) });
    });
    for (const lang of ['plimbo', 'm4t4']) {
      const missing = path.join(scratch, `missing.${EXT[lang]}`);
      const text = lang === 'plimbo' ? `File "${missing}" se nepodarilo otevrit ty plimbo, cos tam jebnul` : `Soubor "${missing}" se nezdarilo otevrit.`;
      cases.push({ name: `${lang}: a file that cannot be opened`, lang, source: missing, input: '', output: null, expected: [{ file: missing, line: 0, text }] });
    }

    // The golden and guide tests hold the programs' output to the expected
    // output, which is fed in as it stands; every eighth case, the extra
    // programs and the files that cannot be opened are run.
    // Vim's :make (a shell and a pipe each) runs the extra programs, the files
    // that cannot be opened and every other run case; it reads the rest.
    let runs = 0;
    cases.forEach((c) => {
      if (c.output !== null) return;
      c.actual = runProgram(args.build, c.lang, c.source, c.input);
      c.make = c.name.startsWith('program:') || c.name.endsWith('cannot be opened') || runs++ % 2 === 0;
    });
    const failures = [];
    const check = (editor, c, got, want) => {
      const norm = (entries) => JSON.stringify(entries.map((e) => [path.resolve(e.file), e.line, e.text]));
      if (norm(got) !== norm(want)) failures.push(`${editor}: ${c.name}\n    wanted ${norm(want)}\n    got    ${norm(got)}`);
    };
    const counts = {};
    if (args.editors.includes('vscode')) {
      for (const c of cases) {
        const output = c.output ?? c.actual;
        // A message over several lines: the matchers see only the failure.
        // VS Code trims messages; plimbo's close failure has nothing that ties it to the file.
        const want = c.vscode ?? (c.expected.some((e) => e.lines > 1) ? [{ file: c.source, line: 0, text: CLOSING[c.lang] }] : c.expected)
          .filter((e) => !e.text.startsWith('File nende zavrit')).map((e) => ({ ...e, text: e.text.trim() }));
        check('vscode', c, vscodeProblems(c.lang, output, c.source), want);
      }
      counts.vscode = cases.length;
    }
    if (args.editors.includes('vim')) {
      const jobs = cases.map((c) => {
        let feed = null;
        if (!c.make) {
          feed = path.join(scratch, `feed${jobsCount++}.out`);
          fs.writeFileSync(feed, c.output ?? c.actual, 'latin1');
        }
        let input = null;
        if (c.make) {
          input = path.join(scratch, `input${jobsCount++}.in`);
          fs.writeFileSync(input, c.input ?? '', 'latin1');
        }
        return { source: c.source, filetype: c.lang, feed, input };
      });
      const results = vimEntries(args.vim, args.build, jobs);
      // Vim's quickfix reads the first 4 KiB of a line: a message after more
      // output on its line is lost, and only the failure is reported.
      cases.forEach((c, i) => check('vim', c, results[i].map(([file, line, text]) => ({ file, line, text })),
        c.expected.some((e) => e.text.length > 4096) ? [{ file: c.source, line: 0, text: CLOSING[c.lang] }] : c.expected));
      counts.vim = cases.length;
    }
    const made = cases.filter((c) => c.make).length;
    for (const [editor, n] of Object.entries(counts)) console.log(`${editor}: ${n} outputs checked${editor === 'vim' ? ` (${made} of them by :make)` : ''}`);
    for (const f of failures.slice(0, 40)) console.log(`FAIL ${f.split("\n").map((l) => (l.length > 300 ? `${l.slice(0, 300)}...` : l)).join("\n")}`);
    const total = Object.values(counts).reduce((a, b) => a + b, 0);
    console.log(`diagnostics: ${total - failures.length} passed, ${failures.length} failed`);
    process.exitCode = failures.length > 0 ? 1 : 0;
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

let jobsCount = 0;
main();
