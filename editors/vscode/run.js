// How the Run command starts a program on a file, without VS Code: the
// extension and its tests share it.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

// The problem matchers of each language (package.json names them).
const MATCHERS = {
  plimbo: ['$plimbo', '$plimbo-unfinished', '$plimbo-unread', '$plimbo-unopened'],
  m4t4: ['$m4t4', '$m4t4-unfinished', '$m4t4-unfinished-after-output', '$m4t4-unopened', '$m4t4-unclosed'],
  vexa: [],
};

// The line written before the program's output: it shows what runs, and a
// failure with no message of its own always has a line before it.
function header(program, file) {
  return `> ${program} ${file}`;
}

// Starts program on file; vexa reads only zdrojak.vexa in its folder, so it
// gets a copy under that name in a new folder. Returns the child process;
// cleanup() removes what was made for it.
function start(language, program, file) {
  if (language !== 'vexa') {
    const child = spawn(program, [file], { cwd: path.dirname(file) });
    return { child, cleanup: () => {} };
  }
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-'));
  fs.copyFileSync(file, path.join(dir, 'zdrojak.vexa'));
  const child = spawn(program, [], { cwd: dir });
  return { child, cleanup: () => fs.rmSync(dir, { recursive: true, force: true }) };
}

module.exports = { MATCHERS, header, start };
