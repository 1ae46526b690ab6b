// The playground page: an editor per language, standard input, Run/Stop, and
// the output pane. Programs run in a worker (worker.js); a run that takes too
// long or prints too much is ended by terminating the worker. The output pane
// follows new output unless the reader has scrolled up, and the line that a
// diagnostic names is marked in the editor; a click on the diagnostic moves
// the cursor there.

import { EditorState, StateEffect, StateField } from '@codemirror/state';
import { EditorView, Decoration, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter, drawSelection } from '@codemirror/view';
import { defaultKeymap, history as undoHistory, historyKeymap } from '@codemirror/commands';
import { syntaxHighlighting, HighlightStyle, bracketMatching } from '@codemirror/language';
import { tags } from '@lezer/highlight';
import { LANGUAGES } from './languages.js';
import { PROGRAMS, TIME_LIMIT_MS, OUTPUT_LIMIT } from './programs.js';
import site from 'site:data';

const $ = (id) => document.getElementById(id);
const languageSelect = $('language');
const examplesSelect = $('examples');
const runButton = $('run');
const stopButton = $('stop');
const shareButton = $('share');
const inputBox = $('input');
const outputPane = $('output');
const stderrPane = $('stderr');
const statusLine = $('status');

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

// ---- state kept in the address, in local storage and in the editor ----

let language = 'plimbo';
const utf8 = new TextEncoder();

function storedProgram(lang) {
  try {
    const saved = JSON.parse(localStorage.getItem(`playground.${lang}`) || 'null');
    if (saved && typeof saved.source === 'string') return saved;
  } catch { /* storage unavailable or damaged: start from an example */ }
  return null;
}

function storeProgram() {
  try {
    localStorage.setItem(`playground.${language}`, JSON.stringify({ source: source(), input: inputBox.value }));
    localStorage.setItem('playground.language', language);
  } catch { /* private mode: nothing is kept */ }
}

function fromFragment() {
  const params = new URLSearchParams(location.hash.slice(1));
  const lang = params.get('lang');
  if (!lang || !PROGRAMS[lang] || !params.has('src')) return null;
  return { lang, source: params.get('src'), input: params.get('in') || '' };
}

function shareLink() {
  const params = new URLSearchParams();
  params.set('lang', language);
  params.set('src', source());
  if (PROGRAMS[language].reads && inputBox.value) params.set('in', inputBox.value);
  return `${location.origin}${location.pathname}#${params.toString()}`;
}

