" Indent: plimbo, by the braces of its blocks.
if exists('b:did_indent')
  finish
endif
let b:did_indent = 1

setlocal autoindent
setlocal indentexpr=teachinglanguages#Indent(v:lnum)
setlocal indentkeys=0},!^F,o,O
let b:undo_indent = 'setlocal autoindent< indentexpr< indentkeys<'
