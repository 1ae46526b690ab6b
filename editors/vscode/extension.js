// The Run command: runs the current file with its interpreter in a terminal
// whose output the language's problem matchers read, so every message lands
// in the Problems panel at the line it prints. Typed input goes to the
// program (NASAJ, cti read it); Ctrl-D ends the input, Ctrl-C stops the run.
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

// A terminal that runs the program and shows its output as it comes.
function terminal(language, program, file) {
  const write = new vscode.EventEmitter();
  const close = new vscode.EventEmitter();
  const show = (text) => write.fire(text.replace(/\r?\n/g, '\r\n'));
  let run = null;
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
      run.child.stdout.on('data', (data) => show(data.toString('latin1')));
      run.child.stderr.on('data', (data) => show(data.toString('latin1')));
      run.child.on('error', (error) => {
        show(`${program}: ${error.message} (set teachingLanguages.${language}Path)\n`);
      });
      run.child.on('close', (status) => {
        run.cleanup();
        if (status !== 0) show(`(exit status ${status})\n`);
        close.fire(status ?? 1);
      });
    },
    handleInput(data) {
      if (!run) return;
      if (data === '\x03') { run.child.kill(); return; }
      if (data === '\x04') { run.child.stdin.end(); return; }
      show(data.replace(/\r/g, '\n'));
      run.child.stdin.write(data.replace(/\r/g, '\n'));
    },
    close() {
      if (run && run.child.exitCode === null) run.child.kill();
    },
  };
}

function deactivate() {}

module.exports = { activate, deactivate };
