// Watch it run: stepping through a run of the program in the editor, with
// the state of the run shown step by step in the panes.
//
// A step is a statement (a statement begins, a loop's condition is tested
// again, a declaration begins) or, as an option, a token for plimbo and m4t4,
// and a character for vexa. The worker runs the stepping build of the
// program (web/EVENTS.md) to report a window of steps; a program and its
// input always run the same way, so any step is reached exactly by running
// again to it, and stepping back is a step already reported (or a new run).
// Reported steps are kept (CACHE_STEPS of them) and the panes are drawn once
// a frame, whatever the number of steps taken in it.
//
// Breakpoints are set by a click on a line number; Continue goes to the next
// step that begins on a breakpoint's line, on every pass of a loop.

import { RangeSet, StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView, GutterMarker, gutterLineClass, lineNumbers } from '@codemirror/view';
import { STEP_BOUND } from './programs.js';

const WINDOW = 64; // steps one request reports
const BEFORE = 16; // of them, before the step asked for (for stepping back)
const CACHE_STEPS = 2000;

// ---- the editor: the step's mark, the breakpoints ----

const markStep = StateEffect.define(); // value: { from, to } (string positions), or null
const stepMark = StateField.define({
  create: () => Decoration.none,
  update(marks, tr) {
    let result = marks.map(tr.changes);
    for (const effect of tr.effects) {
      if (!effect.is(markStep)) continue;
      if (!effect.value) { result = Decoration.none; continue; }
      const { from, to } = effect.value;
      const ranges = [Decoration.line({ class: 'cm-step-line' }).range(tr.state.doc.lineAt(from).from)];
      if (to > from) ranges.push(Decoration.mark({ class: 'cm-step' }).range(from, to));
      result = Decoration.set(ranges, true);
    }
    return result;
  },
  provide: (field) => EditorView.decorations.from(field),
});

const breakpointMarker = new (class extends GutterMarker {
  constructor() { super(); this.elementClass = 'cm-breakpoint'; }
})();
const toggleBreakpoint = StateEffect.define(); // value: the start of a line
const breakpointField = StateField.define({
  create: () => RangeSet.empty,
  update(set, tr) {
    let result = set.map(tr.changes);
    for (const effect of tr.effects) {
      if (!effect.is(toggleBreakpoint)) continue;
      let has = false;
      result.between(effect.value, effect.value, () => { has = true; });
      result = has ? result.update({ filter: (from) => from !== effect.value })
        : result.update({ add: [breakpointMarker.range(effect.value)] });
    }
    return result;
  },
  provide: (field) => gutterLineClass.from(field),
});

// The editor's extensions for stepping: line numbers that set and clear a
// breakpoint when clicked, the breakpoints, and the mark of the step.
export const stepExtensions = () => [
  lineNumbers({
    domEventHandlers: {
      mousedown(view, line) {
        view.dispatch({ effects: toggleBreakpoint.of(line.from) });
        return true;
      },
    },
  }),
  breakpointField,
  stepMark,
];

// The lines with a breakpoint, in order.
export function breakpointLines(view) {
  const lines = [];
  view.state.field(breakpointField).between(0, view.state.doc.length, (from) => {
    lines.push(view.state.doc.lineAt(from).number);
  });
  return lines;
}

export function setBreakpoint(view, line) {
  if (breakpointLines(view).includes(line)) return;
  view.dispatch({ effects: toggleBreakpoint.of(view.state.doc.line(line).from) });
}

// ---- texts ----

const utf8 = new TextEncoder();
const decoder = new TextDecoder();
// A byte string of an event line (one character per byte) as the text it is.
const text = (bytes) => decoder.decode(Uint8Array.from(bytes, (c) => c.charCodeAt(0)));

const WORDS = {
  plimbo: { if: 'ESLI', else: 'JINEM', loop: 'DOKAD', end: 'FINISH', stack: 'Value pushdown', block: 'block',
    input: 'NASAJ', undefined: 'not defined value' },
  m4t4: { if: 'i2', else: 'e2', loop: 'w2', end: 'w2_end', stack: 'Value stack', block: 'body',
    input: 'cti', undefined: 'hodnota neurcena' },
};

const MOVES = {
  go: (step) => (step.from === step.to ? `stays in ${step.to}` : `goes to ${step.to}`),
  done: () => 'ends the token: it is listed, and the character is read again by the next scan',
  malformed: () => 'has no move: the token cannot be completed, and the lister stops with status 2',
};

