// What the editor tests know of each language: the highlighting category
// each piece type its scanner lists must get (the types by the names the
// program gives them, pieceTypeName in its listing.h), the TextMate scopes
// and Vim groups of each category, and the lexemes the grammars follow
// exactly. A listed piece whose text is not such a clean lexeme is a place
// the grammars do not follow (the reason is reported, not failed).

// Categories: keyword, word (a word that is no keyword), variable, call,
// decl, number, string, comment, assign, operator, brace, semicolon, space,
// invalid, error (a token that stops the vexa lister), end.

export const LANGUAGES = {
  plimbo: {
    extension: 'plb',
    program: 'plimbo',
    classes: {
      bad_character: ['invalid'], number: ['number'], string: ['string'], assignment: ['assign'],
      variable: ['variable'], brace: ['brace'], call_name: ['call'], declaration_name: ['decl'],
      keyword: ['keyword', 'word'], comment: ['comment'], white_space: ['space'],
      semicolon: ['semicolon'], operator: ['operator'], end_of_input: ['end'],
    },
    // Every plimbo token is written in one piece: the grammar follows all.
    unclean: [],
  },
  m4t4: {
    extension: 'm4t',
    program: 'm4t4',
    classes: {
      dropped_character: ['invalid'], number: ['number'], string: ['string'], comment: ['comment'],
      white_space: ['space'], semicolon: ['semicolon'], word: ['keyword', 'word'], brace: ['brace'],
      end: ['end'], arrow: ['assign'], operator: ['operator'], variable: ['variable'], call: ['call'],
      declaration: ['decl'],
    },
    // The scanner drops characters inside some tokens while it waits for one
    // that fits; a grammar cannot skip over them (they may even span lines).
    unclean: [
      { classes: ['number'], clean: /^[+-]?[0-9]+(,[0-9]+)?(e[+-]?[0-9]+)?$/,
        reason: 'a number whose scan dropped characters after its comma or e (the scanner waits for a digit)' },
      { classes: ['word'], clean: /^[a-z.]([a-z0-9]|_+[a-z0-9])*$/,
        reason: 'a word whose scan dropped characters after an underscore (the scanner waits for a letter or digit)' },
      { classes: ['variable', 'call', 'declaration'], clean: /^[@~?][a-z]([a-z0-9]|_+[a-z0-9])*$/,
        reason: 'a name whose scan dropped characters after its sigil or an underscore' },
      { classes: ['comment'], clean: /^(::[^\n]*\n?|:![\s\S]*)$/,
        reason: 'a lone colon, whose scan drops characters until a comment begins' },
      { classes: ['number', 'string', 'comment', 'semicolon', 'word', 'brace', 'arrow', 'operator',
          'variable', 'call', 'declaration'], clean: /(^|[^\0])$/,
        reason: 'a NUL byte read as the look-ahead after a token is dropped with it (the push-back cannot hold a NUL)' },
    ],
  },
  vexa: {
    extension: 'vexa',
    program: 'vexa',
    classes: {
      stopped: ['error'], blank: ['space', 'invalid'], cislo: ['number'], retezec: ['string'],
      promenna: ['variable'], identifikator: ['word'], komentar: ['comment'], operator: ['operator'],
      ukonznak: ['semicolon'], blok: ['brace'], prirad: ['assign'],
    },
    unclean: [],
    // The lister's class of a token it does not set a class for itself.
    classQuirks: [
      { test: (text, type) => text.startsWith('"') && type === 'prirad',
        reason: 'a string holding := is classed prirad by the lister; the grammar shows a string' },
      { test: (text, type) => /^[+-]$/.test(text) && type === 'cislo',
        reason: 'a lone sign at the very end of the input is printed without a class; the class it has so far is cislo' },
      { test: (text) => text === '%' || text === '""',
        reason: '% and "" keep the class of the token before them; the grammar shows an operator or a string' },
    ],
  },
};

