" Filetype plugin: m4t4. Comments, block indent, and :make running the file.
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=::\ %s
setlocal comments=:::
setlocal formatoptions-=t formatoptions+=croql
setlocal shiftwidth=2 softtabstop=2 expandtab
compiler m4t4

let b:undo_ftplugin = 'setlocal commentstring< comments< formatoptions< shiftwidth< softtabstop< expandtab<'
      \ . ' makeprg< errorformat< | unlet! b:current_compiler'
