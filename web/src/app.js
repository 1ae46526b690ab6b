// The playground page: an editor per language, standard input, Run/Stop, and
// the output pane. Programs run in a worker (worker.js, whose first comment
// gives the messages between the two); Stop, the time limit and the output
// limit end a run by terminating the worker, and what the program printed
// until then still reaches the pane. The line that a diagnostic names is
// marked in the editor, and a click on the diagnostic moves the cursor there.
// Step, Step back, Continue and Restart watch the program run (stepper.js).
//
// The parts, in order: the student's programs (address, storage, the kept
// programs), the editor, runs, stepping, and the wiring of the controls.

import { ChangeSet, EditorState, StateEffect, StateField } from '@codemirror/state';
import { EditorView, Decoration, keymap, highlightActiveLine, highlightActiveLineGutter, drawSelection } from '@codemirror/view';
import { defaultKeymap, history as undoHistory, historyKeymap } from '@codemirror/commands';
import { syntaxHighlighting, HighlightStyle, bracketMatching } from '@codemirror/language';
import { tags } from '@lezer/highlight';
import { LANGUAGES } from './languages.js';
import { PROGRAMS, DEFAULT_PROGRAM, known, TIME_LIMIT_MS, OUTPUT_LIMIT, LINK_LIMIT } from './programs.js';
import { OutputPane } from './output.js';
import { Stepper, stepExtensions, setBreakpoint, resetTable } from './stepper.js';
import site from 'site:data';

const $ = (id) => document.getElementById(id);
const languageSelect = $('language');
const examplesSelect = $('examples');
const runButton = $('run');
const stopButton = $('stop');
const shareButton = $('share');
const inputBox = $('input');
const stderrPane = $('stderr');
const statusLine = $('status');
const pane = new OutputPane($('output'));
const touchScreen = matchMedia('(hover: none) and (pointer: coarse)');
const narrowScreen = matchMedia('(max-width: 800px)');

const highlightStyle = HighlightStyle.define([
  { tag: tags.keyword, color: '#7a1fa2', fontWeight: 'bold' },
  { tag: tags.variableName, color: '#0b5394' },
  { tag: tags.function(tags.variableName), color: '#00796b' },
  { tag: tags.definition(tags.function(tags.variableName)), color: '#00796b', fontWeight: 'bold' },
  { tag: tags.string, color: '#a31515' },
  { tag: tags.number, color: '#b35900' },
  { tag: tags.comment, color: '#6a737d', fontStyle: 'italic' },
  { tag: [tags.operator, tags.definitionOperator], color: '#444' },
  { tag: tags.invalid, color: '#fff', backgroundColor: '#c62828' },
]);

// ---- the student's programs: the address, local storage, kept programs ----
//
// Local storage holds, for each language, the program in the editor
// ("playground.<language>": { source, input, pristine }, pristine while it is
// a link's or an example's program that nobody has edited), the programs that
// a link or an example took the place of ("playground.<language>.kept": a list
// of { source, input }, newest first), and the language last used
// ("playground.language"). A program someone wrote is never dropped for a
// link's or an example's: it goes to the kept list, which the examples menu
// offers. Nothing read from a link or from storage is trusted.

const KEPT_LIMIT = 10; // programs kept per language; the oldest goes beyond

let language = DEFAULT_PROGRAM;
let pristine = false; // the editor holds a link's or an example's program, unedited
let dirty = false; // the editor holds changes that are not stored yet
let loaded = false; // a program has been put into the editor
const utf8 = new TextEncoder();

function readStorage(key) {
  try { return JSON.parse(localStorage.getItem(key) || 'null'); } catch { return null; }
}

function writeStorage(key, value) {
  try {
    localStorage.setItem(key, typeof value === 'string' ? value : JSON.stringify(value));
    return true;
  } catch { return false; } // storage full or off
}

const asProgram = (value) => (value && typeof value.source === 'string'
  ? { source: value.source, input: typeof value.input === 'string' ? value.input : '', pristine: value.pristine === true }
  : null);
