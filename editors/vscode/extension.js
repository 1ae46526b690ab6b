// The Run command: runs the current file with its interpreter in a terminal
// whose output the language's problem matchers read, so every message lands
// in the Problems panel at the line it prints. A line typed in the terminal
// goes to the program (NASAJ, cti read it) on Enter; Ctrl-D on an empty line
// ends the input, Ctrl-C stops the run.
'use strict';
const vscode = require('vscode');
const { MATCHERS, header, start } = require('./run');

const LANGUAGES = ['plimbo', 'm4t4', 'vexa'];

function activate(context) {
  context.subscriptions.push(vscode.commands.registerCommand('teachingLanguages.run', runCurrentFile));
}

async function runCurrentFile() {
  const editor = vscode.window.activeTextEditor;
  if (!editor || !LANGUAGES.includes(editor.document.languageId)) {
    vscode.window.showErrorMessage('Run: open a plimbo, m4t4 or vexa file first.');
    return;
  }
  const document = editor.document;
  if (document.isUntitled || !(await document.save())) {
    vscode.window.showErrorMessage('Run: save the file first.');
    return;
  }
  const language = document.languageId;
  const file = document.uri.fsPath;
  const program = vscode.workspace.getConfiguration('teachingLanguages').get(`${language}Path`) || language;
  const task = new vscode.Task(
    { type: 'teaching-languages', file },
    vscode.workspace.getWorkspaceFolder(document.uri) || vscode.TaskScope.Global,
    `${language} ${require('path').basename(file)}`,
    language,
    new vscode.CustomExecution(async () => terminal(language, program, file)),
    MATCHERS[language]);
  task.presentationOptions = { reveal: vscode.TaskRevealKind.Always, focus: true, clear: true };
  await vscode.tasks.executeTask(task);
}

// A terminal that runs the program and shows its output as it comes, and
// lets the student type and edit a line before it goes to the program.
function terminal(language, program, file) {
  const write = new vscode.EventEmitter();
  const close = new vscode.EventEmitter();
  const show = (text) => write.fire(text.replace(/\r?\n/g, '\r\n'));
  const typed = new LineEditor(write.fire.bind(write));
  // The output as UTF-8, decoded as it streams (a character split between
  // two reads comes out whole); bytes that are no UTF-8 show as U+FFFD, as
  // in the playground. The line being typed stays below it.
  const output = (text) => {
    if (text === '') return;
    typed.hide();
    show(text);
    typed.redraw();
  };
  const decoders = { stdout: new TextDecoder(), stderr: new TextDecoder() };
  let run = null;
  let inputEnded = false;
  return {
    onDidWrite: write.event,
    onDidClose: close.event,
    open() {
      show(header(program, file) + '\n');
      try {
        run = start(language, program, file);
      } catch (error) {
        show(`${error.message}\n`);
        close.fire(1);
        return;
      }
      for (const stream of ['stdout', 'stderr']) {
        run.child[stream].on('data', (data) => output(decoders[stream].decode(data, { stream: true })));
      }
      // A line typed after the program stopped reading is dropped.
      run.child.stdin.on('error', () => {});
      run.child.on('error', (error) => {
        output(`${program}: ${error.message} (set teachingLanguages.${language}Path)\n`);
      });
      run.child.on('close', (status, signal) => {
        run.cleanup();
        output(decoders.stdout.decode() + decoders.stderr.decode());
        typed.clear();
        if (signal) show('(stopped)\n');
        else if (status !== 0) show(`(exit status ${status})\n`);
        run = null;
        close.fire(status ?? 1);
      });
    },
    handleInput(data) {
      if (!run) return;
      typed.keys(data, {
        line: (text) => { if (!inputEnded) run.child.stdin.write(text); },
        end: () => { inputEnded = true; run.child.stdin.end(); },
        stop: () => run.child.kill(),
      });
    },
    close() {
      if (run && run.child.exitCode === null) run.child.kill();
    },
  };
}

