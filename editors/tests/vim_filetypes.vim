" The Vim filetype, indent and compiler scripts, headless: each extension
" gets its filetype, comment string and compiler, and = indents blocks
" by two, braces in strings and comments not counting; with the programs in
" $TEST_PROGRAMS, :make runs them on the table of hostile names and gives a
" program its input. Writes the failures (none: an empty file) to $TEST_OUT.
if exists('$TEST_PROGRAMS')
  for s:name in ['plimbo', 'm4t4', 'vexa']
    let g:{s:name}_program = $TEST_PROGRAMS . '/' . s:name
  endfor
endif
filetype plugin indent on
syntax on
let s:failures = []
function! s:Check(name, got, want) abort
  if a:got !=# a:want
    call add(s:failures, a:name . ': got ' . string(a:got) . ', wanted ' . string(a:want))
  endif
endfunction
" Edits the file of that name (:edit would expand an environment variable).
function! s:Edit(file) abort
  execute 'silent buffer! ' . bufadd(a:file)
endfunction

" :make with its arguments; an error of Vim's is a failure.
function! s:Make(arguments) abort
  try
    execute 'silent make!' . a:arguments
  catch
    call add(s:failures, ':make' . a:arguments . ' on ' . expand('%:p') . ': ' . v:exception)
  endtry
endfunction

for [s:ext, s:type, s:comment] in [['plb', 'plimbo', '// %s'], ['m4t', 'm4t4', ':: %s'], ['vexa', 'vexa', '[> %s']]
  execute 'silent edit! ' . fnameescape(tempname() . '.' . s:ext)
  call s:Check(s:ext . ' filetype', &filetype, s:type)
  call s:Check(s:ext . ' commentstring', &l:commentstring, s:comment)
  call s:Check(s:ext . ' compiler', get(b:, 'current_compiler', ''), s:type)
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

if exists('$TEST_PROGRAMS')
  " vexa lists a copy named zdrojak.vexa; a listing stopped by a malformed
  " token is an entry for the file, a full listing none.
  for [s:text, s:want] in [['a := 12.;', ['vexa: malformed token after the last one listed (exit status 2)']], ['a := 12.5;', []]]
    let s:file = tempname() . '.vexa'
    call writefile([s:text], s:file)
    execute 'silent edit! ' . fnameescape(s:file)
    call s:Make('')
    call s:Check('vexa :make on ' . s:text, map(filter(getqflist(), 'v:val.valid && v:val.bufnr == bufnr("%")'), 'v:val.text'), s:want)
    silent bwipeout!
  endfor

  " Every file of the table side by side, each failing on its own line:
  " :make, then :cfirst from another buffer, lands on that file and line.
  let s:dir = tempname()
  let s:files = []
  for s:name in filter(readfile(expand('<sfile>:p:h') . '/hostile_names.txt'), 'v:val !~# "^/\\|^$"')
    let s:file = s:dir . '/' . s:name
    let s:line = len(s:files) + 2
    let s:blank = repeat([''], s:line - 2)
    call mkdir(fnamemodify(s:file, ':h'), 'p')
    call writefile(s:name =~# '\.plb$' ? ['{'] + s:blank + ['VRACEE ("a" - 1);', '} ZDECHNI']
          \ : s:name =~# '\.m4t$' ? ['{'] + s:blank + ['pis(1 - "x");', '} .'] : ['a & b;'], s:file)
    call add(s:files, [s:file, s:name =~# '\.vexa$' ? 1 : s:line])
  endfor
  for [s:file, s:line] in s:files
    call s:Edit(s:file)
    call s:Make('')
    enew
    silent! cfirst
    call s:Check(':make and :cfirst on ' . s:file, [expand('%:p'), line('.')], [s:file, s:line])
    silent! %bwipeout!
  endfor

  " The input: the .in file beside the program, unless :make is given its
  " own. A word that is no number (or no word at all) fails on line 3.
  let s:file = s:dir . '/My Programs/read it.plb'
  call writefile(['{', '  NASAJ ($a);', '  VRACEE (1 - $a);', '} ZDECHNI'], s:file)
  call writefile(['x'], s:dir . '/other.in')
  for [s:input, s:make, s:want] in [[v:null, '', [3]], ['12', '', []], ['12', ' < ' . shellescape(s:dir . '/other.in'), [3]]]
    if s:input isnot v:null
      call writefile([s:input], s:dir . '/My Programs/read it.in')
    endif
    call s:Edit(s:file)
    call s:Make(s:make)
    call s:Check(':make' . s:make . ' with input ' . string(s:input), map(filter(getqflist(), 'v:val.valid'), 'v:val.lnum'), s:want)
    silent! %bwipeout!
  endfor
  call delete(s:dir, 'rf')
endif

call writefile(s:failures, $TEST_OUT)
qall!
