" Compiler: m4t4. :make runs the interpreter on the file (g:m4t4_program
" names another interpreter), its input the file's .in file when there is one
" (:make < other.in gives another); each diagnostic becomes an entry at the
" line it prints, a run that fails without one an entry for the file.
if exists('current_compiler')
  finish
endif
let current_compiler = 'm4t4'
if exists(':CompilerSet') != 2
  command -nargs=* CompilerSet setlocal <args>
endif

execute 'CompilerSet makeprg=' . escape(teachinglanguages#Makeprg(), ' \|"')
" A diagnostic is one line (more when the token it shows holds line breaks;
" after output printed without a line break it ends that line), then an empty
" line and the closing failure line; "bye" ends every run.
let s:errorformat = [
      \ '%-ZV programu se vyskytla chyba.',
      \ '%-Zbye',
      \ '%-C',
      \ '%+C%.%#',
      \ '%+A%.%#V bloku: ''%.%#''\, na radku: %l nastala chyba - %.%#',
      \ '%+EV programu se vyskytla chyba.',
      \ '%+ESoubor "%f" se nezdarilo otevrit.',
      \ '%+ESoubor se nezdarilo uzavrit.',
      \ '%+Em4t4: write error: %.%#',
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
