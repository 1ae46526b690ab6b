// Browser test of the playground: Debian's Chromium, headless, driven by
// playwright-core against the built site served on 127.0.0.1. Every run in the
// page is compared byte for byte with the native program of the default build
// run on the same source and input.
//
//   node web/test/browser.mjs --site build-wasm/site --native build
//        --examples examples --source . --artifacts build-wasm/browser-artifacts
//
// The scenarios, each named for --only (a comma-separated list runs just
// those): first-run, examples, golden, nesting, diagnostic, follow, stop,
// limits, share, and the runs that go wrong as a student meets them:
// loop-output, prototype-names, heavy-output, stale, kept-program, status,
// guides, phone, huge-link; and stepping through a run (Watch it run):
// step-states, step-back, breakpoints, step-examples, step-bound, step-link,
// step-phone.
//
// Artifacts: a screenshot of each language's page (playground-<language>.png),
// one at phone size (playground-phone.png), the stepping page
// (stepping.png, the picture of the plimbo guide; stepping-vexa.png,
// stepping-phone.png) and metrics.json.

import { chromium } from 'playwright-core';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { EXTENSIONS, readExamples } from '../examples.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const argv = process.argv.slice(2);
const option = (name, fallback) => {
  const i = argv.indexOf(`--${name}`);
  return path.resolve(i >= 0 ? argv[i + 1] : fallback);
};
const root = option('source', path.join(here, '..', '..'));
const site = option('site', path.join(root, 'build-wasm', 'site'));
const native = option('native', path.join(root, 'build'));
const examplesDir = option('examples', path.join(root, 'examples'));
const artifacts = option('artifacts', path.join(root, 'build-wasm', 'browser-artifacts'));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const PROGRAMS = Object.keys(EXTENSIONS);
const OUTPUT_LIMIT = 1 << 20;
// --only NAME[,NAME...] runs only the scenarios named (see want() below).
const only = argv.includes('--only') ? argv[argv.indexOf('--only') + 1].split(',') : null;
const want = (name) => !only || only.includes(name);

let failures = 0;
let checks = 0;
function check(ok, what, detail = '') {
  checks++;
  if (!ok) {
    failures++;
    console.log(`FAIL ${what}${detail ? `\n${detail}` : ''}`);
  }
  return ok;
}

// ---- prerequisites, server, browser ----

for (const [what, file] of [['Chromium', CHROMIUM], ['the site', path.join(site, 'index.html')],
  ...PROGRAMS.map((p) => [`the native ${p}`, path.join(native, p)])]) {
  if (!fs.existsSync(file)) {
    console.log(`missing ${what}: ${file}`);
    process.exit(1);
  }
}
fs.mkdirSync(artifacts, { recursive: true });

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function startServer() {
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', site],
    { stdio: 'ignore' });
  const base = `http://127.0.0.1:${port}/`;
  for (let i = 0; i < 100; i++) {
    const up = await new Promise((resolve) => {
      http.get(base, (res) => { res.resume(); resolve(res.statusCode === 200); }).on('error', () => resolve(false));
    });
    if (up) return { server, base };
    await new Promise((r) => setTimeout(r, 100));
  }
  server.kill();
  throw new Error('the http server did not start');
}

// ---- the native programs ----

const FILE = { plimbo: 'program.plb', m4t4: 'program.m4t', vexa: 'zdrojak.vexa' };
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'playground-test-'));

function runNative(program, source, input, limit = 0) {
  const dir = fs.mkdtempSync(path.join(work, 'run-'));
  fs.writeFileSync(path.join(dir, FILE[program]), source);
  const args = program === 'vexa' ? [] : [FILE[program]];
  let result;
  if (limit) {
    // An endless printer: keep its first bytes only.
    fs.writeFileSync(path.join(dir, 'input'), input);
    result = spawnSync('bash', ['-c', `"$0" "$@" < input | head -c ${limit}`, path.join(native, program), ...args],
      { cwd: dir, maxBuffer: 2 * limit, timeout: 60_000 });
  } else {
    result = spawnSync(path.join(native, program), args, { cwd: dir, input, maxBuffer: 64 << 20, timeout: 60_000 });
  }
  fs.rmSync(dir, { recursive: true, force: true });
  return { output: result.stdout, status: result.status };
}

// ---- the page ----