// The line the student is typing, edited as a terminal in line mode edits
// it: echo, Backspace and Delete, Left, Right, Home and End within the line;
// Enter sends it with its line break, Ctrl-D sends what is typed (on an
// empty line it ends the input), Ctrl-C stops the run. Other escape
// sequences and control keys are dropped. One character is one column.
class LineEditor {
  constructor(write) {
    this.write = write;
    this.text = [];  // the characters typed, not yet sent
    this.cursor = 0;  // the cursor's place among them
    this.escape = null;  // an escape sequence read so far, until it ends
  }

  keys(data, send) {
    // The Escape key alone, not the start of a sequence.
    if (data === '\x1b' && this.escape === null) return;
    for (const c of data) {
      if (this.escape !== null) this.escapeKey(c);
      else if (c === '\x1b') this.escape = '';
      else if (c === '\r' || c === '\n') {
        // \r\n from a paste is one line break.
        if (!(c === '\n' && this.lastKey === '\r')) this.enter(send);
      } else if (c === '\x7f' || c === '\b') {
        if (this.cursor > 0) { this.cursor--; this.write('\b'); this.remove(); }
      } else if (c === '\x03') {
        this.write('^C\r\n'); this.reset(); send.stop();
      } else if (c === '\x04') {
        if (this.text.length === 0) send.end();
        else { send.line(this.text.join('')); this.reset(); }
      } else if (c >= ' ') this.insert(c);
      this.lastKey = c;
    }
  }

  // CSI (ESC [ parameters, a final byte from @ to ~) and SS3 (ESC O, a letter).
  escapeKey(c) {
    this.escape += c;
    const sequence = this.escape;
    if (sequence === '[' || sequence === 'O' || (sequence[0] === '[' && c >= ' ' && c < '@')) return;
    this.escape = null;
    const key = { '[D': 'left', OD: 'left', '[C': 'right', OC: 'right', '[H': 'home', OH: 'home', '[1~': 'home',
      '[F': 'end', OF: 'end', '[4~': 'end', '[3~': 'delete' }[sequence];
    if (key === 'left' && this.cursor > 0) this.move(-1);
    else if (key === 'right' && this.cursor < this.text.length) this.move(1);
    else if (key === 'home') this.move(-this.cursor);
    else if (key === 'end') this.move(this.text.length - this.cursor);
    else if (key === 'delete' && this.cursor < this.text.length) this.remove();
  }

  enter(send) {
    this.move(this.text.length - this.cursor);
    this.write('\r\n');
    const line = this.text.join('') + '\n';
    this.reset();
    send.line(line);
  }

  insert(c) {
    this.text.splice(this.cursor, 0, c);
    this.cursor++;
    this.write(c + this.rest());
    this.back(this.text.length - this.cursor);
  }

  // Takes out the character at the cursor and redraws the rest of the line.
  remove() {
    this.text.splice(this.cursor, 1);
    this.write(this.rest() + ' ');
    this.back(this.text.length - this.cursor + 1);
  }

  move(n) {
    if (n < 0) this.back(-n);
    else if (n > 0) this.write(`\x1b[${n}C`);
    this.cursor += n;
  }

  back(n) {
    if (n > 0) this.write(`\x1b[${n}D`);
  }

  rest() {
    return this.text.slice(this.cursor).join('');
  }

  reset() {
    this.text = [];
    this.cursor = 0;
  }

  // Output goes where the typed line began; the line is then drawn again.
  hide() {
    if (this.text.length === 0) return;
    this.back(this.cursor);
    this.write('\x1b[K');
  }

  redraw() {
    if (this.text.length === 0) return;
    this.write(this.text.join(''));
    this.back(this.text.length - this.cursor);
  }

  // The run has ended: what was typed and not sent goes.
  clear() {
    this.hide();
    this.reset();
  }
}

function deactivate() {}

module.exports = { activate, deactivate };