// The character of vexa's step, as the page shows it.
function characterName(code) {
  if (code === 9) return 'tab';
  if (code === 10) return 'newline';
  if (code === 13) return 'carriage return';
  if (code === 32) return 'blank';
  if (code > 32 && code < 127) return `'${String.fromCharCode(code)}'`;
  return `byte ${code}`;
}

function element(tag, className, content) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (content !== undefined) e.textContent = content;
  return e;
}

// ---- the stepper ----

// page: what the stepper needs of the page:
//   view                       the editor
//   language(), source(), input(), unit()
//   post(message)              to the worker
//   newId()                    a run id
//   replaceWorker()            ends what the worker runs
//   pane                       the output pane (output.js)
//   setStatus(text, warning)
//   timeLimit()                ms a request may take
//   changed()                  the stepping started or ended (for the buttons)
export class Stepper {
  constructor(page, elements) {
    this.page = page;
    this.el = elements;
    this.session = null;
    this.frame = 0;
  }

  active() { return Boolean(this.session); }

  // Starts stepping the program in the editor at step n (1: the start;
  // 0: none shown yet).
  start(n = 1) {
    const { page } = this;
    const source = page.source();
    this.session = {
      language: page.language(),
      source,
      bytes: utf8.encode(source),
      input: page.input(),
      unit: page.unit(),
      steps: new Map(),
      reached: 0, // the highest step reported
      last: null, // the end step, once reported
      limit: null, // why the run stops before its end: { at, note }
      output: new Uint8Array(0),
      table: null,
      current: 0,
      pending: null, // { id, target, timer }
      wanted: n,
    };
    this.session.index = byteIndex(source);
    if (n > 0) this.show(n);
    page.changed();
  }

  // Ends the stepping; the editor loses its mark.
  end(note) {
    if (!this.session) return;
    if (this.session.pending) {
      clearTimeout(this.session.pending.timer);
      this.page.replaceWorker();
    }
    this.session = null;
    cancelAnimationFrame(this.frame);
    this.frame = 0;
    this.page.view.dispatch({ effects: markStep.of(null) });
    this.el.watch.hidden = true;
    this.el.inputMarks.hidden = true;
    if (note) this.page.setStatus(note, false);
    this.page.changed();
  }

  step() { if (!this.session) this.start(1); else this.show(this.session.wanted + 1); }

  back() { if (this.session) this.show(this.session.wanted - 1); }

  restart() { this.start(1); }

  // Runs on to the next step on a breakpoint's line (or to the end).
  continue() {
    if (!this.session) this.start(0);
    const s = this.session;
    if (s.pending) return;
    const lines = breakpointLines(this.page.view);
    if (!lines.length) {
      if (s.last) return this.show(s.last);
      return this.request(STEP_BOUND, { to: 'end' });
    }
    // Ranges of bytes of the session's source (the editor holds it).
    const doc = this.page.view.state.doc;
    const ranges = lines.map((line) => [byteAt(s, doc.line(line).from),
      line < doc.lines ? byteAt(s, doc.line(line + 1).from) : s.bytes.length + 1]);
    this.request(s.current + 1, { breakpoints: ranges });
  }

  // Shows step n, when it is reported; else asks for it. A step asked for
  // anew forgets the note of the last request.
  show(n, { answered = false } = {}) {
    const s = this.session;
    if (!answered) s.note = '';
    const top = s.last || (s.limit ? s.limit.at : Infinity);
    n = Math.max(1, Math.min(n, top));
    s.wanted = n;
    if (s.steps.has(n)) {
      s.current = n;
      this.draw();
    } else {
      this.request(n);
    }
  }

  request(target, { breakpoints = null, to = null } = {}) {
    const s = this.session;
    if (s.pending) return; // the answer shows s.wanted
    const id = this.page.newId();
    // A run to the end reports its last step: the end, or the step at the
    // bound.
    const from = breakpoints || to ? target : Math.max(1, target - BEFORE);
    s.pending = {
      id, target, breakpoints: Boolean(breakpoints), toEnd: to === 'end',
      timer: setTimeout(() => this.stopRequest(`Stopped: stepping took longer than ${this.page.timeLimit() / 1000} s (time limit).`),
        this.page.timeLimit()),
    };
    s.note = '';
    this.page.setStatus(breakpoints ? 'Running to the next breakpoint…' : to ? 'Running to the end…' : `Running to step ${target}…`, false);
    this.page.changed();
    this.page.post({
      type: 'steps', id, program: s.language, source: s.bytes, input: utf8.encode(s.input),
      unit: s.unit === 'token' ? 1 : 0, from, count: to === 'end' ? 1 : WINDOW, breakpoints: breakpoints || [],
    });
  }

