// The relay: a worker between the runner workers (worker.js) and the page.
// A runner sends every write of its program at once (see worker.js), which
// may be hundreds of thousands of messages a second; the relay, which runs
// no program and so is never busy for long, joins them and hands the page at
// most one piece of output every FLUSH_MS, so that the page's own thread is
// free for the reader. It lives as long as the page; runners come and go.
//
//   page -> relay (relay.postMessage)
//     { type: 'attach', port }   a new runner's channel: its messages come here
//   relay -> page (relay's postMessage)
//     every message of every runner, in the order each runner sent them,
//     with the 'out' messages of a run joined into fewer, larger ones:
//     { type: 'out', id, bytes, from, to }, from and to the times of the
//     first and the last write joined
//
// A runner's port stays open after the runner is terminated until what it
// posted before has been read, so a Stop loses no output here either.

const FLUSH_MS = 8;
const FLUSH_BYTES = 1 << 16;

let pending = null; // { id, parts, size, from, to }: output not handed on yet
let lastFlush = 0;
let timer = 0;

function flush() {
  clearTimeout(timer);
  timer = 0;
  lastFlush = performance.now();
  if (!pending) return;
  const bytes = new Uint8Array(pending.size);
  let at = 0;
  for (const part of pending.parts) { bytes.set(part, at); at += part.length; }
  postMessage({ type: 'out', id: pending.id, bytes, from: pending.from, to: pending.to }, [bytes.buffer]);
  pending = null;
}

function fromRunner({ data }) {
  if (data.type !== 'out') {
    flush(); // what the run printed goes before what is said about it
    postMessage(data);
    return;
  }
  if (pending && pending.id !== data.id) flush();
  if (!pending) pending = { id: data.id, parts: [], size: 0, from: data.at, to: data.at };
  pending.parts.push(data.bytes);
  pending.size += data.bytes.length;
  pending.to = data.at;
  if (pending.size >= FLUSH_BYTES || performance.now() - lastFlush >= FLUSH_MS) flush();
  else if (!timer) timer = setTimeout(flush, FLUSH_MS);
}

self.onmessage = ({ data }) => {
  if (data.type === 'attach') data.port.onmessage = fromRunner;
};
