" Compiler: plimbo. :make runs the interpreter on the file (g:plimbo_program
" names another interpreter), its input the file's .in file when there is one
" (:make < other.in gives another); each diagnostic becomes an entry at the
" line it prints, a run that fails without one an entry for the file.
if exists('current_compiler')
  finish
endif
let current_compiler = 'plimbo'
if exists(':CompilerSet') != 2
  command -nargs=* CompilerSet setlocal <args>
endif

execute 'CompilerSet makeprg=' . escape(teachinglanguages#Makeprg(), ' \|"')
" A diagnostic is one line (more when the token it shows holds line breaks),
" then an empty line and the closing failure line.
let s:errorformat = [
      \ '%-ZNeco se pokazilo...',
      \ '%-C',
      \ '%+C%.%#',
      \ '%+A(%.%#)Chyba (%l)%.%#',
      \ '%+ENeco se pokazilo...',
      \ '%+EFile "%f" se nepodarilo otevrit ty plimbo%.%#',
      \ '%+EZdrojak se nepodarilo precist ty plimbo%.%#',
      \ '%+EVstup se nepodarilo precist ty plimbo%.%#',
      \ '%+EFile nende zavrit%.%#',
      \ '%+Eplimbo: write error: %.%#',
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
