// Runs one program per request in a fresh WebAssembly instance: the source is
// written to the instance's in-memory file system, standard input is handed
// over byte by byte, and every write the program makes to standard output is
// sent to the page at once, so that a program that prints and then loops for
// ever shows what it printed, and a Stop (which terminates this worker) loses
// none of it. A terminated worker that is busy runs on for a while (Chromium
// ends it by force after 2 s): each write says when it was made, so that the
// page can leave out what was printed after the Stop.
//
// Messages. The page makes a worker and a MessageChannel for it, gives the
// channel's first port to the relay (relay.js), which hands on to the page
// what comes through it, and sends the second port here first; the worker
// answers through that port only. What was posted on the port before the
// worker was terminated still arrives (messages of the worker's own
// postMessage would be dropped).
//
//   page -> worker (worker.postMessage)
//     { type: 'connect', port }       the port for every answer; sent first
//     { type: 'preload', program, steps }
//                                     fetch and compile a program (its stepping
//                                     build when steps) before its first run
//     { type: 'run', id, program, source, input }
//                                     one run; source and input are UTF-8 bytes
//     { type: 'steps', id, program, source, input, unit, from, count, breakpoints }
//                                     a run of the stepping build that reports
//                                     count steps from step from (with
//                                     breakpoints, [[first, end], ...] byte
//                                     ranges of the source, from the first that
//                                     comes to one of them); unit 0 statements,
//                                     1 tokens
//   worker -> page (the port, through the relay)
//     { type: 'ready' }               the worker listens
//     { type: 'out', id, bytes, at }  one write of the program to standard output,
//                                     at: when (performance.timeOrigin + performance.now())
//     { type: 'done', id, ended, status, message, stderr, ms }
//         ended 'exit':   main returned or called exit; status is its exit status
//               'output': the output reached OUTPUT_LIMIT; the program may still
//                         be running, so the page terminates the worker
//               'crash':  the instance trapped or could not start; see message
//         stderr: what the program wrote to standard error (UTF-8 bytes)
//         ms: the run's time
//     { type: 'steps', id, steps, table, output, ended, status, message, ms }
//         steps: the step lines of web/EVENTS.md, parsed, each with out (the
//                bytes of output printed before it) and its span's end filled in
//         table: vexa's automaton (the "table" line), else null
//         output: what the program printed (UTF-8 bytes), at least up to the
//                 last step reported
//         ended 'end': the run ended (its last step is the "end" step)
//               'cut': stopped after the steps asked for; 'bound': stopped at
//               STEP_BOUND steps; 'output': the output reached OUTPUT_LIMIT;
//               'crash': see message
//
// A worker runs one request at a time; every message about a run carries the
// run's id, and a new kind of request (a step of a debugger, say) does too.

import { PROGRAMS, OUTPUT_LIMIT, STEP_BOUND, known } from './programs.js';

const compiled = new Map(); // build name -> Promise of { factory, module }
let port = null;

// The program's build, or its stepping build.
function load(program, steps = false) {
  const name = steps ? `${program}_steps` : program;
  if (!compiled.has(name)) {
    compiled.set(name, (async () => {
      importScripts(`${name}.js`);
      const factory = self[`${PROGRAMS[program].factory}${steps ? 'Steps' : ''}`];
      const response = await fetch(`${name}.wasm`);
      const module = await WebAssembly.compile(await response.arrayBuffer());
      return { factory, module };
    })());
  }
  return compiled.get(name);
}

const EIO = 29; // the file system's errno for a failed write

// A fresh instance of the compiled module, not yet run: standard input reads
// the bytes of input, standard error goes to writeErr byte by byte, and
// setUp(module) then sets up the rest of the file system.
function instantiate(factory, module, program, input, writeErr, setUp) {
  let inputAt = 0;
  const readIn = () => (inputAt < input.length ? input[inputAt++] : null);
  return factory({
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
    preRun: [(m) => {
      // The file system's own device writes byte by byte and cannot tell
      // where a write ends: standard output gets a write of whole buffers.
      m.FS.init(readIn, () => {}, writeErr);
      setUp(m);
    }],
  });
}

