" Vim syntax file for m4t4 (*.m4t), following the m4t4 scanner for tokens
" written in one piece; characters the scanner drops between tokens (capitals,
" carriage returns, $, # and the like) are shown as errors.
if exists('b:current_syntax')
  finish
endif
syn case match
syn sync fromstart

" Where several items start at one character, the one defined last wins.
syn match m4t4BadCharacter "[^ \t]"
syn match m4t4Operator "[!<>]=\=\|[-+%&*/=^_|]"
syn match m4t4Paren "[()]"
syn match m4t4Assign "->"
syn match m4t4Brace "[{}]"
syn match m4t4Semicolon ";"
" An underscore in a word or name must be followed by a letter or digit.
syn match m4t4Word "[a-z.]\%([a-z0-9]\|_\+[a-z0-9]\)*"
syn match m4t4Keyword "\%(w2_end\|i2_end\|w2\|i2\|e2\)[a-z0-9_]\@!"
syn match m4t4Io "\%(pis_ln\|pis\|cti\)[a-z0-9_]\@!"
syn match m4t4Parameter "p2[a-z0-9_]\@!"
syn match m4t4End "\.[a-z0-9_]\@!"
syn match m4t4Variable "@[a-z]\%([a-z0-9]\|_\+[a-z0-9]\)*"
syn match m4t4Call "\~[a-z]\%([a-z0-9]\|_\+[a-z0-9]\)*"
syn match m4t4Declaration "?[a-z]\%([a-z0-9]\|_\+[a-z0-9]\)*"
" A sign belongs to the digits right after it.
syn match m4t4Number "[-+]\=\d\+\%(,\d\+\)\=\%(e[-+]\=\d\+\)\="
" A colon that begins no comment swallows what follows it.
syn match m4t4Malformed ":"
syn match m4t4LineComment "::.*$"
syn region m4t4BlockComment start=":!" end="!:"
syn match m4t4Escape "/\_." contained
syn region m4t4String start=+"+ end=+"+ contains=m4t4Escape

hi def link m4t4BadCharacter Error
hi def link m4t4Malformed Error
hi def link m4t4Operator Operator
hi def link m4t4Paren Delimiter
hi def link m4t4Assign Operator
hi def link m4t4Brace Delimiter
hi def link m4t4Semicolon Delimiter
hi def link m4t4Keyword Keyword
hi def link m4t4Io Statement
hi def link m4t4Parameter StorageClass
hi def link m4t4End Keyword
hi def link m4t4Variable Identifier
hi def link m4t4Call Function
hi def link m4t4Declaration Function
hi def link m4t4Number Number
hi def link m4t4LineComment Comment
hi def link m4t4BlockComment Comment
hi def link m4t4Escape SpecialChar
hi def link m4t4String String

let b:current_syntax = 'm4t4'
