// VS Code's Run command, driven in Node with the editor's API stubbed: the
// terminal shows the program's output as UTF-8 (a character split between
// two reads included, bytes that are no UTF-8 as U+FFFD), and the student
// types a line with echo, Backspace and the arrow keys before it goes to the
// program on Enter; Ctrl-D ends the input, Ctrl-C stops the run.
//
//   node vscode_run.cjs BUILD_DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const Module = require('module');

const build = path.resolve(process.argv[2]);
const settings = {};
let terminal = null;
const commands = {};
class EventEmitter {
  constructor() { this.listeners = []; this.event = (listener) => { this.listeners.push(listener); return { dispose() {} }; }; }
  fire(value) { for (const listener of this.listeners) listener(value); }
}
const vscode = {
  EventEmitter,
  window: { activeTextEditor: null, showErrorMessage: (message) => { throw new Error(message); } },
  workspace: { getConfiguration: () => ({ get: (key) => settings[key] }), getWorkspaceFolder: () => undefined },
  commands: { registerCommand: (name, run) => { commands[name] = run; return { dispose() {} }; } },
  tasks: { executeTask: async (task) => { terminal = await task.execution.callback(); } },
  Task: class { constructor(definition, scope, name, source, execution) { this.execution = execution; } },
  CustomExecution: class { constructor(callback) { this.callback = callback; } },
  TaskScope: { Global: 1 },
  TaskRevealKind: { Always: 1 },
};
const load = Module._load;
Module._load = function (request, ...rest) { return request === 'vscode' ? vscode : load.call(this, request, ...rest); };
const extension = require(path.join(__dirname, '..', 'vscode', 'extension.js'));
extension.activate({ subscriptions: [] });

// The screen a terminal would show for what was written: lines of text,
// with the cursor movements the Run terminal uses (\r \n \b, CSI n C, D, K).
function screen(written) {
  const lines = [[]];
  let row = 0;
  let col = 0;
  for (let i = 0; i < written.length; i++) {
    const c = written[i];
    const csi = /^\x1b\[(\d*)([CDK])/.exec(written.slice(i, i + 8));
    if (csi) {
      const n = Number(csi[1] || 1);
      if (csi[2] === 'C') col += n;
      else if (csi[2] === 'D') col = Math.max(0, col - n);
      else lines[row].length = Math.min(lines[row].length, col);
      i += csi[0].length - 1;
    } else if (c === '\r') col = 0;
    else if (c === '\n') { row++; lines[row] = lines[row] || []; }
    else if (c === '\b') col = Math.max(0, col - 1);
    else {
      while (lines[row].length < col) lines[row].push(' ');
      lines[row][col++] = c;
    }
  }
  return lines.map((line) => line.join('').trimEnd());
}

// Runs the file with the Run command; keys(type) types into its terminal.
// Resolves to the screen once the run has ended (or after 10 s).
function run(file, language, keys) {
  return new Promise((resolve) => {
    let written = '';
    const wait = (pattern) => new Promise((ready) => {
      const poll = setInterval(() => { if (pattern.test(written)) { clearInterval(poll); ready(); } }, 10);
    });
    vscode.window.activeTextEditor = { document: { languageId: language, isUntitled: false, save: async () => true, uri: { fsPath: file } } };
    commands['teachingLanguages.run']().then(() => {
      const timer = setTimeout(() => { terminal.close(); resolve({ screen: screen(written), status: 'timeout' }); }, 10000);
      terminal.onDidWrite((text) => { written += text; });
      terminal.onDidClose((status) => { clearTimeout(timer); setTimeout(() => resolve({ screen: screen(written), status }), 50); });
      terminal.open();
      keys((data) => terminal.handleInput(data), wait);
    });
  });
}

async function main() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'editors-vscode-'));
  let failures = 0;
  let count = 0;
  const check = (name, got, want) => {
    count++;
    if (JSON.stringify(got) !== JSON.stringify(want)) {
      failures++;
      console.log(`FAIL ${name}\n  wanted ${JSON.stringify(want)}\n  got    ${JSON.stringify(got)}`);
    }
  };
  const source = (name, text) => { const file = path.join(dir, name); fs.writeFileSync(file, text); return file; };
  try {
    settings.plimboPath = path.join(build, 'plimbo');
    settings.m4t4Path = path.join(build, 'm4t4');

    let file = source('czech.plb', '{ VRACEE ("Příliš žluťoučký kůň"); } ZDECHNI\n');
    let result = await run(file, 'plimbo', () => {});
    check('UTF-8 output', result.screen.slice(1), ['Příliš žluťoučký kůň', '', 'Game over, uspesne dokonceno!!!', '']);

    // ř split between two reads, a byte that is no UTF-8, and a character
    // cut short by the end of the output.
    const split = source('split.sh', "#!/bin/sh\nprintf 'P\\305'; sleep 0.3; printf '\\231 \\377\\n\\305'\n");
    fs.chmodSync(split, 0o755);
    settings.plimboPath = split;
    result = await run(source('any.plb', ''), 'plimbo', () => {});
    check('a character split between reads', result.screen.slice(1), ['Př \uFFFD', '\uFFFD']);
    settings.plimboPath = path.join(build, 'plimbo');

    // Keys typed one by one, then Enter: the program reads the line as
    // edited (12, so $a*2 prints 24), and the screen shows it so.
    file = source('twice.plb', '{ NASAJ ($a); VRACEE ($a*2); } ZDECHNI\n');
    for (const [name, keys] of [
      ['1 3 Backspace 2', ['1', '3', '\x7f', '2']],
      // Left, 1, Right, and an Up arrow that does nothing.
      ['3 Backspace 2 and the arrows', ['3', '\x7f', '2', '\x1b[D', '1', '\x1b[C', '\x1b[A']],
      // Home, Delete, End; Backspace as ^H.
      ['Home Delete End', ['9', '1', '2', '\x1b[H', '\x1b[3~', '\x1b[F', '3', '\b']],
    ]) {
      result = await run(file, 'plimbo', (type) => { for (const key of keys) type(key); type('\r'); });
      check(`a line edited (${name}), then Enter`, result.screen.slice(1), ['12', '24.000000', '', 'Game over, uspesne dokonceno!!!', '']);
    }

    // Keys in one piece, as a paste brings them, and an arrow split in two.
    result = await run(file, 'plimbo', (type) => { type('5\x1b'); type('[D4\r'); });
    check('a pasted line', result.screen.slice(1), ['45', '90.000000', '', 'Game over, uspesne dokonceno!!!', '']);

    // Ctrl-D on an empty line ends the input: NASAJ reads the empty text.
    file = source('empty.plb', '{ NASAJ ($a); VRACEE ("[" + $a + "]"); } ZDECHNI\n');
    result = await run(file, 'plimbo', (type) => type('\x04'));
    check('Ctrl-D on an empty line', result.screen.slice(1), ['[]', '', 'Game over, uspesne dokonceno!!!', '']);

    // Ctrl-C stops a program that loops for ever.
    file = source('loop.plb', '{ DOKAD (1) { } FINISH; } ZDECHNI\n');
    result = await run(file, 'plimbo', (type) => setTimeout(() => type('\x03'), 300));
    check('Ctrl-C', [result.screen.slice(1), result.status !== 'timeout'], [['^C', '(stopped)', ''], true]);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
  console.log(`vscode run: ${count - failures} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
}

main();