const storedProgram = (lang) => asProgram(readStorage(`playground.${lang}`));
function keptPrograms(lang) {
  const list = readStorage(`playground.${lang}.kept`);
  return Array.isArray(list) ? list.map(asProgram).filter(Boolean) : [];
}
const writeKept = (lang, list) => writeStorage(`playground.${lang}.kept`,
  list.slice(0, KEPT_LIMIT).map(({ source, input }) => ({ source, input })));
const same = (a, b) => a.source === b.source && a.input === b.input;
const editorProgram = () => ({ source: source(), input: inputBox.value, pristine });

function storedLanguage() {
  let lang = null;
  try { lang = localStorage.getItem('playground.language'); } catch { /* no storage */ }
  return known(lang) ? lang : DEFAULT_PROGRAM;
}

let storageFailed = false;
function storeProgram() {
  const ok = writeStorage(`playground.${language}`, editorProgram()) && writeStorage('playground.language', language);
  if (ok !== !storageFailed) {
    storageFailed = !ok;
    notify(ok ? '' : 'This browser does not keep your program (its storage is full or switched off): '
      + 'copy the program somewhere before you close the page.');
  }
}

// The link that opens this program with its input, or null when it would be
// longer than browsers take.
// While stepping (withStep), the link opens the program at the step shown.
function shareLink(withStep = false) {
  if (source().length + inputBox.value.length > LINK_LIMIT) return null;
  const params = new URLSearchParams();
  params.set('lang', language);
  params.set('src', source());
  if (PROGRAMS[language].reads && inputBox.value) params.set('in', inputBox.value);
  const stepping = withStep && stepper.state();
  if (stepping && stepping.step) {
    params.set('step', String(stepping.step));
    if (language !== 'vexa' && unitSelect.value === 'token') params.set('unit', 'token');
  }
  const link = `${location.origin}${location.pathname}#${params}`;
  return link.length <= LINK_LIMIT ? link : null;
}

// The address follows the program; a program too large for a link leaves
// only its language there. The tab remembers the address it wrote, so that a
// reload is not taken for a link someone opened.
function saveNow() {
  clearTimeout(saveTimer);
  const address = shareLink() || `${location.origin}${location.pathname}#lang=${language}`;
  history.replaceState(null, '', address);
  try { sessionStorage.setItem('playground.tab', JSON.stringify({ address, pristine })); } catch { /* no storage */ }
  if (dirty) storeProgram();
  dirty = false;
}

// The program of a reloaded tab is the tab's own, pristine or not as it was.
function reloaded() {
  try {
    const tab = JSON.parse(sessionStorage.getItem('playground.tab') || 'null');
    if (tab && tab.address === location.href) return { pristine: tab.pristine === true };
  } catch { /* no storage */ }
  return null;
}

let saveTimer = 0;
function programChanged() {
  dirty = true;
  clearTimeout(saveTimer);
  saveTimer = setTimeout(saveNow, 300);
}

// What a link asks for: a language, and a program (its text, or an example
// by name), or null when the address holds none of these.
function fromFragment() {
  const params = new URLSearchParams(location.hash.slice(1));
  if (!['lang', 'src', 'example'].some((name) => params.has(name))) return null;
  let lang = params.get('lang');
  let warning = '';
  if (!known(lang)) {
    if (lang !== null) warning = `The link names a language that the playground does not know ("${lang.slice(0, 40)}"): it opens as ${DEFAULT_PROGRAM}.`;
    lang = DEFAULT_PROGRAM;
  }
  // A step in the link: the page steps to it once the program is open.
  const step = /^[1-9][0-9]{0,6}$/.test(params.get('step') || '') ? Number(params.get('step')) : 0;
  const unit = params.get('unit') === 'token' ? 'token' : 'statement';
  if (params.has('src')) return { lang, program: { source: params.get('src'), input: params.get('in') || '' }, warning, step, unit };
  if (params.has('example')) {
    const example = site.examples[lang].find((e) => e.name === params.get('example'));
    if (example) return { lang, program: { source: example.source, input: example.input }, warning, step, unit };
    warning = `${lang} has no example "${params.get('example').slice(0, 40)}".`;
  }
  return { lang, program: null, warning };
}

