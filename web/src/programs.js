// What the page knows about each program: how its worker instance is made and
// started, the file its source goes to, and the command-line arguments.
// Each has a second build for stepping through a run (<name>_steps, made
// by <factory>Steps), the program with its event hooks on (web/EVENTS.md).
export const PROGRAMS = {
  plimbo: { factory: 'createPlimbo', file: 'program.plb', args: ['program.plb'], ext: 'plb', reads: true },
  m4t4: { factory: 'createM4t4', file: 'program.m4t', args: ['program.m4t'], ext: 'm4t', reads: true },
  vexa: { factory: 'createVexa', file: 'zdrojak.vexa', args: [], ext: 'vexa', reads: false },
};
export const DEFAULT_PROGRAM = 'plimbo';

// Whether `name` is one of the programs. A link or the storage may hold any
// text, "constructor" or "__proto__" too: only the table's own names count.
export const known = (name) => typeof name === 'string' && Object.prototype.hasOwnProperty.call(PROGRAMS, name);

export const TIME_LIMIT_MS = 10_000;
export const OUTPUT_LIMIT = 1 << 20; // bytes

// The longest address a share link may have: Firefox takes at most 1 MiB,
// Chromium 2 MiB; a longer program is not put into a link.
export const LINK_LIMIT = 1 << 20; // characters

// The most steps a stepped run may take: past it the run is stopped, and the
// page says so.
export const STEP_BOUND = 1_000_000;
