" Vim syntax file for vexa (*.vexa), following the vexa automaton: tokens
" that stop the lister and characters it skips are shown as errors.
if exists('b:current_syntax')
  finish
endif
syn case match
syn sync fromstart

" Where several items start at one character, the one defined last wins.
syn match vexaBadCharacter "[^ \t]"
" These promise a longer token; alone they stop the lister.
syn match vexaMalformed "[&|:[]"
syn match vexaMalformed "\$[[:alnum:]_]*"
syn match vexaOperator "&&\|||\|<[=>]\=\|>=\=\|[-+!%*/=^]"
syn match vexaAssign ":="
syn match vexaParen "[()]"
syn match vexaBrace "[{}]"
syn match vexaSemicolon ";"
syn match vexaVariable "\$[[:alnum:]_]\+\$"
syn match vexaIdentifier "\a[[:alnum:]]*\%(_\+[[:alnum:]]\+\)*"
syn match vexaMalformed "\a[[:alnum:]]*\%(_\+[[:alnum:]]\+\)*_\+[_[:alnum:]]\@!"
" A sign belongs to the digits right after it.
syn match vexaNumber "[-+]\=\d\+\%(\.\d\+\)\="
syn match vexaMalformed "[-+]\=\d\+\.\d\@!"
syn match vexaLineComment "\[>.*$"
" Between the two closing brackets may stand characters the comment ignores.
syn region vexaBlockComment start="\[\[" end="\]\%([\x0b-\x1f#',?@`~]\|[^\x00-\x7e]\)*\]"
syn match vexaEscape "\\\_." contained
syn region vexaString start=+"+ end=+"+ contains=vexaEscape

hi def link vexaBadCharacter Error
hi def link vexaMalformed Error
hi def link vexaOperator Operator
hi def link vexaAssign Operator
hi def link vexaParen Delimiter
hi def link vexaBrace Delimiter
hi def link vexaSemicolon Delimiter
hi def link vexaVariable Identifier
hi def link vexaIdentifier Identifier
hi def link vexaNumber Number
hi def link vexaLineComment Comment
hi def link vexaBlockComment Comment
hi def link vexaEscape SpecialChar
hi def link vexaString String

let b:current_syntax = 'vexa'