// Puts a link's or an example's program (pristine), or a kept one, in place
// of the language's program; that one is kept when someone wrote it.
function replaceProgram(lang, program, { isPristine: pristineNew, reason }) {
  let isPristine = pristineNew;
  if (loaded && dirty) saveNow();
  const before = loaded && lang === language ? editorProgram() : storedProgram(lang);
  if (before && same(before, program)) isPristine = before.pristine; // a link to the program it holds
  let kept = true;
  if (before && !before.pristine && !same(before, program)) {
    kept = writeKept(lang, [before, ...keptPrograms(lang).filter((p) => !same(p, before))]);
  }
  // When the storage has no room to keep it, the program stays stored as it
  // was, until the new one is edited.
  setProgram(lang, program.source, program.input, { isPristine, reason, changed: kept });
  if (!kept) {
    notify('The browser\'s storage has no room to keep your previous program: it stays stored until you edit this one.');
  }
}

// The kept program `index` comes back into the editor.
function restoreKept(index) {
  const list = keptPrograms(language);
  if (!list[index]) return;
  const [chosen] = list.splice(index, 1);
  writeKept(language, list);
  replaceProgram(language, chosen, { isPristine: false, reason: 'you opened another program' });
}

function showKept() {
  const kept = keptPrograms(language);
  $('kept').hidden = !(pristine && kept.length);
  fillExamples(kept);
}

function notify(text) {
  $('notice').textContent = text;
  $('notice').hidden = !text;
}

// ---- editor ----

// The line a diagnostic names, marked until the next run; it moves with edits.
const markLine = StateEffect.define(); // value: a line number, or 0 to clear
const diagnosticMark = StateField.define({
  create: () => Decoration.none,
  update(marks, tr) {
    let result = marks.map(tr.changes);
    for (const effect of tr.effects) {
      if (!effect.is(markLine)) continue;
      result = effect.value
        ? Decoration.set([Decoration.line({
          class: 'cm-diagnostic-line',
          attributes: { title: 'The line the message names: the mistake may also stand at the end of the line above' },
        }).range(tr.state.doc.line(effect.value).from)])
        : Decoration.none;
    }
    return result;
  },
  provide: (field) => EditorView.decorations.from(field),
});

function markedLine() {
  let line = 0;
  view.state.field(diagnosticMark).between(0, view.state.doc.length, (from) => { line = view.state.doc.lineAt(from).number; });
  return line;
}

const runKeys = keymap.of([{ key: 'Mod-Enter', run: () => { run(); return true; } }]);
let view;

function edited() {
  if (pristine) {
    pristine = false;
    showKept();
  }
  programChanged();
}

