// Syntax highlighting: one small stream tokenizer per language, following each
// language's own token rules (variables, keywords, strings, numbers, comments,
// operators). A character that can begin no token is marked as invalid.

import { StreamLanguage } from '@codemirror/language';
import { tags } from '@lezer/highlight';

// A string runs to its closing quote, possibly over several lines; `escape`
// is the character that makes the next one part of the text.
function stringToken(stream, state, escape) {
  while (!stream.eol()) {
    const c = stream.next();
    if (c === escape) stream.next();
    else if (c === '"') { state.inString = false; return 'string'; }
  }
  return 'string';
}

// A block comment runs to `close`, possibly over several lines.
function blockComment(stream, state, close) {
  if (stream.skipTo(close)) { stream.pos += close.length; state.inComment = false; } else stream.skipToEnd();
  return 'comment';
}

const startState = () => ({ inString: false, inComment: false });
const copyState = (s) => ({ ...s });

const PLIMBO_KEYWORDS = new Set(['ZDECHNI', 'PROM', 'CTE', 'ESLI', 'JINEM', 'ILSE', 'DOKAD', 'FINISH', 'VRACEE', 'NASAJ']);

export const plimbo = StreamLanguage.define({
  name: 'plimbo',
  startState, copyState,
  token(stream, state) {
    if (state.inComment) return blockComment(stream, state, '*/');
    if (state.inString) return stringToken(stream, state, '\\');
    if (stream.eatSpace()) return null;
    if (stream.match('//')) { stream.skipToEnd(); return 'comment'; }
    if (stream.match('/*')) { state.inComment = true; return blockComment(stream, state, '*/'); }
    if (stream.eat('"')) { state.inString = true; return stringToken(stream, state, '\\'); }
    if (stream.match(/^[+-]?(\d+,?\d*|,\d*)/)) return 'number';
    if (stream.match(/^\$[a-z0-9_]*/)) return 'variableName';
    if (stream.match(/^#[a-z0-9_]*/)) return 'function';
    if (stream.match(/^@[a-z0-9_]*/)) return 'def';
    const word = stream.match(/^[A-Z]+/);
    if (word) return PLIMBO_KEYWORDS.has(word[0]) ? 'keyword' : 'invalid';
    if (stream.match(/^[<>!]:/)) return 'assign';
    if (stream.match(/^[<>!]=?/) || stream.match(/^[-+/=*%&|]/)) return 'operator';
    if (stream.match(/^[()]/)) return 'paren';
    if (stream.match(/^[{}]/)) return 'brace';
    if (stream.eat(';')) return 'separator';
    stream.next();
    return 'invalid';
  },
  tokenTable: tokenTable(),
  languageData: { commentTokens: { line: '//', block: { open: '/*', close: '*/' } } },
});

const M4T4_KEYWORDS = new Set(['w2', 'i2', 'e2', 'i2_end', 'w2_end', 'cti', 'pis', 'pis_ln', 'p2', '.']);

export const m4t4 = StreamLanguage.define({
  name: 'm4t4',
  startState, copyState,
  token(stream, state) {
    if (state.inComment) return blockComment(stream, state, '!:');
    if (state.inString) return stringToken(stream, state, '/');
    if (stream.eatSpace()) return null;
    if (stream.match('::')) { stream.skipToEnd(); return 'comment'; }
    if (stream.match(':!')) { state.inComment = true; return blockComment(stream, state, '!:'); }
    if (stream.eat('"')) { state.inString = true; return stringToken(stream, state, '/'); }
    if (stream.match(/^[+-]?\d+(,\d*)?(e[+-]?\d*)?/)) return 'number';
    if (stream.match(/^@[a-z][a-z0-9_]*/)) return 'variableName';
    if (stream.match(/^~[a-z][a-z0-9_]*/)) return 'function';
    if (stream.match(/^\?[a-z][a-z0-9_]*/)) return 'def';
    const word = stream.match(/^[a-z.][a-z0-9_]*/);
    if (word) return M4T4_KEYWORDS.has(word[0]) ? 'keyword' : 'name';
    if (stream.match('->')) return 'assign';
    if (stream.match(/^[<>!]=?/) || stream.match(/^[-+%&*/=^_|]/)) return 'operator';
    if (stream.match(/^[()]/)) return 'paren';
    if (stream.match(/^[{}]/)) return 'brace';
    if (stream.eat(';')) return 'separator';
    stream.next();
    return 'invalid';
  },
  tokenTable: tokenTable(),
  languageData: { commentTokens: { line: '::', block: { open: ':!', close: '!:' } } },
});

export const vexa = StreamLanguage.define({
  name: 'vexa',
  startState, copyState,
  token(stream, state) {
    if (state.inComment) return blockComment(stream, state, ']]');
    if (state.inString) return stringToken(stream, state, '\\');
    if (stream.eatSpace()) return null;
    if (stream.match('[>')) { stream.skipToEnd(); return 'comment'; }
    if (stream.match('[[')) { state.inComment = true; return blockComment(stream, state, ']]'); }
    if (stream.eat('"')) { state.inString = true; return stringToken(stream, state, '\\'); }
    if (stream.match(/^[+-]?\d+(\.\d+)?/)) return 'number';
    if (stream.match(/^\$[A-Za-z0-9_]+\$/)) return 'variableName';
    if (stream.match(/^[A-Za-z][A-Za-z0-9]*(_+[A-Za-z0-9]+)*/)) return 'name';
    if (stream.match(':=')) return 'assign';
    if (stream.match(/^(&&|\|\||<[=>]?|>=?|[-+!%()*/=^])/)) return 'operator';
    if (stream.match(/^[{}]/)) return 'brace';
    if (stream.eat(';')) return 'separator';
    stream.next();
    return 'invalid';
  },
  tokenTable: tokenTable(),
  languageData: { commentTokens: { line: '[>', block: { open: '[[', close: ']]' } } },
});

function tokenTable() {
  return {
    variableName: tags.variableName,
    function: tags.function(tags.variableName),
    def: tags.definition(tags.function(tags.variableName)),
    keyword: tags.keyword,
    name: tags.name,
    string: tags.string,
    number: tags.number,
    comment: tags.comment,
    operator: tags.operator,
    assign: tags.definitionOperator,
    paren: tags.paren,
    brace: tags.brace,
    separator: tags.separator,
    invalid: tags.invalid,
  };
}

export const LANGUAGES = { plimbo, m4t4, vexa };