  pending() { return Boolean(this.session && this.session.pending); }

  // Stop: the request's run ends at once; the steps reported stay.
  stopRequest(note = 'Stopped by you.') {
    const s = this.session;
    if (!s || !s.pending) return;
    clearTimeout(s.pending.timer);
    s.pending = null;
    this.page.replaceWorker();
    s.wanted = s.current;
    s.note = note;
    this.page.setStatus(note, true);
    this.page.changed();
    if (s.current) this.draw();
  }

  // The worker's answer to a request.
  answer(data) {
    const s = this.session;
    if (!s || !s.pending || data.id !== s.pending.id) return;
    const request = s.pending;
    clearTimeout(request.timer);
    s.pending = null;
    if (data.output.length > s.output.length) s.output = data.output;
    if (data.table) s.table = data.table;
    for (const step of data.steps) {
      s.steps.set(step.n, step);
      s.reached = Math.max(s.reached, step.n);
      if (step.kind === 'end') s.last = step.n;
    }
    const lastReported = data.steps.length ? data.steps[data.steps.length - 1].n : s.reached;
    if (data.ended === 'bound') {
      s.limit = { at: STEP_BOUND, note: `The run reached ${STEP_BOUND.toLocaleString('en')} steps, the most a stepped run may take: stepping stops here.` };
    } else if (data.ended === 'output') {
      s.limit = { at: lastReported, note: 'The output passed 1 MB (output limit): stepping stops here.' };
    } else if (data.ended === 'crash') {
      s.limit = { at: lastReported, note: `The program ended abnormally in the browser: ${data.message}` };
    }
    this.forget();
    if (!data.steps.length && !s.current) {
      this.page.setStatus(s.limit ? s.limit.note : 'The run reported no step.', true);
      this.page.changed();
      return;
    }
    // A run to a breakpoint or to the end shows the step it came to.
    if (request.breakpoints || request.toEnd) s.wanted = data.steps.length ? data.steps[0].n : s.current;
    if (!data.steps.length && s.limit) s.note = s.limit.note;
    if (request.toEnd && s.last) s.wanted = s.last;
    this.page.changed();
    this.show(s.wanted, { answered: true });
  }

  // Keeps at most CACHE_STEPS steps, those nearest the one shown.
  forget() {
    const s = this.session;
    if (s.steps.size <= CACHE_STEPS) return;
    const keep = [...s.steps.keys()].sort((a, b) => Math.abs(a - s.wanted) - Math.abs(b - s.wanted)).slice(0, CACHE_STEPS);
    const kept = new Set(keep);
    for (const n of [...s.steps.keys()]) if (!kept.has(n) && n !== s.last) s.steps.delete(n);
  }

  // ---- drawing, once a frame ----

  draw() {
    if (!this.frame) this.frame = requestAnimationFrame(() => { this.frame = 0; this.render(); });
  }

  // What the test and the console see: the step shown and its state.
  state() {
    const s = this.session;
    if (!s) return null;
    return { step: s.current, reached: s.reached, last: s.last, limit: s.limit && s.limit.note, pending: Boolean(s.pending),
      shown: s.steps.get(s.current) || null };
  }

  lineOf(byte) {
    const s = this.session;
    return this.page.view.state.doc.lineAt(stringAt(s, byte)).number;
  }