let addressTimer = 0;
function programChanged() {
  clearTimeout(addressTimer);
  addressTimer = setTimeout(() => {
    history.replaceState(null, '', shareLink());
    storeProgram();
  }, 300);
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

function editorState(text, lang) {
  return EditorState.create({
    doc: text,
    extensions: [
      runKeys,
      lineNumbers(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(),
      undoHistory(), bracketMatching(), EditorView.lineWrapping,
      keymap.of([...defaultKeymap, ...historyKeymap]),
      LANGUAGES[lang], syntaxHighlighting(highlightStyle), diagnosticMark,
      EditorView.contentAttributes.of({ 'aria-label': `${lang} program`, spellcheck: 'false' }),
      EditorView.updateListener.of((u) => { if (u.docChanged) programChanged(); }),
    ],
  });
}

function source() { return view.state.doc.toString(); }

function setProgram(lang, text, input) {
  language = lang;
  languageSelect.value = lang;
  view.setState(editorState(text, lang));
  inputBox.value = input;
  $('input-block').hidden = !PROGRAMS[lang].reads;
  $('file-name').textContent = lang === 'vexa' ? '(zdrojak.vexa)' : '';
  $('output-label').textContent = lang === 'vexa' ? 'Listing of zdrojak.vexa' : 'Output';
  const guide = site.guides[lang];
  $('guide').hidden = !guide;
  if (guide) { $('guide').href = guide; $('guide').textContent = `${lang} guide`; }
  fillExamples();
  programChanged();
}

function fillExamples() {
  examplesSelect.replaceChildren(new Option(`Examples (${site.examples[language].length})…`, ''));
  site.examples[language].forEach((example, i) => examplesSelect.add(new Option(example.name, String(i))));
}

function startProgram(lang) {
  const saved = storedProgram(lang);
  if (saved) return setProgram(lang, saved.source, saved.input || '');
  const first = site.examples[lang][0];
  setProgram(lang, first ? first.source : '', first ? first.input : '');
}

// ---- runs ----

let worker = null;
let current = null; // { id, decoder, timer, started } while a run is on
let nextId = 1;

function newWorker() {
  worker = new Worker('worker.js');
  worker.onmessage = onWorkerMessage;
  worker.postMessage({ type: 'preload', program: language });
}

function onWorkerMessage({ data }) {
  if (!current || data.id !== current.id) return;
  if (data.type === 'out') {
    appendOutput(current.decoder.decode(data.bytes, { stream: true }));
    current.bytes.push(data.bytes);
  } else if (data.type === 'done') {
    if (data.ended === 'output') { // the program may still be running
      worker.terminate();
      newWorker();
    }
    let note;
    if (data.ended === 'output') note = `Stopped: the output passed ${OUTPUT_LIMIT / (1 << 20)} MB (output limit).`;
    else if (data.ended === 'crash') note = `The program ended abnormally in the browser: ${data.message}`;
    else note = `Finished with exit status ${data.status}${meaning(data.status)} in ${Math.round(data.ms)} ms.`;
    if (data.stderr.length) {
      stderrPane.textContent = new TextDecoder().decode(data.stderr);
      stderrPane.hidden = false;
    }
    finish(note, data.ended !== 'exit', data.status);
  }
}

// What vexa's exit statuses tell; the interpreters end with 0 whatever the program did.
function meaning(status) {
  if (language !== 'vexa') return '';
  return { 0: ' (full listing)', 1: ' (the file could not be read, or a token is too long)',
    2: ' (a malformed token ended the listing)' }[status] || '';
}

// Output reaches the pane once a frame, whatever the number of chunks (the
// pane is measured each time, which costs a layout). New output is followed
// while the pane shows its end; a reader who scrolled up keeps the place.
let pendingOutput = '';
let outputFrame = 0;

function appendOutput(text) {
  if (!text) return;
  pendingOutput += text;
  if (!outputFrame) outputFrame = requestAnimationFrame(flushOutput);
}

function flushOutput() {
  cancelAnimationFrame(outputFrame);
  outputFrame = 0;
  if (!pendingOutput) return;
  const atEnd = outputPane.scrollHeight - outputPane.scrollTop - outputPane.clientHeight < 4;
  outputPane.append(pendingOutput);
  pendingOutput = '';
  if (atEnd) outputPane.scrollTop = outputPane.scrollHeight;
}

// The first diagnostic of the output and the source line it names. plimbo's
// begin a line, "(blok)Chyba (3), ..."; m4t4's may follow what pis printed,
// "V bloku: 'Blok', na radku: 3 nastala chyba ...". vexa's name no line.
const DIAGNOSTIC = {
  plimbo: /^\([^()\n]+\)Chyba \((\d+)\)[^\n]*/m,
  m4t4: /V bloku: '[^'\n]*', na radku: (\d+) nastala chyba[^\n]*/,
};

function showDiagnostic() {
  const pattern = DIAGNOSTIC[language];
  const text = outputPane.textContent;
  const found = pattern && text.match(pattern);
  if (!found) return;
  const line = Math.min(Math.max(Number(found[1]), 1), view.state.doc.lines);
  view.dispatch({ effects: [markLine.of(line), EditorView.scrollIntoView(view.state.doc.line(line).from, { y: 'center' })] });
  const message = document.createElement('span');
  message.className = 'diagnostic';
  message.textContent = found[0];
  message.tabIndex = 0;
  message.setAttribute('role', 'button');
  message.title = `Go to line ${line} of the program`;
  const go = () => {
    view.dispatch({ selection: { anchor: view.state.doc.line(line).from }, scrollIntoView: true });
    view.focus();
  };
  message.addEventListener('click', go);
  message.addEventListener('keydown', (e) => { if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); go(); } });
  const { scrollTop } = outputPane;
  outputPane.replaceChildren(text.slice(0, found.index), message, text.slice(found.index + found[0].length));
  outputPane.scrollTop = scrollTop;
}

