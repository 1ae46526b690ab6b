// The output pane. Text arrives in pieces of any size and reaches the pane
// once a frame, however many pieces came. The pane keeps its text in blocks,
// one element for each frame's complete lines plus one for the line still
// open, so that new output lays out only the new block; and it renders at
// most RENDER_LIMIT characters, the newest: older blocks leave from the top,
// and a note there says how much is not shown (the whole output can be shown
// once the run is over). New output is followed while the pane shows its
// end; a reader who scrolled up keeps the place.

const RENDER_LIMIT = 200_000; // characters

const block = (text) => {
  const element = document.createElement('span');
  element.className = 'output-block';
  element.textContent = text;
  return element;
};

export class OutputPane {
  constructor(pre) {
    this.pre = pre;
    this.clear();
  }

  // Empties the pane for a new run.
  clear() {
    cancelAnimationFrame(this.frame);
    this.frame = 0;
    this.pieces = []; // everything appended, in order
    this.length = 0; // characters in pieces
    this.pending = ''; // appended, not yet in the pane
    this.rendered = 0; // characters in the pane's blocks
    this.hidden = 0; // characters dropped from the top
    this.note = null; // the note on what is not shown
    this.whole = false; // asked to show the whole output: nothing is dropped
    this.open = block(''); // the last, unfinished line
    this.pre.replaceChildren(this.open);
  }

  // The whole output appended since clear().
  text() {
    if (this.pieces.length > 1) this.pieces = [this.pieces.join('')];
    return this.pieces[0] || '';
  }

  append(text) {
    if (!text) return;
    this.pieces.push(text);
    this.length += text.length;
    this.pending += text;
    if (!this.frame) this.frame = requestAnimationFrame(() => this.flush());
  }

  // Brings the pane up to date now.
  flush() {
    cancelAnimationFrame(this.frame);
    this.frame = 0;
    if (!this.pending) return;
    const { pre } = this;
    const atEnd = pre.scrollHeight - pre.scrollTop - pre.clientHeight < 4;
    const text = this.open.textContent + this.pending;
    this.rendered += this.pending.length;
    this.pending = '';
    const cut = text.lastIndexOf('\n') + 1;
    if (cut > 0) {
      this.open.textContent = text.slice(0, cut);
      this.open = block(text.slice(cut));
      pre.append(this.open);
    } else {
      this.open.textContent = text;
    }
    if (this.rendered > RENDER_LIMIT && !this.whole) this.trim(atEnd);
    if (atEnd) pre.scrollTop = pre.scrollHeight;
  }

  // Drops the oldest blocks until the pane is within its limit; a reader
  // who scrolled up sees the same text afterwards.
  trim(atEnd) {
    const { pre } = this;
    let height = 0;
    while (this.rendered > RENDER_LIMIT) {
      const first = this.note ? this.note.nextSibling : pre.firstChild;
      if (first === this.open) { // one very long line: keep its end
        const drop = this.rendered - RENDER_LIMIT;
        this.open.textContent = this.open.textContent.slice(drop);
        this.rendered -= drop;
        this.hidden += drop;
        break;
      }
      if (!atEnd) height += first.offsetHeight;
      this.rendered -= first.textContent.length;
      this.hidden += first.textContent.length;
      first.remove();
    }
    if (!this.note) {
      this.note = document.createElement('span');
      this.note.className = 'output-note';
      this.note.append(document.createElement('span'));
      pre.prepend(this.note);
    }
    this.note.firstChild.textContent = `… ${Math.round(this.hidden / 1000)} thousand characters of earlier output are not shown.`;
    if (!atEnd) pre.scrollTop = Math.max(0, pre.scrollTop - height);
  }

  // The run is over: the pane shows the tail of the output, with the span
  // made by `mark` in place of the characters from `start` to `end` when they
  // are within what the pane shows, and a button for the whole output.
  finish(start = -1, end = -1, mark = null) {
    this.flush();
    const text = this.text();
    const from = Math.max(0, text.length - this.rendered);
    if (mark && start >= from) {
      const { scrollTop } = this.pre;
      const whole = document.createElement('span');
      whole.className = 'output-block';
      whole.append(text.slice(from, start), mark(text.slice(start, end)), text.slice(end));
      this.pre.replaceChildren(...(this.note ? [this.note] : []), whole);
      this.open = block('');
      this.pre.append(this.open);
      this.pre.scrollTop = scrollTop;
    }
    if (this.note && !this.note.querySelector('button')) {
      const all = document.createElement('button');
      all.type = 'button';
      all.textContent = 'Show the whole output';
      all.addEventListener('click', () => {
        const text = this.text();
        this.whole = true;
        this.hidden = 0;
        this.rendered = text.length;
        this.open = block(text);
        this.pre.replaceChildren(this.open);
        this.note = null;
      });
      this.note.append(' ', all);
    }
  }
}