const pageErrors = [];
const foreignRequests = [];
let origin = '';
function watch(page) {
  page.on('pageerror', (e) => pageErrors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') pageErrors.push(m.text()); });
  // Nothing may be fetched from outside the page's own folder.
  page.on('request', (r) => { if (!r.url().startsWith(origin) && !/^(data|about|blob):/.test(r.url())) foreignRequests.push(r.url()); });
}

async function ready(page, timeout = 30_000) {
  await page.waitForFunction(() => window.playground && /Ready/.test(document.getElementById('status').textContent),
    null, { timeout });
}

// Opens a program through its link and waits until the page shows it.
async function open(page, language, source, input = '') {
  await page.goto(linkTo(base, language, source, input));
  await page.waitForFunction(([l, s]) => {
    const st = window.playground && window.playground.state();
    return st && st.language === l && st.source === s;
  }, [language, source]);
}

// Replaces the program in the editor by typing, as a user would.
async function typeProgram(page, text) {
  await page.locator('.cm-content').click();
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await page.keyboard.insertText(text);
}

const runs = (page) => page.evaluate(() => window.playground.runs);
const ended = (page, before, timeout = 30_000) => page.waitForFunction((n) => window.playground.runs > n, before, { timeout });
const running = (page) => page.evaluate(() => !document.getElementById('stop').disabled);

function linkTo(base, language, source, input) {
  const params = new URLSearchParams({ lang: language, src: source });
  if (input) params.set('in', input);
  return `${base}#${params}`;
}

// Starts a run (button or Ctrl-Enter) and waits until it has ended.
async function runInPage(page, how = 'button', timeout = 30_000) {
  const before = await page.evaluate(() => window.playground.runs);
  if (how === 'keys') {
    await page.locator('.cm-line').first().click({ position: { x: 2, y: 2 } });
    await page.keyboard.press('Control+Enter');
  } else {
    await page.click('#run');
  }
  await page.waitForFunction((n) => window.playground.runs > n, before, { timeout });
  return page.evaluate(() => {
    const run = window.playground.lastRun;
    let binary = '';
    for (let i = 0; i < run.output.length; i += 8192) binary += String.fromCharCode(...run.output.subarray(i, i + 8192));
    return {
      status: run.status, stopped: run.stopped, output: btoa(binary), ms: run.ms,
      pane: document.getElementById('output').textContent, note: document.getElementById('status').textContent,
    };
  });
}

function compare(what, got, expected) {
  const output = Buffer.from(got.output, 'base64');
  const same = check(output.equals(expected.output), `${what}: output differs from the command line`,
    `  page:    ${JSON.stringify(output.toString('latin1').slice(0, 600))}\n`
    + `  command: ${JSON.stringify(expected.output.toString('latin1').slice(0, 600))}\n  ${got.note}`);
  if (same) {
    check(got.pane === new TextDecoder().decode(expected.output), `${what}: the output pane does not show the output as printed`);
  }
  check(got.status === expected.status, `${what}: exit status ${got.status}, command line ${expected.status}`);
}

// ---- stepping ----

// Opens a program for stepping, in a page loaded afresh (not stepping yet).
async function openForSteps(page, language, source, input = '') {
  await page.goto(origin);
  await ready(page);
  await open(page, language, source, input);
  await ready(page);
}

// Waits until the page shows step n (or any step, n null) and nothing is
// asked of the worker.
async function shown(page, n = null, timeout = 30_000) {
  await page.waitForFunction((k) => {
    const s = window.playground.stepping();
    return s && !s.pending && s.step > 0 && (k === null || s.step === k);
  }, n, { timeout });
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  return page.evaluate(() => window.playground.stepping().step);
}

// Clicks a stepping button (or presses its key) and waits until the page
// shows a step again.
async function press(page, button, n = null) {
  await page.click(`#${button}`);
  return shown(page, n);
}

// What the panes show.
function panes(page) {
  return page.evaluate(() => {
    const texts = (sel) => [...document.querySelectorAll(sel)].map((e) => e.textContent);
    return {
      step: window.playground.stepping().step,
      where: document.getElementById('where').textContent,
      mark: texts('#editor .cm-step').join(''),
      vars: [...document.querySelectorAll('#vars tr')].filter((r) => !r.classList.contains('none'))
        .map((r) => `${r.cells[0].textContent}=${r.cells[1].textContent}${r.classList.contains('changed') ? '*' : ''}`),
      stack: [...document.querySelectorAll('#stack li')].filter((l) => !l.classList.contains('none')).map((l) => l.textContent),
      loops: [...document.querySelectorAll('#loops .level')].map((l) => `${l.dataset.level}:${l.dataset.mode}:${l.dataset.pass}`),
      loopText: document.getElementById('loops').textContent,
      effects: document.getElementById('effects').textContent,
      functions: document.getElementById('functions').textContent,
      did: document.getElementById('did').textContent,
      input: texts('#input-marks mark.read'),
      output: document.getElementById('output').textContent,
      automaton: document.getElementById('automaton').textContent,
      cell: texts('#transitions td.current').join(),
      counter: document.getElementById('step-count').textContent,
      status: document.getElementById('status').textContent,
    };
  });
}

async function runCase(page, base, what, language, source, input) {
  const expected = runNative(language, Buffer.from(source), Buffer.from(language === 'vexa' ? '' : input));
  return runCaseExpecting(page, base, what, language, source, input, expected);
}

async function runCaseExpecting(page, base, what, language, source, input, expected) {
  await page.goto(linkTo(base, language, source, input));
  await page.waitForFunction(([l, s, i]) => {
    const st = window.playground.state();
    return st.language === l && st.source === s && (l === 'vexa' || st.input === i);
  }, [language, source, input]).catch((e) => {
    throw new Error(`${what}: the page did not take the program from its link: ${e.message}`);
  });
  const got = await runInPage(page);
  compare(what, got, expected);
  return got;
}

// Golden cases that a page run can reproduce: the program gets its usual
// arguments and an input, and the source and input are plain text.
function goldenCases(program) {
  const ext = EXTENSIONS[program];
  const dir = path.join(root, program, 'tests', 'cases');
  const cases = [];
  const walk = (d) => {
    if (!fs.existsSync(d)) return;
    for (const entry of fs.readdirSync(d, { withFileTypes: true }).sort((a, b) => a.name.localeCompare(b.name))) {
      const file = path.join(d, entry.name);
      if (entry.isDirectory()) { walk(file); continue; }
      if (!entry.name.endsWith(`.${ext}`)) continue;
      const stem = file.slice(0, -ext.length - 1);
      if (['.args', '.setup', '.stdin-closed'].some((s) => fs.existsSync(stem + s))) continue;
      const text = (f) => {
        if (!fs.existsSync(f)) return '';
        const bytes = fs.readFileSync(f);
        const decoded = new TextDecoder('utf-8', { fatal: false }).decode(bytes);
        return Buffer.from(decoded).equals(bytes) && !/[\0\r]/.test(decoded) && bytes.length < 64 * 1024 ? decoded : null;
      };
      const source = text(file);
      const input = text(`${stem}.in`);
      if (source === null || input === null) continue;
      cases.push({ name: path.relative(dir, stem), source, input, hasInput: fs.existsSync(`${stem}.in`) });
    }
  };
  walk(dir);
  return cases;
}

// ---- the test ----

const { server, base } = await startServer();
origin = base;
const browser = await chromium.launch({
  executablePath: CHROMIUM,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
const metrics = {};
try {
  // Time to first run: a fresh profile opens the page and runs the program it shows.
  if (want('first-run')) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const page = await context.newPage();
    watch(page);
    const started = Date.now();
    await page.goto(base);
    await ready(page);
    const got = await runInPage(page);
    metrics.firstRunMs = Date.now() - started;
    check(!got.stopped && got.status === 0, 'first run on a fresh page', got.note);
    await context.close();
  }

  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  watch(page);
  await page.goto(base);
  await ready(page);

  // Every bundled example, picked from the menu as a user would.
  let exampleCount = 0;
  for (const program of want('examples') ? PROGRAMS : []) {
    await page.selectOption('#language', program);
    const examples = readExamples(examplesDir, program);
    for (const example of examples) {
      await page.selectOption('#examples', { label: example.name });
      const state = await page.evaluate(() => window.playground.state());
      check(state.language === program && state.source === example.source
        && (program === 'vexa' || state.input === example.input), `example ${program}/${example.name} loads from the menu`);
      const got = await runInPage(page, exampleCount % 2 ? 'keys' : 'button');
      compare(`example ${program}/${example.name}`, got,
        runNative(program, Buffer.from(example.source), Buffer.from(program === 'vexa' ? '' : example.input)));
      exampleCount++;
      if (example === examples[0]) await page.screenshot({ path: path.join(artifacts, `playground-${program}.png`) });
    }
    check(examples.length > 0, `${program} has bundled examples`);
  }
  metrics.examples = exampleCount;

  // Golden cases, each opened through a link.
  const golden = {};
  const skipped = [];
  for (const program of want('golden') ? PROGRAMS : []) {
    const cases = goldenCases(program);
    golden[program] = 0;
    for (const c of cases) {
      // Stress cases that take seconds natively are left to the native suite:
      // the page would meet its own time limit.
      const started = Date.now();
      const expected = runNative(program, Buffer.from(c.source), Buffer.from(program === 'vexa' ? '' : c.input));
      if (Date.now() - started > 2000 || expected.output.length > OUTPUT_LIMIT) {
        skipped.push(`${program}/${c.name}`);
        continue;
      }
      await runCaseExpecting(page, base, `${program}/${c.name}`, program, c.source, c.input, expected);
      golden[program]++;
    }
    if (program !== 'vexa') {
      check(cases.some((c) => c.hasInput), `${program}: golden cases with input ran`);
      check(cases.some((c) => /error/.test(c.name)), `${program}: golden cases with errors ran`);
    }
  }
  metrics.goldenCases = golden;
  metrics.goldenSkipped = skipped;

  // Deep nesting: the programs' own diagnostics where the browser's stack
  // allows the depth; otherwise a clear message and the output so far.
  for (const [program, depth, wrap] of !want('nesting') ? [] : [
    ['plimbo', 1500, (e) => `{ VRACEE ("vnoreni"); VRACEE (${e}); } ZDECHNI`],
    ['m4t4', 800, (e) => `{ pis_ln("vnoreni"); pis_ln(${e}); } .`]]) {
    const nested = `${'('.repeat(depth)}1${')'.repeat(depth)}`;
    await runCase(page, base, `${program} nested ${depth} deep`, program, wrap(nested), '');
    const deep = 20_000;
    const source = wrap(`${'('.repeat(deep)}1${')'.repeat(deep)}`);
    await page.goto(linkTo(base, program, source, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, source);
    const got = await runInPage(page);
    const expected = runNative(program, Buffer.from(source), Buffer.alloc(0));
    const output = Buffer.from(got.output, 'base64');
    metrics[`${program}Nested${deep}`] = output.equals(expected.output) ? 'as on the command line' : got.note;
    check(output.equals(expected.output) || (/nests deeper/.test(got.note) && /vnoreni/.test(output.toString())),
      `${program} nested ${deep} deep: neither the command line's output nor a clear message`, got.note);
  }

  // A diagnostic's line is marked in the editor, and a click on the message
  // moves the cursor there. plimbo names the line of the token after a
  // missing ";"; m4t4's message follows what pis printed on the same line.
  if (want('diagnostic')) {
    for (const [program, source, line, start] of [
      ['plimbo', '{\n  $a <: 1;\n  $b <: 2\n  VRACEE ($a + $b);\n} ZDECHNI\n', 4, '(V)Chyba (4)'],
      ['m4t4', '{\n  pis("total: ");\n  pis(10 - "x");\n} .\n', 3, "V bloku: 'Vnitrni_aritmeticky_vyraz', na radku: 3"]]) {
      await runCase(page, base, `${program} diagnostic`, program, source, '');
      const what = `${program} diagnostic on line ${line}`;
      check((await page.evaluate(() => window.playground.lines())).marked === line, `${what}: the editor marks that line`);
      const marked = await page.locator('.cm-diagnostic-line').allTextContents();
      check(marked.length === 1 && marked[0] === source.split('\n')[line - 1], `${what}: the marked line shows`, JSON.stringify(marked));
      const message = page.locator('#output .diagnostic');
      check((await message.count()) === 1 && (await message.textContent()).startsWith(start),
        `${what}: the message is the link`, await page.textContent('#output'));
      check((await page.evaluate(() => window.playground.lines())).cursor !== line, `${what}: the cursor starts elsewhere`);
      await message.click();
      check((await page.evaluate(() => window.playground.lines())).cursor === line, `${what}: a click puts the cursor there`);
    }
    await runCase(page, base, 'a run without a diagnostic', 'plimbo', '{ VRACEE (1); } ZDECHNI', '');
    check((await page.evaluate(() => window.playground.lines())).marked === 0
      && (await page.locator('#output .diagnostic').count()) === 0, 'a run without a diagnostic marks nothing');
  }

  // The output pane follows new output while it shows its end; scrolled up,
  // it stays where the reader put it. The program prints a line after every
  // 500 passes of an inner loop, so its output arrives in chunks.
  if (want('follow')) {
    const slow = '{ $i <: 0; DOKAD (1) { $j <: 0; DOKAD ($j < 500) { $j <: $j + 1; } FINISH; VRACEE ("line " + $i); $i <: $i + 1; } FINISH; } ZDECHNI';
    await page.goto(linkTo(base, 'plimbo', slow, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, slow);
    const pane = () => page.evaluate(() => {
      const o = document.getElementById('output');
      return { length: o.textContent.length, top: o.scrollTop, atEnd: o.scrollHeight - o.scrollTop - o.clientHeight < 4,
        overflows: o.scrollHeight > o.clientHeight + 50 };
    });
    const grows = (length) => page.waitForFunction((n) => document.getElementById('output').textContent.length > n, length,
      { timeout: 8000 });
    await page.click('#run');
    await page.waitForFunction(() => {
      const o = document.getElementById('output');
      return o.scrollHeight > o.clientHeight + 50;
    }, null, { timeout: 8000 });
    await grows((await pane()).length);
    let seen = await pane();
    check(seen.overflows && seen.atEnd, 'the output pane follows new output', JSON.stringify(seen));
    await page.hover('#output');
    await page.mouse.wheel(0, -1_000_000);
    await page.waitForFunction(() => document.getElementById('output').scrollTop === 0, null, { timeout: 3000 }).catch(() => {});
    const up = await pane();
    await grows(up.length);
    seen = await pane();
    check(up.top === 0 && seen.top === 0 && !seen.atEnd, 'scrolled up, the output pane keeps its place', JSON.stringify([up, seen]));
    await page.evaluate(() => { const o = document.getElementById('output'); o.scrollTop = o.scrollHeight; });
    await grows(seen.length);
    seen = await pane();
    check(seen.atEnd && seen.top > 0, 'scrolled back to the end, the output pane follows again', JSON.stringify(seen));
    await page.click('#stop');
    await page.waitForFunction(() => document.getElementById('stop').disabled);
  }

  // Stop ends an endless loop within a second, and the page works after it.
  if (want('stop')) {
    const endless = '{ $i <: 0; DOKAD (1) { $i <: $i + 1; } FINISH; } ZDECHNI';
    await page.goto(linkTo(base, 'plimbo', endless, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, endless);
    await page.click('#run');
    await page.waitForTimeout(500);
    const before = await page.evaluate(() => window.playground.runs);
    const clicked = Date.now();
    await page.click('#stop');
    await page.waitForFunction((n) => window.playground.runs > n, before, { timeout: 5000 });
    metrics.stopMs = Date.now() - clicked;
    check(metrics.stopMs < 1000, `Stop took ${metrics.stopMs} ms`);
    check(/Stopped by you/.test(await page.textContent('#status')), 'Stop says the run was stopped');
    await runCase(page, base, 'a run after Stop', 'plimbo', '{ VRACEE ("dal"); } ZDECHNI', '');

    // The same from the keyboard: Ctrl-Enter runs, Escape stops.
    await page.goto(linkTo(base, 'plimbo', endless, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, endless);
    await page.focus('#input');
    await page.keyboard.press('Control+Enter');
    await page.waitForFunction(() => !document.getElementById('stop').disabled);
    const runs = await page.evaluate(() => window.playground.runs);
    await page.keyboard.press('Escape');
    await page.waitForFunction((n) => window.playground.runs > n, runs, { timeout: 1000 });
    check(/Stopped by you/.test(await page.textContent('#status')), 'Escape stops a run');
  }

  // The time limit and the output limit end a run and say which.
  if (want('limits')) {
    const endless = '{ DOKAD (1) { } FINISH; } ZDECHNI';
    await page.goto(linkTo(base, 'plimbo', endless, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, endless);
    const got = await runInPage(page, 'button', 20_000);
    check(got.stopped && /time limit/.test(got.note), 'the time limit ends an endless loop', got.note);
    check(got.ms >= 9_900 && got.ms < 12_000, `the time limit took ${Math.round(got.ms)} ms`);

    // Long lines: the limit, not the machine's speed at many small writes, ends it.
    const printer = '{ w2 (1) { pis_ln("radek radek radek radek radek radek radek radek radek radek"); } w2_end; } .';
    await page.goto(linkTo(base, 'm4t4', printer, ''));
    await page.waitForFunction((s) => window.playground.state().source === s, printer);
    const flood = await runInPage(page);
    const output = Buffer.from(flood.output, 'base64');
    check(flood.stopped && /output limit/.test(flood.note), 'the output limit ends an endless printer', flood.note);
    check(output.length === OUTPUT_LIMIT, `the output limit kept ${output.length} bytes`);
    check(output.equals(runNative('m4t4', Buffer.from(printer), Buffer.alloc(0), OUTPUT_LIMIT).output),
      'the output before the limit is the command line\'s');
  }

  // A shared link restores language, program and input; local storage keeps
  // the last program.
  if (want('share')) {
    await page.goto(base);
    await ready(page);
    await page.selectOption('#language', 'm4t4');
    const program = '{ cti(@a); cti(@b);\n  pis(@a); pis(" * "); pis(@b); pis(" = "); pis_ln(@a * @b); } .\n';
    await page.locator('.cm-content').click();
    await page.keyboard.press('Control+A');
    await page.keyboard.press('Delete');
    await page.keyboard.insertText(program);
    await page.fill('#input', '6 7\n');
    await page.click('#share');
    await page.waitForFunction(() => /#lang=m4t4/.test(location.href));
    const link = page.url();
    const typed = await page.evaluate(() => window.playground.state());
    check(typed.source === program, 'typing into the editor', JSON.stringify(typed.source));
    const expected = runNative('m4t4', Buffer.from(program), Buffer.from('6 7\n'));

    const other = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
    const phone = await other.newPage();
    watch(phone);
    await phone.goto(link);
    await ready(phone);
    const restored = await phone.evaluate(() => window.playground.state());
    check(restored.language === 'm4t4' && restored.source === program && restored.input === '6 7\n',
      'a shared link restores language, program and input', JSON.stringify(restored));
    check(await phone.inputValue('#language') === 'm4t4', 'the language menu shows the shared language');
    compare('the shared program', await runInPage(phone), expected);
    await other.close();

    await page.waitForTimeout(400); // the address and storage follow edits after 300 ms
    await page.goto('about:blank');
    await page.goto(base);
    await ready(page);
    const kept = await page.evaluate(() => window.playground.state());
    check(kept.language === 'm4t4' && kept.source === program, 'local storage keeps the last program', JSON.stringify(kept));
  }

  // A program that prints and then loops for ever: what it printed shows
  // while it runs, and stays after Stop and after the time limit.
  if (want('loop-output')) {
    const counted = [1, 2, 3, 4, 5, 6, 7, 8, 9].map((k) => `i = ${k}.000000\n`).join('');
    for (const [language, source, printed] of [
      ['plimbo', '{ VRACEE ("start"); $i <: 0; DOKAD ($i < 10) { VRACEE ("i = " + $i); $i <: $i + 1; } FINISH; '
        + 'VRACEE ("now looping"); DOKAD (1) { } FINISH; } ZDECHNI', `start\ni = 0\n${counted}now looping\n`],
      ['m4t4', '{ pis_ln("start"); @i -> 0; w2 (@i < 10) { pis_ln("i = " + @i); @i -> @i + 1; } w2_end; '
        + 'pis_ln("now looping"); w2 (1) { } w2_end; } .', `\nhello\n\nstart\ni = 0\n${counted}now looping\n`]]) {
      const what = `${language} prints, then loops`;
      await open(page, language, source);
      let before = await runs(page);
      await page.click('#run');
      await page.waitForTimeout(1000);
      check(await running(page) && await page.textContent('#output') === printed, `${what}: the output shows during the run`,
        JSON.stringify(await page.textContent('#output')));
      await page.click('#stop');
      await ended(page, before, 5000);
      const stopped = await page.evaluate(() => new TextDecoder().decode(window.playground.lastRun.output));
      check(stopped === printed && await page.textContent('#output') === printed, `${what}: the output stays after Stop`,
        JSON.stringify(stopped));
      // The time limit, shortened for the test.
      await page.evaluate(() => window.playground.setTimeLimit(1500));
      before = await runs(page);
      await page.click('#run');
      await ended(page, before, 10_000);
      check(/time limit/.test(await page.textContent('#status')) && await page.textContent('#output') === printed,
        `${what}: the output stays after the time limit`, await page.textContent('#status'));
    }
  }

  // Names that every object inherits are no language: a link or the storage
  // naming one opens the default language, and the page works.
  if (want('prototype-names')) {
    const works = async (what) => {
      const ok = await ready(page, 5000).then(() => true, () => false);
      if (!check(ok && (await page.evaluate(() => window.playground.state().language)) === 'plimbo',
        `${what}: the page opens plimbo`, await page.textContent('#status'))) return;
      const before = await runs(page);
      await page.click('#run');
      check(await ended(page, before, 5000).then(() => true, () => false), `${what}: a run ends`);
    };
    for (const name of ['constructor', '__proto__', 'toString', 'hasOwnProperty', 'valueOf']) {
      await page.goto('about:blank');
      await page.goto(`${base}#lang=${name}&src=x`);
      await works(`a link to the language "${name}"`);
      await page.goto('about:blank');
      await page.goto(base);
      await works(`a visit after a link to the language "${name}"`);
      await page.evaluate((n) => localStorage.setItem('playground.language', n), name);
      await page.goto('about:blank');
      await page.goto(base);
      await works(`the language "${name}" in the storage`);
    }
  }

  // Stop and typing answer at once while a program prints as fast as the page
  // takes it. The delay is measured with the page's own clock, from the input
  // event's time stamp to the next frame after the event was handled; the
  // events are sent as raw input, without waiting for the page to be idle.
  if (want('heavy-output')) {
    const flood = '{ @i -> 0; w2 (1) { @j -> 0; w2 (@j < 2000) { @j -> @j + 1; } w2_end; '
      + 'pis_ln("radek " + @i + ": the quick brown fox jumps over the lazy dog"); @i -> @i + 1; } w2_end; } .';
    await open(page, 'm4t4', flood);
    await page.evaluate(() => {
      window.latency = {};
      for (const [type, name] of [['click', 'stop'], ['keydown', 'typing']]) {
        document.addEventListener(type, (e) => {
          const start = e.timeStamp;
          requestAnimationFrame(() => { window.latency[name] = performance.now() - start; });
        }, true);
      }
    });
    const box = await page.locator('#stop').boundingBox();
    const before = await runs(page);
    await page.focus('#input');
    await page.keyboard.press('Control+Enter');
    // Once the pane drops its oldest lines (200,000 characters in), a key
    // press, and half a second later a click on Stop.
    await page.waitForSelector('#output .output-note', { timeout: 15_000 }).catch(() => {});
    await page.keyboard.press('x');
    await page.waitForTimeout(500);
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await ended(page, before, 20_000);
    // A stopped worker may run on for a moment: what it prints then is not shown.
    const atStop = await page.evaluate(() => window.playground.lastRun.output.length);
    await page.waitForTimeout(1000);
    const later = await page.evaluate(() => window.playground.lastRun.output.length);
    check(later - atStop < 64 * 1024, `after Stop ${later - atStop} more bytes were shown`);
    const got = await page.evaluate(() => ({ ...window.latency, bytes: window.playground.lastRun.output.length,
      ms: window.playground.lastRun.ms, note: document.getElementById('status').textContent,
      rendered: document.getElementById('output').textContent.length }));
    metrics.heavyOutput = { bytesPerSecond: Math.round(got.bytes / got.ms * 1000), stopMs: Math.round(got.stop),
      typingMs: Math.round(got.typing), renderedCharacters: got.rendered };
    check(/Stopped by you/.test(got.note), 'under heavy output the run ends by Stop', got.note);
    check(got.stop < 500, `under heavy output Stop took ${Math.round(got.stop)} ms`);
    check(got.typing < 500, `under heavy output a key press took ${Math.round(got.typing)} ms`);
    check(got.bytes / got.ms > 100, `the heavy output program printed only ${Math.round(got.bytes / got.ms)} KB/s`);
    // The pane renders only the end of a long output, and all of it on request.
    check(got.rendered < 250_000, `the pane renders ${got.rendered} characters of ${got.bytes}`);
    await page.waitForFunction(() => new Promise((resolve) => { // the output has all arrived
      const length = window.playground.lastRun.output.length;
      setTimeout(() => resolve(window.playground.lastRun.output.length === length), 500);
    }));
    await page.click('#output .output-note button');
    const whole = await page.evaluate(() => [document.getElementById('output').textContent,
      new TextDecoder().decode(window.playground.lastRun.output)]);
    check(whole[0] === whole[1], 'the whole output shows on request', `${whole[0].length} of ${whole[1].length}`);
  }

  // A result marks only the program that produced it: picking an example or
  // another language during a run ends the run, and edits made during a run
  // move its mark with them.
  if (want('stale')) {
    const failing = '{\n  $i <: 0;\n  DOKAD ($i < 24000000) {\n    $i <: $i + 1;\n  } FINISH;\n  VRACEE ("counted");\n'
      + '  $x <: "ten";\n  // the next line fails\n  VRACEE ($x - 1);\n} ZDECHNI\n';
    const fizzbuzz = readExamples(examplesDir, 'plimbo').find((e) => e.name === 'fizzbuzz').source;
    const quiet = async (what) => {
      await page.waitForTimeout(2500); // the old run would have ended by now
      const seen = await page.evaluate(() => ({ marked: window.playground.lines().marked,
        links: document.querySelectorAll('#output .diagnostic').length, output: document.getElementById('output').textContent,
        status: document.getElementById('status').textContent, running: !document.getElementById('stop').disabled }));
      check(seen.marked === 0 && seen.links === 0 && !/Chyba|counted/.test(seen.output) && !/line 9|error/.test(seen.status)
        && !seen.running, `${what}: the old run leaves no result`, JSON.stringify(seen));
    };
    await open(page, 'plimbo', failing);
    let before = await runs(page);
    await page.click('#run');
    await ended(page, before);
    const ms = await page.evaluate(() => window.playground.lastRun.ms);
    check(ms > 700 && (await page.evaluate(() => window.playground.lines())).marked === 9,
      `the failing program takes ${Math.round(ms)} ms and marks line 9`);

    await page.click('#run');
    await page.waitForTimeout(200);
    await page.selectOption('#examples', { label: 'fizzbuzz' });
    check((await page.evaluate(() => window.playground.state().source)) === fizzbuzz
      && /^Stopped/.test(await page.textContent('#status')), 'an example picked during a run opens, and the run stops');
    await quiet('an example picked during a run');

    await open(page, 'plimbo', failing);
    await page.click('#run');
    await page.waitForTimeout(200);
    await page.selectOption('#language', 'm4t4');
    const switched = await page.evaluate(() => ({ status: document.getElementById('status').textContent,
      running: !document.getElementById('stop').disabled }));
    check(!switched.running && /^Stopped/.test(switched.status), 'a language switch during a run stops it and says so',
      JSON.stringify(switched));
    await quiet('a language switch during a run');
    check(await page.textContent('#status') === switched.status, 'a language switch during a run: no later note',
      await page.textContent('#status'));

    await open(page, 'plimbo', failing);
    before = await runs(page);
    await page.click('#run');
    await page.waitForTimeout(200);
    await page.locator('.cm-content').click();
    await page.keyboard.press('Control+Home');
    await page.keyboard.insertText('// two lines\n// added during the run\n');
    await ended(page, before);
    const marked = await page.locator('.cm-diagnostic-line').allTextContents();
    check((await page.evaluate(() => window.playground.lines())).marked === 11 && marked[0] === '  VRACEE ($x - 1);',
      'lines added during a run: the mark moves with its line', JSON.stringify(marked));
  }

  // A shared link keeps the program the student wrote, with a way back to it;
  // the last edit is kept when the tab closes.
  if (want('kept-program')) {
    const tabs = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const tab = async (url) => {
      const p = await tabs.newPage();
      watch(p);
      await p.goto(url);
      await ready(p);
      return p;
    };
    const mine = await tab(base);
    const own = '{ VRACEE ("my own program"); } ZDECHNI\n';
    await typeProgram(mine, own);
    await mine.waitForTimeout(500);
    await mine.keyboard.insertText('// typed just before closing\n');
    const typed = await mine.evaluate(() => window.playground.state().source);
    await mine.close();
    let plain = await tab(base);
    check((await plain.evaluate(() => window.playground.state().source)) === typed, 'the last edit is kept when the tab closes');

    const classmate = '{ VRACEE ("a classmate\'s program"); } ZDECHNI';
    const linked = await tab(linkTo(base, 'plimbo', classmate));
    check((await linked.evaluate(() => window.playground.state().source)) === classmate, 'a link opens its program');
    check(await linked.isVisible('#restore'), 'a link beside a kept program offers the way back');
    await linked.waitForTimeout(500);
    const later = await tab(base);
    check(await later.isVisible('#restore'), 'a later visit still offers the way back');
    // The student's own tab, reloaded, still holds the student's program.
    await plain.reload();
    await ready(plain);
    check((await plain.evaluate(() => window.playground.state().source)) === typed, 'a reload keeps the tab\'s program');
    // A second link: the program kept is still the one the student wrote.
    await linked.goto(linkTo(base, 'plimbo', '{ VRACEE ("another link"); } ZDECHNI'));
    await linked.waitForFunction(() => /another link/.test(window.playground.state().source));
    await linked.click('#restore');
    check((await linked.evaluate(() => window.playground.state().source)) === typed, 'the way back restores the student\'s program');
    await linked.waitForTimeout(500);
    plain = await tab(base);
    check((await plain.evaluate(() => window.playground.state().source)) === typed, 'the restored program is kept');
    // A reload is no link: the program stays the student's, kept when a link comes.
    await plain.reload();
    await ready(plain);
    await plain.waitForTimeout(500);
    const third = await tab(linkTo(base, 'plimbo', '{ VRACEE ("a third link"); } ZDECHNI'));
    await third.click('#restore');
    check((await third.evaluate(() => window.playground.state().source)) === typed, 'after a reload a link keeps the program too');
    await tabs.close();
  }

  // The status line says how a run ended: for the interpreters, by the
  // closing lines they print (they always exit with 0); for vexa, by its status.
  if (want('status')) {
    for (const [what, language, source, note] of [
      ['plimbo success', 'plimbo', '{ VRACEE ("Neco se pokazilo..."); } ZDECHNI', /^Finished without errors/],
      ['plimbo error with a line', 'plimbo', '{\n  VRACEE (1);\n  VRACEE ("a" - 1);\n} ZDECHNI', /^Stopped with an error on line 3/],
      ['plimbo error without a line', 'plimbo', '{ VRACEE ("hi"); }', /^Stopped with an error, after/],
      ['m4t4 success', 'm4t4', '{ pis_ln("V programu se vyskytla chyba."); } .', /^Finished without errors/],
      ['m4t4 error with a line', 'm4t4', '{\n  pis_ln(1);\n\n  pis_ln(1 - "a");\n} .', /^Stopped with an error on line 4/],
      ['m4t4 error without a line', 'm4t4', '{ pis_ln("hi"); }', /^Stopped with an error, after/],
      ['vexa', 'vexa', 'a := 1;', /^Finished with exit status 0 \(full listing\)/],
    ]) {
      const got = await runCase(page, base, `status: ${what}`, language, source, '');
      check(note.test(got.note), `status: ${what}`, got.note);
    }
  }

  // The guides are pages: every link on them leads somewhere the site has,
  // and every sample has a button that opens it, with its input, here.
  if (want('guides')) {
    const samplesDir = fs.mkdtempSync(path.join(work, 'samples-'));
    const fetchText = (url) => new Promise((resolve) => {
      http.get(url, (res) => {
        let body = '';
        res.setEncoding('utf8');
        res.on('data', (d) => { body += d; });
        res.on('end', () => resolve({ status: res.statusCode, type: res.headers['content-type'] || '', body }));
      }).on('error', () => resolve({ status: 0, type: '', body: '' }));
    });
    const pages = new Map(); // page address without fragment -> its HTML
    const visit = async (url) => {
      if (!pages.has(url)) pages.set(url, await fetchText(url));
      return pages.get(url);
    };
    const playgroundLinks = [];
    for (const program of PROGRAMS) {
      await page.goto(base);
      await ready(page);
      await page.selectOption('#language', program);
      const guideUrl = new URL(await page.getAttribute('#guide', 'href'), base).href;
      const guide = await visit(guideUrl);
      check(guide.status === 200 && /^text\/html/.test(guide.type) && /<h1[ >]/.test(guide.body),
        `the ${program} guide is a page`, `${guide.status} ${guide.type}`);

      // The samples, as the docs tests find them.
      const listing = spawnSync('awk', ['-v', `dir=${samplesDir}`, '-f', path.join(root, 'tests', 'docs', 'extract_samples.awk'),
        path.join(root, 'docs', `${program}.md`)], { encoding: 'utf8' });
      const samples = listing.stdout.trim().split('\n').filter(Boolean).map((l) => {
        const [line, language] = l.split(' ');
        const file = (ext) => path.join(samplesDir, `${line}.${ext}`);
        return { line: Number(line), language, source: fs.readFileSync(file(EXTENSIONS[language]), 'utf8'),
          input: fs.existsSync(file('in')) ? fs.readFileSync(file('in'), 'utf8') : '' };
      });
      await page.goto(guideUrl);
      const buttons = await page.$$eval('a.sample-run', (as) => as.map((a) => ({ line: Number(a.dataset.line), href: a.href })));
      check(samples.length > 0 && buttons.map((b) => b.line).join() === samples.map((s) => s.line).join(),
        `the ${program} guide: a button for each of its ${samples.length} samples`, JSON.stringify(buttons.map((b) => b.line)));
      await page.goto(base);
      await ready(page);
      for (const [i, sample] of samples.entries()) {
        if (!buttons[i]) break;
        await page.goto(buttons[i].href);
        const state = await page.evaluate(() => window.playground.state());
        check(state.language === sample.language && state.source === sample.source
          && (sample.language === 'vexa' || state.input === sample.input),
        `the ${program} guide: the button of the sample on line ${sample.line} opens it`, JSON.stringify(state));
      }
    }
    // Every link of every page reached from the guides.
    const queue = [...pages.keys()];
    const bad = [];
    for (let i = 0; i < queue.length; i++) {
      const from = queue[i];
      const html = (await visit(from)).body;
      for (const [, raw] of html.matchAll(/<a\s[^>]*href="([^"]*)"/g)) {
        const href = raw.replace(/&amp;/g, '&').replace(/&quot;/g, '"');
        const url = new URL(href, from);
        if (url.origin !== new URL(base).origin) continue;
        const target = url.href.replace(/#.*$/, '');
        const got = await visit(target);
        if (got.status !== 200) { bad.push(`${from}: ${href} (${got.status})`); continue; }
        if (/\.html$/.test(url.pathname) && !queue.includes(target)) queue.push(target);
        if (url.pathname === new URL(base).pathname || url.pathname.endsWith('/index.html')) {
          if (url.hash) playgroundLinks.push({ from, href: url.href });
        } else if (url.hash && !got.body.includes(`id="${decodeURIComponent(url.hash.slice(1))}"`)) {
          bad.push(`${from}: ${href} (no such anchor)`);
        }
      }
    }
    check(bad.length === 0, 'the guides\' links lead where the site has pages and anchors', bad.join('\n'));
    // Links to examples open them in the playground.
    const examples = Object.fromEntries(PROGRAMS.map((p) => [p, readExamples(examplesDir, p)]));
    for (const { from, href } of playgroundLinks) {
      const params = new URLSearchParams(new URL(href).hash.slice(1));
      if (!params.has('example')) continue;
      await page.goto(href);
      await ready(page);
      const example = examples[params.get('lang')].find((e) => e.name === params.get('example'));
      const state = await page.evaluate(() => window.playground.state());
      check(example && state.language === params.get('lang') && state.source === example.source,
        `${from}: ${href} opens the example`, JSON.stringify(state).slice(0, 300));
    }
    metrics.guidePages = queue.length;
  }

  // On a phone: no keyboard hints, and the output comes into view on Run.
  if (want('phone')) {
    check(await page.isVisible('#run kbd') && /Escape/.test(await page.innerText('footer')),
      'on a desktop the keyboard hints show');
    const touch = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
    const phone = await touch.newPage();
    watch(phone);
    await phone.goto(linkTo(base, 'plimbo', '{ VRACEE ("hi"); } ZDECHNI', ''));
    await ready(phone);
    check(!(await phone.isVisible('#run kbd')) && !/Escape|Ctrl-Enter/.test(await phone.innerText('body')),
      'on a touch screen the keyboard hints are hidden');
    check(!(await phone.isVisible('#watch')), 'the stepping panes stay hidden until a step');
    const before = await runs(phone);
    await phone.tap('#run');
    await ended(phone, before);
    await phone.waitForTimeout(500); // a smooth scroll
    const seen = await phone.evaluate(() => ({ output: document.getElementById('output').getBoundingClientRect().top,
      status: document.getElementById('status').getBoundingClientRect().bottom, height: innerHeight }));
    check(seen.output >= 0 && seen.status <= seen.height, 'on a phone the output comes into view on Run', JSON.stringify(seen));
    await phone.screenshot({ path: path.join(artifacts, 'playground-phone.png') });
    await touch.close();
  }

  // A program too large for a link: Share says so, and the address stays one
  // that the browser accepts.
  if (want('huge-link')) {
    await page.goto(base);
    await ready(page);
    const huge = '{\n' + '  VRACEE ("a line of a very long program");\n'.repeat(60_000) + '} ZDECHNI\n';
    // Pasted, as a program this size would come.
    await page.locator('.cm-content').click();
    await page.keyboard.press('Control+A');
    await page.evaluate((text) => {
      const data = new DataTransfer();
      data.setData('text/plain', text);
      document.querySelector('.cm-content').dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
    }, huge);
    await page.click('#share');
    await page.waitForTimeout(500);
    const seen = await page.evaluate(() => ({ status: document.getElementById('status').textContent,
      address: location.href.length, source: window.playground.state().source.length }));
    check(seen.source === huge.length && /too large to share/.test(seen.status) && seen.address < 1 << 20,
      `a ${(huge.length / 1e6).toFixed(1)} MB program: Share says it is too large for a link`, JSON.stringify(seen));
  }

  // ---- Watch it run ----
  // Three programs per interpreter, the same in both languages: nested loops,
  // a false condition around a loop, input with a declaration and a call.
  // The states are worked out from the languages' rules: a step is about to
  // run its statement, so the panes show what the statements before it did.
  const STEPPED = {
    plimbo: {
      nested: '{\n  $i <: 0;\n  DOKAD ($i < 2) {\n    $j <: 0;\n    DOKAD ($j < 2) {\n      VRACEE ($i + $j);\n'
        + '      $j <: $j + 1;\n    } FINISH;\n    $i <: $i + 1;\n  } FINISH;\n} ZDECHNI\n',
      skipped: '{\n  $n <: 0;\n  ESLI ($n > 0) {\n    DOKAD ($n < 3) {\n      $n <: $n + 1;\n    } FINISH;\n'
        + '  } JINEM {\n    VRACEE ("jinem");\n  } ILSE;\n  DOKAD ($n > 5) { VRACEE ($n); } FINISH;\n} ZDECHNI\n',
      input: '@sum (PROM $x; CTE $y) {\n  VRACEE ("in sum");\n}\n{\n  NASAJ ($a);\n  NASAJ ($b);\n'
        + '  $s <: #sum ($a; $b) + 0;\n  VRACEE ($a + $b);\n} ZDECHNI\n',
      words: { if: 'ESLI', loop: 'DOKAD', print: 'VRACEE', set: '<:', call: '#sum', stack: 'Value pushdown' },
    },
    m4t4: {
      nested: '{\n  @i -> 0;\n  w2 (@i < 2) {\n    @j -> 0;\n    w2 (@j < 2) {\n      pis(@i + @j);\n'
        + '      @j -> @j + 1;\n    } w2_end;\n    @i -> @i + 1;\n  } w2_end;\n} .\n',
      skipped: '{\n  @n -> 0;\n  i2 (@n > 0) {\n    w2 (@n < 3) {\n      @n -> @n + 1;\n    } w2_end;\n'
        + '  } e2 {\n    pis_ln("e2");\n  } i2_end;\n  w2 (@n > 5) { pis_ln(@n); } w2_end;\n} .\n',
      input: '?soucet(p2 @x; p2 @y) {\n  pis_ln("v soucet");\n}\n{\n  cti(@a);\n  cti(@b);\n'
        + '  @s -> ~soucet(@a; @b) + 0;\n  pis_ln(@a + @b);\n} .\n',
      words: { if: 'i2', loop: 'w2', print: 'pis', set: '->', call: '~soucet', stack: 'Value stack' },
    },
  };
  const VEXA_STEPPED = 'ab := 1.5;\nx $y 12. z';
  if (want('step-states')) {
    await page.goto(base);
    await ready(page);
    for (const [language, p] of Object.entries(STEPPED)) {
      const sigil = language === 'plimbo' ? '$' : '@';
      const v = (name, value, changed = false) => `${sigil}${name}=${value}${changed ? '*' : ''}`;
      const at = async (n, what, expected) => {
        const seen = await panes(page);
        for (const [key, value] of Object.entries(expected)) {
          const got = seen[key];
          const ok = value instanceof RegExp ? value.test(got) : JSON.stringify(got) === JSON.stringify(value);
          check(ok, `${language} ${what}, step ${n}: ${key}`, `  expected ${value}\n  got      ${JSON.stringify(got)}`);
        }
      };
      const go = async (n) => {
        await page.evaluate((k) => {
          const t = document.getElementById('timeline');
          t.value = String(k);
          t.dispatchEvent(new Event('input'));
        }, n);
        return shown(page, n);
      };
      const zero = '0';

      // Nested loops: the outer level records its first pass from the
      // source, the inner one too while the outer records; when the outer
      // replays, the inner's first pass reads the outer's recording.
      await openForSteps(page, language, p.nested);
      await press(page, 'step', 1);
      await at(1, 'nested loops', { vars: [], loops: [], mark: `${sigil}i ${p.words.set} 0` });
      for (let n = 2; n <= 5; n++) await press(page, 'step', n);
      await at(5, 'nested loops', { vars: [v('i', zero), v('j', zero)], loops: ['1:record:1', '2:record:1'],
        effects: /^On/, stack: [], mark: `${p.words.print}${language === 'plimbo' ? ' ' : ''}(${sigil}i + ${sigil}j)`, output: language === 'm4t4' ? '\nhello\n\n' : '' });
      await press(page, 'step', 6);
      await press(page, 'step', 7);
      await at(7, 'nested loops: the inner condition replayed', { vars: [v('i', zero), v('j', '1.000000', true)],
        loops: ['1:record:1', '2:replay:2'], mark: `${sigil}j < 2)`, where: /condition .* line 5 .*pass 2/ });
      await go(15);
      await at(15, 'nested loops: the inner first pass through the outer recording',
        { vars: [v('i', '1.000000'), v('j', zero)], loops: ['1:replay:2', '2:record:1'],
          loopText: /Level 2 .* first pass: recording the tokens read from level 1's recording/,
          output: language === 'plimbo' ? '0.000000\n1.000000\n' : '\nhello\n\n0.0000001.000000' });
      // The picture of the plimbo guide's "Watch it run" (web/stepping.png).
      if (language === 'plimbo') await page.screenshot({ path: path.join(artifacts, 'stepping.png'), fullPage: true });
      await go(22);
      await at(22, 'nested loops: the outer condition, its last test', { loops: ['1:replay:3'],
        vars: [v('i', '2.000000', true), v('j', '2.000000')], mark: `${sigil}i < 2)` });
      await press(page, 'step', 23);
      const end = await panes(page);
      const nested = runNative(language, Buffer.from(p.nested), Buffer.alloc(0)).output.toString();
      check(/^The end/.test(end.where) && end.loops.length === 0 && end.output === nested,
        `${language} nested loops: the last step shows the end and the whole output`, JSON.stringify(end.output));

      // A false condition around a loop: the loop is parsed with effects
      // off and gets no level; the else branch runs; a loop whose condition
      // is false records its block once, without effect.
      await openForSteps(page, language, p.skipped);
      await press(page, 'step', 1);
      await go(4);
      await at(4, 'false condition', { vars: [v('n', '0')], loops: [],
        effects: new RegExp(`^Off: the condition of the ${p.words.if} on line 3 is false`), where: /only parsed/ });
      await go(5);
      await at(5, 'false condition: the else branch', { effects: /^On/, loops: [], vars: [v('n', '0')] });
      await go(7);
      await at(7, 'false condition: a loop whose condition is false', { loops: ['1:record:1'],
        effects: new RegExp(`^Off: the condition of the ${p.words.loop} on line 10 is false`),
        output: language === 'plimbo' ? 'jinem\n' : '\nhello\n\ne2\n' });

      // Input, a declaration and a call: the words read are marked, the
      // call's earlier argument stays on the pushdown (the stack).
      await openForSteps(page, language, p.input, '6 7\n');
      await press(page, 'step', 1);
      await at(1, 'input', { where: /declaration on line 1/, functions: /No declaration yet/ });
      await go(4);
      await at(4, 'input', { vars: [v('a', '6', true)], input: ['6'], stack: [],
        functions: new RegExp(`^${language === 'plimbo' ? '@sum \\(PROM \\$x; CTE \\$y\\)' : '\\?soucet\\(p2 @x; p2 @y\\)'} \\(line 1\\)`) });
      await go(6);
      await at(6, 'input: after the call', { vars: [v('a', '6'), v('b', '7'), v('s', '7.000000', true)], input: ['6', '7'],
        stack: ['6'], functions: new RegExp(`${p.words.call}: its arguments pushed 6, 7 `) });
      // Token by token, the pushdown fills and empties: at the ";" after
      // "+ 0" the 0, the last argument and the first are on it; at the next
      // statement the sum went to the variable and the first argument stays.
      await page.selectOption('#unit', 'token');
      await shown(page, 1);
      await go(34);
      await at(34, 'input by tokens', { stack: ['7', '6'], mark: ')' });
      await go(37);
      await at(37, 'input by tokens', { stack: ['0', '7', '6'], mark: ';' });
      await go(38);
      await at(38, 'input by tokens', { stack: ['6'], vars: [v('a', '6'), v('b', '7'), v('s', '7.000000', true)] });
      await page.selectOption('#unit', 'statement');
      await shown(page, 1);
    }

    // vexa: one character a step; a malformed variable ends the listing.
    await openForSteps(page, 'vexa', VEXA_STEPPED);
    await press(page, 'step', 1);
    const vexaAt = async (n, expected) => {
      await page.evaluate((k) => {
        const t = document.getElementById('timeline');
        t.value = String(k);
        t.dispatchEvent(new Event('input'));
      }, n);
      await shown(page, n);
      const seen = await panes(page);
      for (const [key, value] of Object.entries(expected)) {
        check(value instanceof RegExp ? value.test(seen[key]) : seen[key] === value, `vexa step ${n}: ${key}`,
          `  expected ${value}\n  got      ${JSON.stringify(seen[key])}`);
      }
    };
    await press(page, 'continue');
    await vexaAt(6, { automaton: /^stateqO3character'=' \(61\)transitionqO3 goes to qFtoken:=classprirad \(so far\)/, cell: 'qF', mark: '=' });
    await vexaAt(12, { automaton: /transitionqD2F ends the token.*token1\.5classcislo \(listed with it\)/,
      output: '[identifikator] ab\n[prirad] :=\n' });
    await vexaAt(19, { automaton: /^stateqScharacter'\$' \(36\)transitionqS goes to qV1token\(nothing kept yet\)classidentifikator/, mark: '$' });
    await vexaAt(21, { automaton: /^stateqV2characterblank \(32\)transitionqV2 has no move.*tokenyclasspromenna/, cell: 'fail' });
    await vexaAt(22, { where: /^The end/, status: /exit status 2/,
      output: runNative('vexa', Buffer.from(VEXA_STEPPED), Buffer.alloc(0)).output.toString() });
    await page.screenshot({ path: path.join(artifacts, 'stepping-vexa.png') });
  }

  // Step back from k shows what stepping forward to k - 1 shows: here k is
  // reached by Continue to a breakpoint, whose run reports from k on, so the
  // step back is a new run to k - 1.
  if (want('step-back')) {
    const program = STEPPED.plimbo.nested;
    await openForSteps(page, 'plimbo', program);
    for (let n = 1; n <= 14; n++) await press(page, 'step', n);
    const forward = await panes(page);
    await openForSteps(page, 'plimbo', program);
    await page.evaluate(() => window.playground.setBreakpoint(6));
    for (const n of [5, 8, 15]) await press(page, 'continue', n);
    const from15 = await page.evaluate(() => window.playground.stepping().reached);
    await page.keyboard.press('Shift+F10');
    await shown(page, 14);
    const back = await panes(page);
    for (const key of Object.keys(forward)) {
      check(JSON.stringify(back[key]) === JSON.stringify(forward[key]), `step back from 15: ${key} as stepping forward to 14`,
        `  back    ${JSON.stringify(back[key])}\n  forward ${JSON.stringify(forward[key])}`);
    }
    check(from15 >= 15, 'the run to the breakpoint reported from step 15 on');
  }

  // A breakpoint inside a loop stops once per pass; Continue after the last
  // pass goes to the end, whose output is the command line's.
  if (want('breakpoints')) {
    for (const [language, p] of Object.entries(STEPPED)) {
      await openForSteps(page, language, p.nested);
      // A click on the line number sets it.
      await page.locator('.cm-lineNumbers .cm-gutterElement', { hasText: /^6$/ }).click();
      const stops = [];
      for (let i = 0; i < 6; i++) {
        stops.push(await press(page, 'continue'));
        if ((await page.evaluate(() => window.playground.stepping().shown.kind)) === 'end') break;
      }
      check(JSON.stringify(stops) === JSON.stringify([5, 8, 15, 18, 23]),
        `${language}: a breakpoint on the loop's line 6 stops once per pass, then the end`, JSON.stringify(stops));
      const seen = await panes(page);
      check(seen.output === runNative(language, Buffer.from(p.nested), Buffer.alloc(0)).output.toString(),
        `${language}: Continue to the end shows the command line's output`);
    }
  }

  // Every example, stepped as a student would: to its end, where the output
  // is the command line's byte for byte, and back.
  if (want('step-examples')) {
    let stepped = 0;
    for (const program of PROGRAMS) {
      await page.goto(base);
      await ready(page);
      await page.selectOption('#language', program);
      for (const example of readExamples(examplesDir, program)) {
        await page.selectOption('#examples', { label: example.name });
        await press(page, 'step', 1);
        await press(page, 'continue');
        const end = await page.evaluate(() => {
          const s = window.playground.stepping();
          return { step: s.step, last: s.last, limit: s.limit };
        });
        const bytes = await page.evaluate(() => document.getElementById('output').textContent);
        const expected = runNative(program, Buffer.from(example.source), Buffer.from(program === 'vexa' ? '' : example.input));
        check(end.step === end.last && bytes === new TextDecoder().decode(expected.output),
          `step ${program}/${example.name} to its end: the output is the command line's`,
          `${JSON.stringify(end)}\n  page:    ${JSON.stringify(bytes.slice(-300))}\n  command: ${JSON.stringify(expected.output.toString().slice(-300))}`);
        await page.keyboard.press('Shift+F10');
        check(await shown(page, end.step - 1) === end.step - 1, `step ${program}/${example.name}: back from the end`);
        stepped++;
      }
    }
    metrics.steppedExamples = stepped;
  }

  // A run that never ends stops at the bound of steps, and says so; Stop
  // ends a run to it at once.
  if (want('step-bound')) {
    const endless = '{ DOKAD (1) { } FINISH; } ZDECHNI';
    await openForSteps(page, 'plimbo', endless);
    await press(page, 'step', 1);
    await page.click('#continue');
    await page.waitForTimeout(50);
    const clicked = Date.now();
    await page.click('#stop');
    await shown(page, 1);
    const stopped = await page.textContent('#status');
    check(Date.now() - clicked < 1000 && /Stopped by you/.test(stopped), 'Stop ends a run to the end at once', stopped);
    const started = Date.now();
    await page.evaluate(() => window.playground.setTimeLimit(60_000));
    await page.click('#continue');
    await shown(page, 1_000_000, 60_000);
    metrics.stepBoundMs = Date.now() - started;
    await page.evaluate(() => window.playground.setTimeLimit(0));
    const seen = await panes(page);
    check(/reached 1,000,000 steps/.test(seen.status) && /^Step 1000000 of 1000000/.test(seen.counter),
      'the bound of steps is said when reached', JSON.stringify([seen.status, seen.counter]));
  }

  // The share link carries the step: the page opens at it.
  if (want('step-link')) {
    const program = STEPPED.m4t4.nested;
    await openForSteps(page, 'm4t4', program);
    await page.click('#step');
    await shown(page, 1);
    await page.evaluate(() => {
      const t = document.getElementById('timeline');
      t.value = '7';
      t.dispatchEvent(new Event('input'));
    });
    await shown(page, 7);
    await page.click('#share');
    await page.waitForFunction(() => /[#&]step=7(&|$)/.test(location.href));
    const link = page.url();
    const other = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    const tab = await other.newPage();
    watch(tab);
    await tab.goto(link);
    check(await shown(tab, 7) === 7 && (await panes(tab)).mark === '@j < 2)', 'a link with a step opens the program at that step');
    await other.close();
  }

  // On a phone: large buttons, the panes one under another.
  if (want('step-phone')) {
    const touch = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
    const phone = await touch.newPage();
    watch(phone);
    await phone.goto(linkTo(base, 'plimbo', STEPPED.plimbo.nested, ''));
    await ready(phone);
    for (let n = 1; n <= 5; n++) {
      await phone.tap('#step');
      await shown(phone, n);
    }
    const layout = await phone.evaluate(() => ({
      buttons: ['step', 'step-back', 'continue', 'restart'].map((id) => document.getElementById(id).getBoundingClientRect().height),
      panes: [...document.querySelectorAll('#watch .pane:not([hidden])')].map((p) => p.getBoundingClientRect().left),
      width: document.documentElement.scrollWidth,
    }));
    check(layout.buttons.every((h) => h >= 44) && new Set(layout.panes).size === 1 && layout.width <= 390,
      'on a phone the stepping buttons are large and the panes stacked', JSON.stringify(layout));
    await phone.screenshot({ path: path.join(artifacts, 'stepping-phone.png'), fullPage: true });
    await touch.close();
  }
  await context.close();
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(work, { recursive: true, force: true });
}

check(pageErrors.length === 0, 'the page reported errors', pageErrors.join('\n'));
check(foreignRequests.length === 0, 'the page fetched from outside its folder', foreignRequests.join('\n'));

// Page weight: every file the page loads, compressed as a server would (gzip -9).
let raw = 0;
let compressed = 0;
for (const file of fs.readdirSync(site)) {
  const full = path.join(site, file);
  if (!fs.statSync(full).isFile()) continue;
  const bytes = fs.readFileSync(full);
  raw += bytes.length;
  compressed += zlib.gzipSync(bytes, { level: 9 }).length;
}
metrics.pageBytes = raw;
metrics.pageBytesGzip = compressed;
fs.writeFileSync(path.join(artifacts, 'metrics.json'), `${JSON.stringify(metrics, null, 2)}\n`);
console.log(JSON.stringify(metrics));
console.log(`screenshots: ${PROGRAMS.map((p) => path.join(artifacts, `playground-${p}.png`)).join(' ')} ${path.join(artifacts, 'playground-phone.png')}`);
console.log(`${checks} checks, ${failures} failed`);
process.exit(failures ? 1 : 0);
