// Compares the editors' highlighting with the programs' own scanners.
//
//   node compare_tokens.mjs --editor textmate|vim (--lister BIN | --listings)
//        [--vim PATH] SOURCE_OR_FOLDER...
//
// Every source (a *.plb, *.m4t or *.vexa file; folders are searched) is
// listed by its program's scanner: with --lister, BIN <program> <file> prints
// "start end type" lines, the type by the name its program gives it; with
// --listings, the listing is the file <source>.tokens beside it. TextMate: the source is tokenised with the
// extension's grammar and every listed token must be one grammar token with
// the same start, end and class. Vim: the syntax group at every listed
// piece's first character must give the piece's class. Blanks and comments
// are compared like tokens. A piece the grammars are known not to follow (see
// languages.mjs) is reported with its reason, as is every mismatch after it
// until the two agree again; any other mismatch fails the run.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  LANGUAGES, scopeCategory, isRegionScope, vimGroupCategory, categoriesOf, uncleanReason,
  classQuirk, languageOfFile, parseListing, checkCoverage,
} from './languages.mjs';
import { loadGrammars } from './textmate.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);

function parseArgs(argv) {
  const args = { editor: 'textmate', lister: null, listings: false, vim: 'vim', sources: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--editor') args.editor = argv[++i];
    else if (a === '--lister') args.lister = argv[++i];
    else if (a === '--listings') args.listings = true;
    else if (a === '--vim') args.vim = argv[++i];
    else args.sources.push(a);
  }
  if (!args.lister && !args.listings) throw new Error('give --lister BIN or --listings');
  return args;
}

function findSources(paths) {
  const found = [];
  const visit = (p) => {
    const stat = fs.statSync(p);
    if (stat.isDirectory()) {
      for (const entry of fs.readdirSync(p).sort()) visit(path.join(p, entry));
    } else if (languageOfFile(p)) {
      found.push(p);
    }
  };
  paths.forEach(visit);
  return found;
}

function listingOf(args, lang, file) {
  const text = args.listings
    ? fs.readFileSync(`${file}.tokens`, 'latin1')
    : execFileSync(args.lister, [LANGUAGES[lang].program, file], { encoding: 'latin1', maxBuffer: 1 << 28 });
  return parseListing(text);
}

// The grammar's tokens of the whole text as segments {start, end, category}:
// a begin/end region (a string, a block comment) is one segment over all its
// tokens and lines. Offsets are byte offsets: the text is read as Latin-1.
function textmateSegments(grammar, text) {
  const segments = [];
  let stack = null;
  let lineStart = 0;
  let previous = null;  // the segment of the last token, while it may go on
  for (const line of text.split('\n')) {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    for (const token of result.tokens) {
      const start = lineStart + token.startIndex;
      const end = lineStart + Math.min(token.endIndex, line.length);
      if (end <= start) continue;
      const top = token.scopes[1];
      const begins = token.scopes.some((s) => /\.begin\./.test(s));
      if (previous && previous.scope === top && isRegionScope(top) && !begins && previous.end === start) {
        previous.end = end;
        continue;
      }
      previous = { start, end, scope: top, category: scopeCategory(token.scopes) };
      segments.push(previous);
    }
    // A region open at the end of the line goes on over the line break.
    if (previous && isRegionScope(previous.scope) && previous.end === lineStart + line.length &&
        stackInsideRegion(stack) && lineStart + line.length < text.length) {
      previous.end++;
    } else {
      previous = null;
    }
    lineStart += line.length + 1;
  }
  return segments;
}

function stackInsideRegion(stack) {
  // A rule stack deeper than the grammar's root is inside a begin/end rule.
  return stack && stack.depth > 1;
}

// The characters each scanner takes as blanks.
const BLANKS = { plimbo: ' \t\n\r\x0b\x0c', m4t4: ' \t\n', vexa: ' \t\n' };
const isBlankIn = (lang, c) => BLANKS[lang].includes(c);

// Compares one listing with the TextMate segments; calls report for every
// token compared.
function compareTextmate(lang, text, pieces, segments, report) {
  const byStart = new Map(segments.map((s) => [s.start, s]));
  const categoryAt = new Array(text.length).fill('space');
  for (const s of segments) for (let i = s.start; i < s.end; i++) categoryAt[i] = s.category;
  for (const piece of pieces) {
    const accepted = categoriesOf(lang, piece.type);
    const pieceText = text.slice(piece.start, piece.end);
    if (!accepted) { report(piece, pieceText, `unknown class ${piece.type}`); continue; }
    if (accepted.includes('end')) continue;
    if (accepted.includes('space')) {
      // Blanks, and characters the scanner skips like blanks.
      let problem = null;
      for (let i = piece.start; i < piece.end; i++) {
        const want = isBlankIn(lang, text[i]) ? 'space' : 'invalid';
        if (!accepted.includes(want)) problem = `a ${JSON.stringify(text[i])} in a blank piece`;
        else if (text[i] !== '\n' && categoryAt[i] !== want) problem = `${JSON.stringify(text[i])} at ${i} is ${categoryAt[i]}, not ${want}`;
      }
      report(piece, pieceText, problem);
      continue;
    }
    if (accepted.includes('error')) {
      // The lister stops here: the grammar marks the start as an error.
      report(piece, pieceText, categoryAt[piece.start] === 'error' ? null : `${categoryAt[piece.start]} where the lister stops`, true);
      return;
    }
    // A line comment's line break is not part of any grammar token.
    const end = accepted.includes('comment') && pieceText.endsWith('\n') && !pieceText.startsWith(':!') &&
      !pieceText.startsWith('/*') && !pieceText.startsWith('[[') ? piece.end - 1 : piece.end;
    const segment = byStart.get(piece.start);
    let problem = null;
    if (!segment) problem = `no grammar token starts here (inside ${categoryAt[piece.start]})`;
    else if (segment.end !== end) problem = `the grammar token ends at ${segment.end}, not ${end}`;
    else if (!accepted.includes(segment.category)) problem = `the grammar says ${segment.category}, the scanner ${accepted.join(' or ')}`;
    report(piece, pieceText, problem);
  }
}

