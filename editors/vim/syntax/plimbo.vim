" Vim syntax file for plimbo (*.plb), following the plimbo scanner: every
" token class, and a character that can begin no token shown as an error.
if exists('b:current_syntax')
  finish
endif
syn case match
syn sync fromstart

" Where several items start at one character, the one defined last wins.
syn match plimboBadCharacter "[^ \t\r\x0b\x0c]"
syn match plimboUnknownKeyword "[A-Z]\+"
syn match plimboKeyword "\%(ZDECHNI\|ESLI\|JINEM\|ILSE\|DOKAD\|FINISH\)[A-Z]\@!"
syn match plimboIo "\%(VRACEE\|NASAJ\)[A-Z]\@!"
syn match plimboParameter "\%(PROM\|CTE\)[A-Z]\@!"
syn match plimboOperator "[-+/=*%&|<>!]"
syn match plimboOperator "[<>!]="
syn match plimboAssign "[<>!]:"
syn match plimboParen "[()]"
syn match plimboBrace "[{}]"
syn match plimboSemicolon ";"
syn match plimboVariable "\$[a-z0-9_]*"
syn match plimboCall "#[a-z0-9_]*"
syn match plimboDeclaration "@[a-z0-9_]*"
" A sign belongs to the digits or the decimal comma right after it.
syn match plimboNumber "[-+]\=\%(\d\+\%(,\d*\)\=\|,\d*\)"
syn match plimboLineComment "//.*$"
" A star takes the character after it: only a star not taken so closes.
syn region plimboBlockComment start="/\*" skip="\*\_[^/]" end="\*/"
syn match plimboEscape "\\\_." contained
syn region plimboString start=+"+ end=+"+ contains=plimboEscape

hi def link plimboBadCharacter Error
hi def link plimboUnknownKeyword Error
hi def link plimboKeyword Keyword
hi def link plimboIo Statement
hi def link plimboParameter StorageClass
hi def link plimboOperator Operator
hi def link plimboAssign Operator
hi def link plimboParen Delimiter
hi def link plimboBrace Delimiter
hi def link plimboSemicolon Delimiter
hi def link plimboVariable Identifier
hi def link plimboCall Function
hi def link plimboDeclaration Function
hi def link plimboNumber Number
hi def link plimboLineComment Comment
hi def link plimboBlockComment Comment
hi def link plimboEscape SpecialChar
hi def link plimboString String

let b:current_syntax = 'plimbo'