  render() {
    const s = this.session;
    if (!s) return;
    const step = s.steps.get(s.current);
    if (!step) return;
    const { el } = this;
    const words = WORDS[s.language];
    // The editor's mark.
    const [start, end] = step.at || [null, null];
    const view = this.page.view;
    if (start !== null) {
      const from = stringAt(s, start);
      const to = end !== null ? stringAt(s, end) : view.state.doc.lineAt(from).to;
      view.dispatch({ effects: [markStep.of({ from, to: Math.max(from, to) }), EditorView.scrollIntoView(from, { y: 'nearest' })] });
    } else {
      view.dispatch({ effects: markStep.of(null) });
    }
    // The output printed before the step.
    const out = step.kind === 'end' ? s.output.length : Math.min(step.out, s.output.length);
    this.page.pane.clear();
    this.page.pane.append(decoder.decode(s.output.subarray(0, out)));
    this.page.pane.flush();
    // The counter and the timeline.
    const top = s.last || s.reached;
    el.timeline.max = String(Math.max(1, top));
    el.timeline.value = String(s.current);
    el.counter.textContent = `Step ${s.current} of ${s.last ? s.last : `${s.reached}+`}`;
    el.watch.hidden = false;
    el.where.textContent = this.where(step);
    const vexa = s.language === 'vexa';
    for (const pane of el.interpreterPanes) pane.hidden = vexa;
    for (const pane of el.vexaPanes) pane.hidden = !vexa;
    if (vexa) {
      this.drawAutomaton(step);
    } else {
      el.stackTitle.textContent = words.stack;
      this.drawVariables(step);
      this.drawStack(step);
      this.drawLoops(step, words);
      this.drawEffects(step, words);
      this.drawFunctions(step);
      this.drawDid(step, words);
      this.drawInput(step);
    }
    // A note of the last request (a limit, a Stop) stays until the next one.
    let note = step.kind === 'end' ? this.ending(step) : `Step ${s.current}.`;
    const limited = Boolean(s.limit && s.current === s.limit.at);
    if (limited) note = s.limit.note;
    if (s.note) note = s.note;
    this.page.setStatus(note, limited || Boolean(s.note));
  }

  // What the step is, in a sentence.
  where(step) {
    const s = this.session;
    const words = WORDS[s.language];
    const line = step.at && step.at[0] !== null ? this.lineOf(step.at[0]) : null;
    const off = step.flag === 0 ? ' It is only parsed: effects are off.' : '';
    switch (step.kind) {
      case 'statement': return `Step ${step.n}: the statement on line ${line} is next.${off}`;
      case 'condition': {
        const level = step.loops[step.loops.length - 1];
        return `Step ${step.n}: the condition of the ${words.loop} on line ${line} is tested again, replayed from its recording (pass ${level ? level.pass : '?'}).`;
      }
      case 'declaration': return `Step ${step.n}: the declaration on line ${line}: its header is read, and its ${words.block} runs where it stands.`;
      case 'token': return `Step ${step.n}: the token ${text(step.token.text)} on line ${line} has been read (${this.origin(step, words)}).${off}`;
      case 'char': return `Step ${step.n}: the automaton reads the character ${characterName(step.char)} on line ${line}.`;
      default: return `The end of the run (step ${step.n}).`;
    }
  }

  ending(step) {
    const s = this.session;
    const output = decoder.decode(s.output);
    if (s.language === 'vexa') return `The end: the lister ended with exit status ${step.status}.`;
    const failed = s.language === 'plimbo' ? /\nNeco se pokazilo\.\.\.\n$/ : /\nV programu se vyskytla chyba\.\n/;
    return failed.test(output) ? 'The end: the run stopped with an error.' : 'The end: the run finished without errors.';
  }

  // Where the current token came from.
  origin(step, words) {
    const t = step.token;
    const level = t.level === null ? '' : `level ${t.level + 1}`;
    const list = t.list === 'cond' ? 'condition' : words.block;
    switch (t.from) {
      case 'source': return 'from the source';
      case 'record': return `from the source, recorded into ${level}'s ${list}`;
      case 'replay': return `replayed from ${level}'s ${list}, token ${t.index + 1}`;
      case 'look': return `read from ${level}'s ${words.block}, token ${t.index + 1}, for the first pass of the loop inside it`;
      default: return 'the end of the input';
    }
  }

  drawVariables(step) {
    const set = new Set(step.did.filter((e) => e.e === 'set').map((e) => e.name));
    const rows = step.vars.map(([name, value]) => {
      const row = element('tr', set.has(name) ? 'changed' : '');
      row.append(element('td', 'name', text(name)), element('td', 'value', text(value)));
      return row;
    });
    if (!rows.length) {
      const row = element('tr', 'none');
      row.append(element('td', '', 'none yet'));
      rows.push(row);
    }
    this.el.vars.replaceChildren(...rows);
    const hidden = step.varCount - step.vars.length;
    this.el.varsNote.textContent = hidden > 0 ? `… and ${hidden} older variables` : '';
  }

  drawStack(step) {
    const items = step.stack.map((value, i) => element('li', i === 0 ? 'top' : '', text(value)));
    if (!items.length) items.push(element('li', 'none', 'empty'));
    this.el.stack.replaceChildren(...items);
    const hidden = step.depth - step.stack.length;
    this.el.stackNote.textContent = hidden > 0 ? `… and ${hidden} more below` : '';
  }