function editorState(text, lang) {
  return EditorState.create({
    doc: text,
    extensions: [
      runKeys,
      stepExtensions(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(),
      undoHistory(), bracketMatching(), EditorView.lineWrapping,
      keymap.of([...defaultKeymap, ...historyKeymap]),
      LANGUAGES[lang], syntaxHighlighting(highlightStyle), diagnosticMark,
      EditorView.contentAttributes.of({ 'aria-label': `${lang} program`, spellcheck: 'false' }),
      EditorView.updateListener.of((u) => {
        if (!u.docChanged) return;
        // A run's diagnostic names a line of the program as it was when the
        // run started: its mark follows the edits made since.
        if (current) current.changes = current.changes.composeDesc(u.changes.desc);
        if (stepper.active()) stepper.end('The program changed: Step starts again from the first step.');
        edited();
      }),
    ],
  });
}

function source() { return view.state.doc.toString(); }

// Shows `text` as the program of `lang`. A run still on belongs to the
// program that goes, so it is stopped; its output and marks go with it.
// `changed`: the program is new to the storage, not read from it.
function setProgram(lang, text, input, { isPristine, reason = '', changed }) {
  const stopped = Boolean(current) || stepper.pending();
  if (current) stop(`Stopped: ${reason || 'another program was opened'}.`);
  stepper.end();
  resetTable($('transitions'));
  language = lang;
  languageSelect.value = lang;
  view.setState(editorState(text, lang));
  inputBox.value = input;
  pristine = isPristine;
  loaded = true;
  writeStorage('playground.language', lang);
  clearOutput();
  $('input-block').hidden = !PROGRAMS[lang].reads;
  $('file-name').textContent = lang === 'vexa' ? '(zdrojak.vexa)' : '';
  $('output-label').textContent = lang === 'vexa' ? 'Listing of zdrojak.vexa' : 'Output';
  $('unit-label').hidden = lang === 'vexa';
  const guide = site.guides[lang];
  $('guide').hidden = !guide;
  if (guide) { $('guide').href = guide; $('guide').textContent = `${lang} guide`; }
  showKept();
  if (changed) programChanged();
  else saveNow();
  if (!stopped) setStatus(readyNote(), false);
  worker.postMessage({ type: 'preload', program: lang });
}

// The examples menu: the language's examples, then its kept programs.
function fillExamples(kept) {
  examplesSelect.replaceChildren(new Option(`Examples (${site.examples[language].length})…`, ''));
  site.examples[language].forEach((example, i) => examplesSelect.add(new Option(example.name, `example:${i}`)));
  if (!kept.length) return;
  const group = document.createElement('optgroup');
  group.label = 'Your earlier programs';
  kept.forEach((program, i) => {
    const first = program.source.split('\n').find((l) => l.trim()) || '(empty)';
    group.append(new Option(`${i + 1}. ${first.trim().slice(0, 40)}`, `kept:${i}`));
  });
  examplesSelect.add(group);
}

function startProgram(lang, reason = '') {
  const saved = storedProgram(lang);
  if (saved) return setProgram(lang, saved.source, saved.input, { isPristine: saved.pristine, reason, changed: false });
  const first = site.examples[lang][0];
  return setProgram(lang, first ? first.source : '', first ? first.input : '', { isPristine: true, reason, changed: false });
}

const readyNote = () => (touchScreen.matches ? 'Ready.' : 'Ready. Run with the button or Ctrl-Enter.');

// ---- runs ----

let worker = null; // runs the programs; replaced at every Stop
const relay = new Worker('relay.js'); // hands the page what the workers say
relay.onmessage = onWorkerMessage;
// The run in progress: { id, language, decoder, chunks, started, timer,
// doc (the program it runs), changes (the edits made since), cut (when it
// was stopped: output written later is not its) }.
let current = null;
let shown = null; // the run whose output the pane shows: current, or the last one
let nextId = 1;
let timeLimit = TIME_LIMIT_MS;

function newWorker() {
  worker = new Worker('worker.js');
  const channel = new MessageChannel();
  relay.postMessage({ type: 'attach', port: channel.port1 }, [channel.port1]);
  worker.postMessage({ type: 'connect', port: channel.port2 }, [channel.port2]);
  worker.postMessage({ type: 'preload', program: language });
}

// Ends the worker and whatever runs in it; what it had printed still
// arrives through the relay.
function replaceWorker() {
  worker.terminate();
  newWorker();
}

function onWorkerMessage({ data }) {
  if (data.type === 'steps') {
    stepper.answer(data);
    return;
  }
  if (data.type === 'out') {
    if (!shown || data.id !== shown.id || data.from > shown.cut) return; // printed after a Stop
    shown.chunks.push(data.bytes);
    pane.append(shown.decoder.decode(data.bytes, { stream: true }));
  } else if (data.type === 'done') {
    if (!current || data.id !== current.id) return;
    if (data.ended === 'output') replaceWorker(); // the program may still be running
    if (data.stderr.length) {
      stderrPane.textContent = new TextDecoder().decode(data.stderr);
      stderrPane.hidden = false;
    }
    pane.append(current.decoder.decode());
    if (data.ended === 'output') finish(`Stopped: the output passed ${OUTPUT_LIMIT / (1 << 20)} MB (output limit).`, true, null);
    else if (data.ended === 'crash') finish(`The program ended abnormally in the browser: ${data.message}`, true, null);
    else ended(data.status, data.ms);
  }
}

// How the interpreters' runs end: they exit with 0 whatever the program did,
// and their closing lines tell. vexa's exit status says it all.
const CLOSING = {
  plimbo: { ok: '\nGame over, uspesne dokonceno!!!\n', failed: '\nNeco se pokazilo...\n' },
  m4t4: { ok: '\nProgram probehl bez chyb.\n\nbye\n\n', failed: '\nV programu se vyskytla chyba.\n\nbye\n\n' },
};
const VEXA_STATUS = { 0: ' (full listing)', 1: ' (the file could not be read, or a token is too long)',
  2: ' (a malformed token ended the listing)' };

// A diagnostic and the source line it names. plimbo's begin a line,
// "(blok)Chyba (3), ..."; m4t4's may follow what pis printed, "V bloku:
// 'Blok', na radku: 3 nastala chyba ...". The last one of a failed run is
// the one that ended it.
const DIAGNOSTIC = {
  plimbo: /^\([^()\n]+\)Chyba \((\d+)\)[^\n]*/gm,
  m4t4: /V bloku: '[^'\n]*', na radku: (\d+) nastala chyba[^\n]*/g,
};