function run() {
  if (current) stop('Stopped: a new run was started.');
  view.dispatch({ effects: markLine.of(0) });
  pendingOutput = '';
  flushOutput();
  outputPane.textContent = '';
  stderrPane.textContent = '';
  stderrPane.hidden = true;
  current = {
    id: nextId++, decoder: new TextDecoder(), bytes: [], started: performance.now(),
    timer: setTimeout(() => stop(`Stopped: the run took longer than ${TIME_LIMIT_MS / 1000} s (time limit).`), TIME_LIMIT_MS),
  };
  setStatus('Running…', false);
  stopButton.disabled = false;
  // The address and the storage are brought up to date here and now: a
  // pending update would otherwise come later and could put this program's
  // link back over a link that was opened in the meantime.
  clearTimeout(addressTimer);
  storeProgram();
  history.replaceState(null, '', shareLink());
  const input = PROGRAMS[language].reads ? utf8.encode(inputBox.value) : new Uint8Array(0);
  worker.postMessage({ type: 'run', id: current.id, program: language, source: utf8.encode(source()), input });
}

// Stop ends the run at once: the worker is thrown away with the program
// inside it, and a fresh one is made ready for the next run.
function stop(note) {
  if (!current) return;
  worker.terminate();
  newWorker();
  finish(note || 'Stopped.', true, null);
}

function finish(note, stopped, status) {
  clearTimeout(current.timer);
  appendOutput(current.decoder.decode());
  flushOutput();
  showDiagnostic();
  const bytes = new Uint8Array(current.bytes.reduce((n, b) => n + b.length, 0));
  let at = 0;
  for (const b of current.bytes) { bytes.set(b, at); at += b.length; }
  window.playground.lastRun = { language, status, stopped, output: bytes, ms: performance.now() - current.started };
  window.playground.runs++;
  current = null;
  stopButton.disabled = true;
  setStatus(note, stopped);
}

function setStatus(text, stopped) {
  statusLine.textContent = text;
  statusLine.classList.toggle('stopped', stopped);
}

// ---- wiring ----

// Read-only view of the page's state, for the browser test and the console.
window.playground = {
  lastRun: null,
  runs: 0,
  state: () => ({ language, source: source(), input: inputBox.value }),
  // The editor's cursor line and the line marked for a diagnostic (0: none).
  lines: () => ({ cursor: view.state.doc.lineAt(view.state.selection.main.head).number, marked: markedLine() }),
};

languageSelect.addEventListener('change', () => {
  storeProgram();
  startProgram(languageSelect.value);
  worker.postMessage({ type: 'preload', program: language });
  outputPane.textContent = '';
  setStatus('Ready.', false);
});
examplesSelect.addEventListener('change', () => {
  const example = site.examples[language][Number(examplesSelect.value)];
  if (!example) return;
  setProgram(language, example.source, example.input);
  examplesSelect.value = '';
  view.focus();
});
runButton.addEventListener('click', () => run());
stopButton.addEventListener('click', () => stop('Stopped by you.'));
shareButton.addEventListener('click', async () => {
  const link = shareLink();
  history.replaceState(null, '', link);
  try { await navigator.clipboard.writeText(link); setStatus('Link copied: it opens this program with its input.', false); } catch { setStatus('The address bar now holds the link to this program.', false); }
});
inputBox.addEventListener('input', programChanged);
document.addEventListener('keydown', (e) => {
  if ((e.ctrlKey || e.metaKey) && e.key === 'Enter' && !e.defaultPrevented) { e.preventDefault(); run(); }
  if (e.key === 'Escape' && current) { e.preventDefault(); stop('Stopped by you.'); }
});
window.addEventListener('hashchange', () => {
  const shared = fromFragment();
  if (shared && (shared.lang !== language || shared.source !== source() || shared.input !== inputBox.value)) {
    setProgram(shared.lang, shared.source, shared.input);
  }
});

view = new EditorView({ parent: $('editor') });
const shared = fromFragment();
if (shared) setProgram(shared.lang, shared.source, shared.input);
else {
  let lang = 'plimbo';
  try { lang = localStorage.getItem('playground.language') || 'plimbo'; } catch { /* no storage */ }
  startProgram(PROGRAMS[lang] ? lang : 'plimbo');
}
newWorker();
setStatus('Ready. Run with the button or Ctrl-Enter.', false);
