// Runs one program per request in a fresh WebAssembly instance: the source is
// written to the instance's in-memory file system, standard input is handed
// over byte by byte, and standard output travels back to the page in chunks
// as it is produced, so that a stopped run still shows what it printed.

import { PROGRAMS, OUTPUT_LIMIT } from './programs.js';

const compiled = new Map(); // program name -> Promise of { factory, module }

function load(name) {
  if (!compiled.has(name)) {
    compiled.set(name, (async () => {
      importScripts(`${name}.js`);
      const factory = self[PROGRAMS[name].factory];
      const response = await fetch(`${name}.wasm`);
      const module = await WebAssembly.compile(await response.arrayBuffer());
      return { factory, module };
    })());
  }
  return compiled.get(name);
}

class OutputLimitReached extends Error {}

async function run({ id, program, source, input }) {
  const spec = PROGRAMS[program];
  const { factory, module } = await load(program);

  let chunk = new Uint8Array(64 * 1024);
  let used = 0;
  let total = 0;
  let lastSent = performance.now();
  const send = () => {
    if (used > 0) {
      const bytes = chunk.slice(0, used);
      postMessage({ type: 'out', id, bytes }, [bytes.buffer]);
      used = 0;
    }
    lastSent = performance.now();
  };
  // Past the limit the page is told at once and ends the run by terminating
  // this worker: a program may go on after a failed write.
  let limitReached = false;
  const writeOut = (c) => {
    if (total >= OUTPUT_LIMIT) {
      if (!limitReached) {
        limitReached = true;
        send();
        postMessage({ type: 'done', id, status: null, ended: 'output', message: '',
          stderr: new Uint8Array(0), ms: performance.now() - started });
      }
      throw new OutputLimitReached();
    }
    chunk[used++] = c & 255;
    total++;
    if (used === chunk.length || ((total & 4095) === 0 && performance.now() - lastSent > 100)) send();
  };
  const errors = [];
  const writeErr = (c) => { if (errors.length < 65536) errors.push(c & 255); };
  let inputAt = 0;
  const started = performance.now();
  const readIn = () => (inputAt < input.length ? input[inputAt++] : null);

  const instance = await factory({
    thisProgram: `./${program}`,
    noInitialRun: true,
    // exit() and a return from main both end in quit: unwind back to callMain.
    quit: (status, toThrow) => { throw toThrow; },
    print: () => {},
    printErr: () => {},
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(module, imports).then((inst) => receive(inst));
      return {};
    },
    preRun: [(m) => m.FS.init(readIn, writeOut, writeErr)],
  });
  instance.FS.writeFile(spec.file, source);

  let status = null;
  let ended = 'exit';
  let message = '';
  try {
    status = instance.callMain(spec.args);
  } catch (e) {
    if (!(e instanceof OutputLimitReached)) {
      ended = 'crash';
      message = String(e && e.message ? e.message : e);
      if (e instanceof RangeError) {
        message = 'the program nests deeper than the browser\'s stack allows '
          + '(the command-line program allows deeper nesting)';
      }
      // What the program printed before the trap may still sit in its output
      // buffer: the memory is intact, so hand it over before reporting.
      try { instance._fflush(0); } catch { /* the instance is beyond use */ }
    }
  }
  if (limitReached) return;
  send();
  postMessage({
    type: 'done', id, status, ended, message,
    stderr: new Uint8Array(errors), ms: performance.now() - started,
  });
}

self.onmessage = (event) => {
  const request = event.data;
  if (request.type === 'run') {
    run(request).catch((e) => postMessage({
      type: 'done', id: request.id, status: null, ended: 'crash',
      message: String(e && e.message ? e.message : e), stderr: new Uint8Array(0), ms: 0,
    }));
  } else if (request.type === 'preload') {
    load(request.program).catch(() => {});
  }
};
postMessage({ type: 'ready' });