function ended(status, ms) {
  const time = `${Math.round(ms)} ms`;
  const closing = CLOSING[current.language];
  const text = pane.text();
  if (!closing) {
    finish(`Finished with exit status ${status}${VEXA_STATUS[status] || ''} in ${time}.`, false, status);
  } else if (text.endsWith(closing.ok)) {
    finish(`Finished without errors in ${time}.`, false, status);
  } else if (text.endsWith(closing.failed)) {
    let found = null;
    for (const match of text.matchAll(DIAGNOSTIC[current.language])) found = match;
    const line = found ? sourceLine(Number(found[1])) : 0;
    finish(`Stopped with an error${line ? ` on line ${line}` : ''}, after ${time}.`, true, status,
      found && { start: found.index, end: found.index + found[0].length, line });
  } else {
    finish(`Finished with exit status ${status} in ${time}.`, false, status);
  }
}

// The editor's line for line `n` of the program that the run started with.
function sourceLine(n) {
  const { doc, changes } = current;
  const from = doc.line(Math.min(Math.max(n, 1), doc.lines)).from;
  return view.state.doc.lineAt(changes.mapPos(from, 1)).number;
}

function diagnosticLink(line) {
  return (text) => {
    const message = document.createElement('span');
    message.className = 'diagnostic';
    message.textContent = text;
    message.tabIndex = 0;
    message.setAttribute('role', 'button');
    message.title = `Go to line ${line} of the program`;
    const go = () => {
      view.dispatch({ selection: { anchor: view.state.doc.line(line).from }, scrollIntoView: true });
      view.focus();
    };
    message.addEventListener('click', go);
    message.addEventListener('keydown', (e) => { if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); go(); } });
    return message;
  };
}

function clearOutput() {
  shown = null;
  pane.clear();
  stderrPane.textContent = '';
  stderrPane.hidden = true;
  view.dispatch({ effects: markLine.of(0) });
}

function run() {
  if (current) stop('Stopped: a new run was started.');
  stepper.end();
  clearOutput();
  const doc = view.state.doc;
  current = {
    id: nextId++, language, decoder: new TextDecoder(), chunks: [], started: performance.now(), cut: Infinity,
    doc, changes: ChangeSet.empty(doc.length).desc,
    timer: setTimeout(() => stop(`Stopped: the run took longer than ${timeLimit / 1000} s (time limit).`), timeLimit),
  };
  shown = current;
  setStatus('Running…', false);
  stopButton.disabled = false;
  // The address and the storage are brought up to date here and now: a
  // pending update would otherwise come later and could put this program's
  // link back over a link that was opened in the meantime.
  saveNow();
  if (narrowScreen.matches) $('output-label').scrollIntoView({ block: 'start', behavior: 'smooth' });
  const input = PROGRAMS[language].reads ? utf8.encode(inputBox.value) : new Uint8Array(0);
  worker.postMessage({ type: 'run', id: current.id, program: language, source: utf8.encode(source()), input });
}

// Stop ends the run at once: the worker is thrown away with the program
// inside it, and a fresh one is made ready for the next run.
function stop(note) {
  if (stepper.pending()) stepper.stopRequest(note);
  if (!current) return;
  current.cut = performance.timeOrigin + performance.now();
  replaceWorker();
  finish(note || 'Stopped.', true, null);
}