  drawLoops(step, words) {
    const { el } = this;
    if (!step.loops.length) {
      el.loops.replaceChildren(element('p', 'none', 'No loop is running.'));
      return;
    }
    const levels = step.loops.map((level, i) => {
      const box = element('div', 'level');
      box.dataset.level = String(i + 1);
      box.dataset.pass = String(level.pass);
      box.dataset.mode = level.replaying ? 'replay' : 'record';
      const line = level.at !== null ? this.lineOf(level.at) : '?';
      let mode;
      if (level.replaying) mode = `replaying its recording, pass ${level.pass}`;
      else if (level.reads === null) mode = 'first pass: recording the tokens read from the source';
      else mode = `first pass: recording the tokens read from level ${level.reads + 1}'s recording`;
      box.append(element('div', 'level-head', `Level ${i + 1} · ${words.loop} on line ${line} · ${mode}`));
      const current = step.token;
      const strip = (name, list, which) => {
        const row = element('div', 'strip');
        row.dataset.list = which;
        row.append(element('span', 'strip-name', name));
        if (list.from > 0) row.append(element('span', 'more', '…'));
        list.tokens.forEach((token, k) => {
          const at = list.from + k;
          const t = element('span', 'tok', text(token));
          if (level.replaying && list.read === at) t.classList.add('read');
          if (which === 'body' && level.look === at) t.classList.add('looked');
          if (current.level === i && ((current.from === 'replay' && current.list === which) || (current.from === 'look' && which === 'body'))
            && current.index === at) t.classList.add('current');
          row.append(t);
        });
        if (list.from + list.tokens.length < list.length) row.append(element('span', 'more', '…'));
        if (!list.length) row.append(element('span', 'more', level.replaying ? '' : '(nothing yet)'));
        return row;
      };
      box.append(strip('condition', level.cond, 'cond'), strip(words.block, level.body, 'body'));
      if (level.look !== null) {
        box.append(element('div', 'level-note', `A loop inside it is reading its first pass from this ${words.block} (the token marked with a dashed frame).`));
      }
      return box;
    });
    el.loops.replaceChildren(...levels, element('p', 'token-origin', `The current token ${text(step.token.text)}: ${this.origin(step, words)}.`));
  }

  drawEffects(step, words) {
    const { el } = this;
    el.effects.dataset.flag = String(step.flag);
    if (step.flag === 1) {
      el.effects.textContent = 'On: statements are executed.';
      return;
    }
    const cause = step.effects.find((e) => e.entered === 1 && e.flag === 0);
    const line = cause && cause.at !== null ? this.lineOf(cause.at) : '?';
    let why = 'a construct around this step turned them off.';
    if (cause && cause.cause === 'if') why = `the condition of the ${words.if} on line ${line} is false, so its first ${words.block} is only parsed.`;
    if (cause && cause.cause === 'else') why = `the condition of the ${words.if} on line ${line} is true, so its ${words.else} ${words.block} is only parsed.`;
    if (cause && cause.cause === 'loop') why = `the condition of the ${words.loop} on line ${line} is false, so its ${words.block} is read once (and recorded), without effect.`;
    el.effects.textContent = `Off: ${why} Syntax is still checked; nothing is stored, pushed, popped, printed or read.`;
  }

  drawFunctions(step) {
    const s = this.session;
    const items = step.decls.map((d) => {
      const header = d.at[1] !== null ? decoder.decode(s.bytes.subarray(d.at[0], d.at[1])) : text(d.name);
      return element('li', '', `${header.replace(/\s+/g, ' ')} (line ${this.lineOf(d.at[0])}): declared; its block ran where it stands`);
    });
    // (The values as the arguments pushed them: the event gives the top first.)
    const calls = step.did.filter((e) => e.e === 'call').map((c) => element('li', 'call',
      `${text(c.name)}: ${c.count ? `its arguments pushed ${c.count > c.pushed.length ? '…, ' : ''}${c.pushed.map(text).reverse().join(', ')} (the last on top)` : 'pushed nothing'}; a call runs no body`));
    const list = [...items, ...calls];
    if (!list.length) list.push(element('li', 'none', 'No declaration yet, and no call in the last step.'));
    this.el.functions.replaceChildren(...list);
  }

