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

let s:run = 'sh -c ''d=$(mktemp -d) && cp "$1" "$d/zdrojak.vexa" && cd "$d" && "$0"; s=$?; rm -rf "$d";'
      \ . ' [ $s = 2 ] && echo "vexa: malformed token after the last one listed (exit status 2)"; exit $s'''
      \ . ' {program} %:p:S'
execute 'CompilerSet makeprg=' . escape(teachinglanguages#Makeprg('vexa', s:run), ' \|"')
unlet s:run
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
  autocmd QuickFixCmdPost make call teachinglanguages#AttachToFile(0)
  autocmd QuickFixCmdPost lmake call teachinglanguages#AttachToFile(1)
augroup END