// `diagnostic`: { start, end, line } of the message in the output.
function finish(note, stopped, status, diagnostic = null) {
  const run = current;
  clearTimeout(run.timer);
  if (diagnostic) {
    view.dispatch({ effects: [markLine.of(diagnostic.line),
      EditorView.scrollIntoView(view.state.doc.line(diagnostic.line).from, { y: 'center' })] });
    pane.finish(diagnostic.start, diagnostic.end, diagnosticLink(diagnostic.line));
  } else {
    pane.finish();
  }
  window.playground.lastRun = {
    language: run.language, status, stopped, ms: performance.now() - run.started,
    // The bytes printed, those still arriving after a Stop included.
    get output() {
      const bytes = new Uint8Array(run.chunks.reduce((n, b) => n + b.length, 0));
      let at = 0;
      for (const b of run.chunks) { bytes.set(b, at); at += b.length; }
      return bytes;
    },
  };
  window.playground.runs++;
  current = null;
  stepButtons();
  setStatus(note, stopped);
}

// ---- stepping ----

const unitSelect = $('unit');
const stepper = new Stepper({
  get view() { return view; },
  language: () => language,
  source,
  input: () => (PROGRAMS[language].reads ? inputBox.value : ''),
  unit: () => (language === 'vexa' ? 'character' : unitSelect.value),
  post: (message) => worker.postMessage(message),
  newId: () => nextId++,
  replaceWorker,
  pane,
  setStatus,
  timeLimit: () => timeLimit,
  changed: () => stepButtons(),
}, {
  watch: $('watch'), where: $('where'), vars: $('vars'), varsNote: $('vars-note'), stack: $('stack'),
  stackNote: $('stack-note'), stackTitle: $('stack-title'), loops: $('loops'), effects: $('effects'),
  functions: $('functions'), did: $('did'), automaton: $('automaton'), table: $('transitions'),
  inputMarks: $('input-marks'), timeline: $('timeline'), counter: $('step-count'),
  interpreterPanes: [...document.querySelectorAll('#watch .interpreter')],
  vexaPanes: [...document.querySelectorAll('#watch .vexa')],
});

// The buttons as the run and the stepping allow.
function stepButtons() {
  const state = stepper.state();
  stopButton.disabled = !current && !stepper.pending();
  $('step-back').disabled = !state || state.step <= 1;
  $('restart').disabled = !state;
  $('timeline').disabled = !state;
  if (!state) $('step-count').textContent = 'Not stepping';
}

// Begins stepping: a run in progress gives way, and the output pane is the
// stepper's.
function beginStepping() {
  if (current) stop('Stopped: stepping began.');
  if (!stepper.active()) {
    clearOutput();
    saveNow();
    worker.postMessage({ type: 'preload', program: language, steps: true });
    if (narrowScreen.matches) $('watch').scrollIntoView({ block: 'start', behavior: 'smooth' });
  }
}

function step() { beginStepping(); stepper.step(); }
function stepBack() { if (stepper.active()) stepper.back(); }
function continueRun() { beginStepping(); stepper.continue(); }
function restart() { if (stepper.active()) { beginStepping(); stepper.restart(); } }

function setStatus(text, stopped) {
  statusLine.textContent = text;
  statusLine.classList.toggle('stopped', stopped);
}

// ---- wiring ----

// A view of the page's state, for the browser test and the console.
window.playground = {
  lastRun: null,
  runs: 0,
  state: () => ({ language, source: source(), input: inputBox.value }),
  // The editor's cursor line and the line marked for a diagnostic (0: none).
  lines: () => ({ cursor: view.state.doc.lineAt(view.state.selection.main.head).number, marked: markedLine() }),
  // For the test: a shorter time limit for the runs that follow (none: the usual one).
  setTimeLimit: (ms) => { timeLimit = ms > 0 ? ms : TIME_LIMIT_MS; },
  // The step shown and its state (null while not stepping).
  stepping: () => stepper.state(),
  // For the test: a breakpoint on line (as a click on its number sets it).
  setBreakpoint: (line) => setBreakpoint(view, line),
};

