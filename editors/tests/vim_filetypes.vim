" The Vim filetype, indent and compiler scripts, headless: each extension
" gets its filetype, comment string and :make program, and = indents blocks
" by two, braces in strings and comments not counting. Writes the failures
" (none: an empty file) to g:out.
filetype plugin indent on
syntax on
let s:failures = []
function! s:Check(name, got, want) abort
  if a:got !=# a:want
    call add(s:failures, a:name . ': got ' . string(a:got) . ', wanted ' . string(a:want))
  endif
endfunction

for [s:ext, s:type, s:comment] in [['plb', 'plimbo', '// %s'], ['m4t', 'm4t4', ':: %s'], ['vexa', 'vexa', '[> %s']]
  execute 'silent edit! ' . fnameescape(tempname() . '.' . s:ext)
  call s:Check(s:ext . ' filetype', &filetype, s:type)
  call s:Check(s:ext . ' commentstring', &l:commentstring, s:comment)
  call s:Check(s:ext . ' compiler', get(b:, 'current_compiler', ''), s:type)
  call s:Check(s:ext . ' makeprg runs the file', &l:makeprg =~# s:type && &l:makeprg =~# '%', 1)
  silent bwipeout!
endfor

" Indent: a plimbo program with a brace in a string and one in a comment.
execute 'silent edit! ' . fnameescape(tempname() . '.plb')
let s:want = [
      \ '{',
      \ '  ESLI ($a > 1) {',
      \ '    VRACEE ("{");  // }',
      \ '  } JINEM {',
      \ '    DOKAD (0) {',
      \ '    } FINISH;',
      \ '  } ILSE;',
      \ '}',
      \ 'ZDECHNI',
      \ ]
call setline(1, map(copy(s:want), 'trim(v:val)'))
normal! gg=G
call s:Check('plimbo indent', getline(1, '$'), s:want)
silent bwipeout!

execute 'silent edit! ' . fnameescape(tempname() . '.m4t')
let s:want = ['{', '  w2 (@i < 3) {', '    pis_ln("}"); :: {', '  } w2_end;', '}', '.']
call setline(1, map(copy(s:want), 'trim(v:val)'))
normal! gg=G
call s:Check('m4t4 indent', getline(1, '$'), s:want)
silent bwipeout!

" vexa lists a copy named zdrojak.vexa; a listing stopped by a malformed
" token is an entry for the file, a full listing none.
if exists('g:vexa_program')
  for [s:text, s:want] in [['a := 12.;', ['vexa: malformed token after the last one listed (exit status 2)']], ['a := 12.5;', []]]
    let s:file = tempname() . '.vexa'
    call writefile([s:text], s:file)
    execute 'silent edit! ' . fnameescape(s:file)
    silent make!
    call s:Check('vexa :make on ' . s:text, map(filter(getqflist(), 'v:val.valid && v:val.bufnr == bufnr("%")'), 'v:val.text'), s:want)
    silent bwipeout!
  endfor
endif

call writefile(s:failures, g:out)
qall!
