// What the page knows about each program: how its worker instance is made and
// started, the file its source goes to, and the command-line arguments.
export const PROGRAMS = {
  plimbo: { factory: 'createPlimbo', file: 'program.plb', args: ['program.plb'], ext: 'plb', reads: true },
  m4t4: { factory: 'createM4t4', file: 'program.m4t', args: ['program.m4t'], ext: 'm4t', reads: true },
  vexa: { factory: 'createVexa', file: 'zdrojak.vexa', args: [], ext: 'vexa', reads: false },
};

export const TIME_LIMIT_MS = 10_000;
export const OUTPUT_LIMIT = 1 << 20; // bytes
