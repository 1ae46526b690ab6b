" Shared by the plimbo, m4t4 and vexa compiler and indent scripts.

" The interpreters' messages name no file: after :make (or :lmake) with one
" of these compilers, every entry without a file belongs to the file made.
function! teachinglanguages#AttachToFile(location) abort
  if index(['plimbo', 'm4t4', 'vexa'], get(b:, 'current_compiler', '')) < 0
    return
  endif
  let l:entries = a:location ? getloclist(0) : getqflist()
  let l:changed = 0
  for l:entry in l:entries
    if l:entry.valid && l:entry.bufnr == 0
      let l:entry.bufnr = bufnr('%')
      let l:changed = 1
    endif
  endfor
  if l:changed
    if a:location
      call setloclist(0, l:entries, 'r')
    else
      call setqflist(l:entries, 'r')
    endif
  endif
endfunction

" :make runs the shell command of 'makeprg', which Vim expands first: % and
" # in it, and $NAME in the file name % gives, would be replaced. So the
" program, the file and its input reach the command through the
" environment, set just before each :make (see teachinglanguages#Prepare),
" and 'makeprg' names them as ${NAME-}, which neither :set nor :make take
" for a variable of their own.
let s:variables = '"${TEACHING_LANGUAGES_PROGRAM-}" "${TEACHING_LANGUAGES_SOURCE-}"'

" The 'makeprg' of plimbo and m4t4: the program runs on the file, reading
" the input file beside it when there is one, unless :make was given a file
" of its own (:make < other.in).
function! teachinglanguages#Makeprg() abort
  return 'sh -c ''if [ -n "$2" ] && [ ! -f /dev/stdin ]; then exec "$0" "$1" < "$2"; fi; exec "$0" "$1"'' '
        \ . s:variables . ' "${TEACHING_LANGUAGES_INPUT-}"'
endfunction

" The 'makeprg' of vexa, which lists only zdrojak.vexa in the current folder:
" the file is copied under that name into a new folder and listed there; a
" listing stopped by a malformed token says so, and the exit status stays.
function! teachinglanguages#VexaMakeprg() abort
  return 'sh -c ''[ -d "$2" ] && cp "$1" "$2/zdrojak.vexa" && cd "$2" && "$0"; set -- $? "$2"; rm -rf "$2";'
        \ . ' [ $1 = 2 ] && echo "vexa: malformed token after the last one listed (exit status 2)"; exit $1'' '
        \ . s:variables . ' "$(mktemp -d)"'
endfunction

" Before :make (or :lmake) with one of these compilers: the program
" (g:<name>_program, else the name, as a full path when it is found), the
" file, and the input file beside it (the same name ending in .in), if any.
function! teachinglanguages#Prepare() abort
  let l:name = get(b:, 'current_compiler', get(g:, 'current_compiler', ''))
  if index(['plimbo', 'm4t4', 'vexa'], l:name) < 0
    return
  endif
  let l:program = get(g:, l:name . '_program', l:name)
  let $TEACHING_LANGUAGES_PROGRAM = exepath(l:program) !=# '' ? exepath(l:program) : l:program
  let $TEACHING_LANGUAGES_SOURCE = expand('%:p')
  let l:input = expand('%:p:r') . '.in'
  let $TEACHING_LANGUAGES_INPUT = filereadable(l:input) ? l:input : ''
endfunction

" Indent: one level per block open on the lines above; a line that begins
" with closing braces goes back one level for each. Braces in comments and
" strings do not count.
function! teachinglanguages#Indent(lnum) abort
  let l:previous = prevnonblank(a:lnum - 1)
  if l:previous == 0
    return 0
  endif
  let l:indent = indent(l:previous) + shiftwidth() * s:Braces(l:previous)
  let l:closing = matchstr(getline(a:lnum), '^\s*\zs}\+')
  let l:leading = matchstr(getline(l:previous), '^\s*\zs}\+')
  " The braces that begin the line above were taken back on that line.
  let l:indent += shiftwidth() * (len(l:leading) - len(l:closing))
  return max([0, l:indent])
endfunction

" The braces a line opens minus those it closes, outside comments and strings.
function! s:Braces(lnum) abort
  let l:count = 0
  let l:line = getline(a:lnum)
  for l:col in range(1, len(l:line))
    let l:c = l:line[l:col - 1]
    if (l:c ==# '{' || l:c ==# '}') && synIDattr(synID(a:lnum, l:col, 0), 'name') =~# 'Brace$'
      let l:count += l:c ==# '{' ? 1 : -1
    endif
  endfor
  return l:count
endfunction