// Runs Vim once over all sources; returns, per source, the group names at the
// given byte offsets.
function vimGroups(vim, jobs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'editors-vim-'));
  try {
    const jobFile = path.join(dir, 'jobs');
    const outFile = path.join(dir, 'groups');
    const lines = [];
    for (const job of jobs) {
      lines.push(`F ${job.file}`);
      lines.push(job.offsets.join(' '));
    }
    fs.writeFileSync(jobFile, lines.join('\n') + '\n');
    execFileSync(vim, ['-Nu', 'NONE', '-i', 'NONE', '-n', '-es',
      '--cmd', `set rtp^=${path.join(here, '..', 'vim')} encoding=latin1`,
      '-c', `let g:jobs = '${jobFile}' | let g:out = '${outFile}'`,
      '-S', path.join(here, 'vim_groups.vim')], { stdio: ['ignore', 'inherit', 'inherit'], timeout: 120000 });
    const out = fs.readFileSync(outFile, 'latin1').split('\n');
    return jobs.map((_, i) => (out[i] === undefined || out[i] === '' ? [] : out[i].split(' ')).map((g) => (g === '-' ? '' : g)));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// Compares the Vim group at each piece's first character with its class.
function compareVim(lang, text, pieces, groups, report) {
  let g = 0;
  for (const piece of pieces) {
    const accepted = categoriesOf(lang, piece.type);
    const pieceText = text.slice(piece.start, piece.end);
    if (!accepted) { report(piece, pieceText, `unknown class ${piece.type}`); continue; }
    if (piece.end === piece.start) continue;
    const category = vimGroupCategory(groups[g++] ?? '');
    let want = accepted;
    if (accepted.includes('space')) want = [isBlankIn(lang, text[piece.start]) ? 'space' : 'invalid'];
    if (accepted.includes('error')) { report(piece, pieceText, category === 'error' ? null : `${category} where the lister stops`, true); return; }
    report(piece, pieceText, want.includes(category) ? null : `Vim says ${category}, the scanner ${want.join(' or ')}`);
  }
}

async function main() {
  const args = parseArgs(process.argv.slice(2));
  const sources = findSources(args.sources);
  const grammars = args.editor === 'textmate' ? await loadGrammars() : null;
  const stats = {};
  const reasons = new Map();
  const failures = [];
  const work = [];
  for (const file of sources) {
    const lang = languageOfFile(file);
    const text = fs.readFileSync(file, 'latin1');
    const pieces = listingOf(args, lang, file);
    const coverage = checkCoverage(pieces, text.length);
    if (coverage) { failures.push(`${file}: the listing is broken: ${coverage}`); continue; }
    work.push({ file, lang, text, pieces });
  }
  let groups = [];
  if (args.editor === 'vim') {
    groups = vimGroups(args.vim, work.map((w) => ({
      file: path.resolve(w.file),
      offsets: w.pieces.filter((p) => p.end > p.start).map((p) => p.start),
    })));
  }
  work.forEach((w, index) => {
    const s = (stats[w.lang] ??= { files: 0, tokens: 0, exact: 0, listed: 0 });
    s.files++;
    let drift = null;  // the reason of the unfollowed token the comparison has not yet recovered from
    const report = (piece, pieceText, problem) => {
      s.tokens++;
      const quirk = problem && classQuirk(w.lang, pieceText, piece.type);
      const unclean = uncleanReason(w.lang, pieceText, piece.type);
      if (!problem) {
        s.exact++;
        drift = null;
        return;
      }
      const reason = quirk || unclean || (drift && `${drift} (and the tokens after it until the two agree again)`);
      if (unclean) drift = unclean;
      if (reason) {
        s.listed++;
        const entry = reasons.get(`${w.lang}: ${reason}`) ?? { count: 0, example: `${w.file}:${piece.start} ${JSON.stringify(pieceText.slice(0, 40))}` };
        entry.count++;
        reasons.set(`${w.lang}: ${reason}`, entry);
      } else {
        failures.push(`${w.file}:${piece.start}-${piece.end} class ${piece.type} ${JSON.stringify(pieceText.slice(0, 60))}: ${problem}`);
      }
    };
    if (args.editor === 'textmate') {
      compareTextmate(w.lang, w.text, w.pieces, textmateSegments(grammars[w.lang], w.text), report);
    } else {
      compareVim(w.lang, w.text, w.pieces, groups[index], report);
    }
  });
  for (const [lang, s] of Object.entries(stats)) {
    console.log(`${args.editor} ${lang}: ${s.files} files, ${s.tokens} token positions compared, ${s.exact} agree, ${s.listed} where the grammar is known not to follow`);
  }
  for (const [reason, entry] of reasons) console.log(`  not followed: ${reason}: ${entry.count} (e.g. ${entry.example})`);
  for (const failure of failures.slice(0, 50)) console.log(`MISMATCH ${failure}`);
  if (failures.length > 50) console.log(`... and ${failures.length - 50} more`);
  if (failures.length > 0 || work.length === 0) {
    console.log(work.length === 0 ? 'no source compared' : `${failures.length} mismatches`);
    process.exit(1);
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
