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

" Sets makeprg to run program (g:<name>_program, else the name) on the file.
function! teachinglanguages#Makeprg(name, command) abort
  let l:program = shellescape(get(g:, a:name . '_program', a:name))
  return substitute(a:command, '{program}', escape(l:program, '\'), 'g')
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