async function run({ id, program, source, input }) {
  const spec = PROGRAMS[program];
  const { factory, module } = await load(program);
  const started = performance.now();

  // Standard output: each write goes to the page as it is made. Past the limit
  // the page is told at once and ends the run by terminating this worker; the
  // program, which may go on after a failed write, gets EIO meanwhile.
  let total = 0;
  let limitReached = false;
  const writeOut = (FS) => (stream, buffer, offset, length) => {
    const fits = Math.min(length, OUTPUT_LIMIT - total);
    if (fits > 0) {
      const bytes = new Uint8Array(buffer.buffer, buffer.byteOffset + offset, fits).slice();
      port.postMessage({ type: 'out', id, bytes, at: performance.timeOrigin + performance.now() }, [bytes.buffer]);
      total += fits;
    }
    if (fits === length) return length;
    if (!limitReached) {
      limitReached = true;
      port.postMessage({ type: 'done', id, status: null, ended: 'output', message: '',
        stderr: new Uint8Array(0), ms: performance.now() - started });
    }
    throw new FS.ErrnoError(EIO);
  };
  const errors = [];
  const writeErr = (c) => { if (errors.length < 65536) errors.push(c & 255); };
  const instance = await instantiate(factory, module, program, input, writeErr, (m) => {
    m.FS.getStream(1).stream_ops.write = writeOut(m.FS);
  });
  instance.FS.writeFile(spec.file, source);

  let status = null;
  let ended = 'exit';
  let message = '';
  try {
    status = instance.callMain(spec.args);
  } catch (e) {
    if (!limitReached) {
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
  port.postMessage({
    type: 'done', id, status, ended, message,
    stderr: new Uint8Array(errors), ms: performance.now() - started,
  });
}

// Thrown from the output's write at OUTPUT_LIMIT: it ends the stepped run.
class OutputLimit extends Error {}

async function steps({ id, program, source, input, unit, from, count, breakpoints }) {
  const spec = PROGRAMS[program];
  const { factory, module } = await load(program, true);
  const started = performance.now();
  const output = [];
  let total = 0;
  const writeOut = (stream, buffer, offset, length) => {
    const fits = Math.min(length, OUTPUT_LIMIT - total);
    output.push(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, fits).slice());
    total += fits;
    if (fits < length) throw new OutputLimit();
    return length;
  };
  // The event lines arrive on a device of their own, each as it is written:
  // a step line comes after the output printed before it (events.cpp writes
  // that out first), so total then counts that output.
  const found = [];
  let table = null;
  let ended = 'end';
  let pending = '';
  const ascii = new TextDecoder(); // the lines are ASCII: events.cpp escapes every other byte
  const spans = (did) => {
    for (const e of did || []) {
      if (e.e !== 'span') continue;
      const step = found.find((s) => s.n === e.n);
      if (step) step.at = [step.at[0], e.end];
    }
  };
  const line = (text) => {
    const event = JSON.parse(text);
    if (event.e === 'table') table = event;
    else if (event.e === 'step') { spans(event.did); event.out = total; found.push(event); }
    else if (event.e === 'cut' || event.e === 'bound') { spans(event.did); ended = event.e; }
  };
  const writeEvents = (stream, buffer, offset, length) => {
    pending += ascii.decode(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length));
    for (let at = pending.indexOf('\n'); at >= 0; at = pending.indexOf('\n')) {
      line(pending.slice(0, at));
      pending = pending.slice(at + 1);
    }
    return length;
  };
  const instance = await instantiate(factory, module, program, input, () => {}, (m) => {
    m.FS.getStream(1).stream_ops.write = writeOut;
    const device = m.FS.makedev(64, 0);
    m.FS.registerDevice(device, { open: () => {}, close: () => {}, read: () => 0, write: writeEvents });
    m.FS.mkdev('/dev/steps', device);
  });
  instance.FS.writeFile(spec.file, source);
  const events = instance.FS.open('/dev/steps', 'w');
  instance._steps_configure(events.fd, unit, from, count, STEP_BOUND);
  for (const [first, end] of breakpoints || []) instance._steps_breakpoint(first, end);
  let status = null;
  let message = '';
  try {
    status = instance.callMain(spec.args);
  } catch (e) {
    if (e instanceof OutputLimit) {
      ended = 'output';
    } else if (!(e && e.name === 'ExitStatus')) {
      ended = 'crash';
      message = e instanceof RangeError
        ? 'the program nests deeper than the browser\'s stack allows (the command-line program allows deeper nesting)'
        : String(e && e.message ? e.message : e);
    } else {
      status = e.status;
    }
  }
  // The end step's output is all the run printed.
  const last = found[found.length - 1];
  if (ended === 'end' && last && last.kind === 'end') last.out = total;
  const bytes = new Uint8Array(total);
  let at = 0;
  for (const part of output) { bytes.set(part, at); at += part.length; }
  port.postMessage({ type: 'steps', id, steps: found, table, output: bytes, ended, status, message,
    ms: performance.now() - started }, [bytes.buffer]);
}

self.onmessage = (event) => {
  const request = event.data;
  const failed = (e) => port.postMessage({
    type: request.type === 'steps' ? 'steps' : 'done', id: request.id, status: null, ended: 'crash',
    message: String(e && e.message ? e.message : e), stderr: new Uint8Array(0), ms: 0,
    steps: [], table: null, output: new Uint8Array(0),
  });
  if (request.type === 'connect') {
    port = request.port;
    port.postMessage({ type: 'ready' });
  } else if (request.type === 'run') {
    run(request).catch(failed);
  } else if (request.type === 'steps' && known(request.program)) {
    steps(request).catch(failed);
  } else if (request.type === 'preload' && known(request.program)) {
    load(request.program, request.steps === true).catch(() => {});
  }
};