  drawDid(step, words) {
    const lines = [];
    for (const e of step.did) {
      if (e.e === 'set') lines.push(`${text(e.name)} is set to ${text(e.value)}`);
      else if (e.e === 'input') lines.push(`${words.input} read the word ${text(e.word)}`);
      else if (e.e === 'effects') lines.push(`effects ${e.flag ? 'on' : 'off'} (${e.cause === 'else' ? words.else : e.cause === 'if' ? words.if : words.loop})`);
      else if (e.e === 'loop' && e.do === 'enter') lines.push(`level ${e.level + 1} begins: its first pass is recorded`);
      else if (e.e === 'loop' && e.do === 'replay') lines.push(`level ${e.level + 1} replays its recording: pass ${e.pass}`);
      else if (e.e === 'loop' && e.do === 'leave') lines.push(`level ${e.level + 1} ends after ${e.passes} pass${e.passes === 1 ? '' : 'es'}`);
      else if (e.e === 'call') lines.push(`call ${text(e.name)}`);
    }
    const items = lines.map((l) => element('li', '', l));
    if (!items.length) items.push(element('li', 'none', 'nothing stored, read or switched'));
    this.el.did.replaceChildren(...items);
  }

  // The input pane marks the words read so far.
  drawInput(step) {
    const s = this.session;
    const { inputMarks } = this.el;
    inputMarks.hidden = false;
    const parts = s.input.split(/([ \t\n\v\f\r]+)/);
    let words = 0;
    const nodes = [element('span', 'label', 'Read so far: ')];
    for (const part of parts) {
      if (!part) continue;
      if (/^[ \t\n\v\f\r]+$/.test(part)) { nodes.push(' '); continue; }
      nodes.push(element(words < step.input ? 'mark' : 'span', words < step.input ? 'read' : 'unread', part));
      words++;
    }
    if (!words) nodes.push(element('span', 'unread', '(no input)'));
    inputMarks.replaceChildren(...nodes);
  }

  drawAutomaton(step) {
    const s = this.session;
    const { el } = this;
    const rows = [];
    const add = (name, value) => {
      const row = element('tr');
      row.append(element('th', '', name), element('td', '', value));
      rows.push(row);
    };
    if (step.kind === 'char') {
      add('state', step.from);
      add('character', `${characterName(step.char)} (${step.char})`);
      add('transition', `${step.from} ${MOVES[step.move](step)}`);
      add('token', step.length ? text(step.text) : '(nothing kept yet)');
      add('class', `${text(step.class)}${step.move === 'done' ? ' (listed with it)' : ' (so far)'}`);
    } else {
      add('end', `exit status ${step.status}`);
    }
    add('tokens listed', String(step.listed));
    el.automaton.replaceChildren(...rows);
    el.automaton.dataset.state = step.kind === 'char' ? step.from : '';
    // The table, with the cell of the step marked.
    const table = s.table;
    if (!table) return;
    if (el.table.dataset.built !== 'yes') {
      const head = element('tr');
      head.append(element('th', '', 'state'));
      for (const column of table.columns) head.append(element('th', 'column', text(column)));
      const body = table.cells.map((cells, i) => {
        const row = element('tr');
        row.append(element('th', '', table.states[i]));
        for (const cell of cells) row.append(element('td', cell === 'fail' ? 'fail' : cell === 'done' ? 'done' : '', cell));
        return row;
      });
      el.table.replaceChildren(head, ...body);
      el.table.dataset.built = 'yes';
    }
    for (const cell of el.table.querySelectorAll('.current')) cell.classList.remove('current');
    if (step.kind !== 'char') return;
    const row = table.states.indexOf(step.from) + 1;
    const column = table.byte[step.char] + 1;
    const cell = el.table.rows[row] && el.table.rows[row].cells[column];
    if (cell) {
      cell.classList.add('current');
      el.table.rows[row].cells[0].classList.add('current');
      el.table.rows[0].cells[column].classList.add('current');
    }
  }
}

// The string position of each byte of the UTF-8 text of source (and of
// its end).
function byteIndex(source) {
  const map = [];
  let at = 0;
  for (const ch of source) {
    const code = ch.codePointAt(0);
    const bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    for (let i = 0; i < bytes; i++) map.push(at);
    at += ch.length;
  }
  map.push(at);
  return Int32Array.from(map);
}

const stringAt = (s, byte) => s.index[Math.max(0, Math.min(byte, s.index.length - 1))];

// The byte offset of a string position.
function byteAt(s, position) {
  let low = 0;
  let high = s.index.length - 1;
  while (low < high) {
    const mid = (low + high) >> 1;
    if (s.index[mid] < position) low = mid + 1; else high = mid;
  }
  return low;
}

// Forgets the table drawn for a session before.
export function resetTable(table) { table.dataset.built = ''; }
