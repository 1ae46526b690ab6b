" Compiler: vexa. :make lists the file's tokens: vexa reads only zdrojak.vexa,
" so the file is copied under that name into a new folder and listed there
" (g:vexa_program names another lister). The listing has no line numbers: a
" lister that stops on a malformed token or a word too long becomes an entry
" for the file.
if exists('current_compiler')
  finish
endif
let current_compiler = 'vexa'
if exists(':CompilerSet') != 2
  command -nargs=* CompilerSet setlocal <args>
endif

execute 'CompilerSet makeprg=' . escape(teachinglanguages#VexaMakeprg(), ' \|"')
let s:errorformat = [
      \ '%+Evexa: malformed token%.%#',
      \ '%+Emoc dlouhy slovo',
      \ '%+ESoubor neexistuje',
      \ '%-G%.%#',
      \ ]
execute 'CompilerSet errorformat=' . escape(join(s:errorformat, ','), ' \|"')
unlet s:errorformat

augroup teachinglanguages_make
  autocmd!
  autocmd QuickFixCmdPre make,lmake call teachinglanguages#Prepare()
  autocmd QuickFixCmdPost make call teachinglanguages#AttachToFile(0)
  autocmd QuickFixCmdPost lmake call teachinglanguages#AttachToFile(1)
augroup END