languageSelect.addEventListener('change', () => {
  const lang = languageSelect.value;
  if (!known(lang)) return;
  if (dirty) saveNow();
  startProgram(lang, `you switched to ${lang}`);
});
examplesSelect.addEventListener('change', () => {
  const [kind, at] = examplesSelect.value.split(':');
  examplesSelect.value = '';
  if (kind === 'kept') {
    restoreKept(Number(at));
  } else if (kind === 'example') {
    const example = site.examples[language][Number(at)];
    if (example) replaceProgram(language, example, { isPristine: true, reason: 'you opened another program' });
  }
  view.focus();
});
$('restore').addEventListener('click', () => restoreKept(0));
runButton.addEventListener('click', () => run());
stopButton.addEventListener('click', () => stop('Stopped by you.'));
$('step').addEventListener('click', step);
$('step-back').addEventListener('click', stepBack);
$('continue').addEventListener('click', continueRun);
$('restart').addEventListener('click', restart);
$('timeline').addEventListener('input', () => { if (stepper.active()) stepper.show(Number($('timeline').value)); });
unitSelect.addEventListener('change', () => { if (stepper.active()) stepper.restart(); });
shareButton.addEventListener('click', async () => {
  saveNow();
  const link = shareLink(true);
  if (!link) {
    const size = (utf8.encode(source()).length / 1e6).toFixed(1);
    setStatus(`This program (${size} MB) is too large to share by link: browsers take links of at most `
      + `${LINK_LIMIT / (1 << 20)} MB. Copy its text instead.`, true);
    return;
  }
  // While stepping, the address holds the step too.
  if (link !== location.href) {
    history.replaceState(null, '', link);
    try { sessionStorage.setItem('playground.tab', JSON.stringify({ address: link, pristine })); } catch { /* no storage */ }
  }
  const what = stepper.state() ? 'this program at this step' : 'this program';
  try { await navigator.clipboard.writeText(link); setStatus(`Link copied: it opens ${what} with its input.`, false); } catch { setStatus(`The address bar now holds the link to ${what}.`, false); }
});
inputBox.addEventListener('input', () => {
  if (stepper.active()) stepper.end('The input changed: Step starts again from the first step.');
  edited();
});
// F10 steps, Shift-F10 steps back, F8 continues, Shift-F8 restarts.
const STEP_KEYS = { F10: step, 'Shift+F10': stepBack, F8: continueRun, 'Shift+F8': restart };
document.addEventListener('keydown', (e) => {
  if ((e.ctrlKey || e.metaKey) && e.key === 'Enter' && !e.defaultPrevented) { e.preventDefault(); run(); }
  if (e.key === 'Escape' && (current || stepper.pending())) { e.preventDefault(); stop('Stopped by you.'); }
  const action = STEP_KEYS[`${e.shiftKey ? 'Shift+' : ''}${e.key}`];
  if (action && !e.ctrlKey && !e.altKey && !e.metaKey) { e.preventDefault(); action(); }
});
window.addEventListener('hashchange', () => {
  const linked = fromFragment();
  if (!linked || !linked.program) return;
  const held = linked.lang === language && same(editorProgram(), linked.program);
  if (!held) {
    notify(linked.warning);
    replaceProgram(linked.lang, linked.program, { isPristine: true, reason: 'a link was opened' });
  }
  if (linked.step) {
    unitSelect.value = linked.unit;
    beginStepping();
    stepper.start(linked.step);
  }
});
// A tab that closes or goes to the background keeps its last edits.
window.addEventListener('pagehide', () => { if (dirty) saveNow(); });
document.addEventListener('visibilitychange', () => { if (document.hidden && dirty) saveNow(); });

view = new EditorView({ parent: $('editor') });
newWorker();
const linked = fromFragment();
if (linked && linked.program) replaceProgram(linked.lang, linked.program, { isPristine: (reloaded() || { pristine: true }).pristine });
else startProgram(linked ? linked.lang : storedLanguage());
if (linked && linked.warning) notify(linked.warning);
if (linked && linked.program && linked.step) {
  unitSelect.value = linked.unit;
  beginStepping();
  stepper.start(linked.step);
}