// The category of a TextMate token from its scopes (innermost last).
export function scopeCategory(scopes) {
  const top = scopes.length > 1 ? scopes[1] : '';
  const rules = [
    [/^comment\./, 'comment'],
    [/^string\./, 'string'],
    [/^constant\.numeric\./, 'number'],
    [/^keyword\.operator\.assignment\./, 'assign'],
    [/^keyword\.operator\./, 'operator'],
    [/^punctuation\.parenthesis\./, 'operator'],
    [/^(keyword\.|storage\.modifier\.)/, 'keyword'],
    [/^variable\.other\.word\./, 'word'],
    [/^entity\.name\.identifier\./, 'word'],
    [/^variable\./, 'variable'],
    [/^entity\.name\.function\.call\./, 'call'],
    [/^entity\.name\.function\.declaration\./, 'decl'],
    [/^punctuation\.section\.block\./, 'brace'],
    [/^punctuation\.terminator\./, 'semicolon'],
    [/^invalid\.illegal\.unknown-keyword\./, 'word'],
    [/^invalid\.illegal\.character\./, 'invalid'],
    [/^invalid\./, 'error'],
    [/^$/, 'space'],
  ];
  for (const [pattern, category] of rules) if (pattern.test(top)) return category;
  return `unknown scope ${top}`;
}

// Scopes of tokens that may go on over several TextMate tokens and lines.
export const isRegionScope = (scope) => /^(string\.quoted|comment\.block)\./.test(scope || '');

// The category of a Vim syntax group (the name synID gives at a character).
export function vimGroupCategory(group) {
  const m = /^(plimbo|m4t4|vexa)(.*)$/.exec(group);
  if (group === '') return 'space';
  if (!m) return `unknown group ${group}`;
  const names = {
    Keyword: 'keyword', Io: 'keyword', Parameter: 'keyword', End: 'keyword',
    Word: 'word', Identifier: 'word', UnknownKeyword: 'word',
    Variable: 'variable', Call: 'call', Declaration: 'decl', Number: 'number',
    String: 'string', Escape: 'string', LineComment: 'comment', BlockComment: 'comment',
    Assign: 'assign', Operator: 'operator', Paren: 'operator', Brace: 'brace',
    Semicolon: 'semicolon', BadCharacter: 'invalid', Malformed: 'error',
  };
  return names[m[2]] || `unknown group ${group}`;
}

// The categories a piece of the given type must get; undefined for a type
// the language does not have.
export function categoriesOf(lang, type) {
  const classes = LANGUAGES[lang].classes;
  return Object.hasOwn(classes, type) ? classes[type] : undefined;
}

// Whether a listed piece is a lexeme the grammars follow; else the reason.
export function uncleanReason(lang, text, type) {
  for (const rule of LANGUAGES[lang].unclean) {
    if (rule.classes.includes(type) && !rule.clean.test(text)) return rule.reason;
  }
  return null;
}

// Why the grammar's category may differ from the lister's class, if it may.
export function classQuirk(lang, text, type) {
  for (const quirk of LANGUAGES[lang].classQuirks || []) {
    if (quirk.test(text, type)) return quirk.reason;
  }
  return null;
}

export function languageOfFile(path) {
  for (const [name, lang] of Object.entries(LANGUAGES)) {
    if (path.endsWith(`.${lang.extension}`)) return name;
  }
  return null;
}

// Parses a listing: one "start end type" line per piece, the type by its name.
export function parseListing(text) {
  return text.split('\n').filter((line) => line.trim() !== '').map((line) => {
    const [start, end, type] = line.trim().split(/\s+/);
    return { start: Number(start), end: Number(end), type };
  });
}

// Checks that a listing covers the text once, in order, up to its end or up
// to a piece that stopped the scan (vexa), after which nothing is read.
export function checkCoverage(pieces, size) {
  let at = 0;
  for (const piece of pieces) {
    if (piece.start !== at || piece.end < piece.start) return `piece ${piece.start}-${piece.end} does not follow ${at}`;
    at = piece.end;
  }
  const stopped = pieces.length > 0 && pieces[pieces.length - 1].type === 'stopped';
  return at === size || (stopped && at <= size) ? null : `the pieces end at ${at}, the text at ${size}`;
}
