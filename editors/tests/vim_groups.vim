" Writes, for every file of the job list g:jobs, the syntax group at each of
" its byte offsets: one line of names per file ('-' for none) into g:out.
" Job list: a line "F <path>", then a line of byte offsets (from 0).
let s:jobs = readfile(g:jobs)
let s:out = []
syntax on
let s:i = 0
while s:i + 1 < len(s:jobs)
  let s:file = s:jobs[s:i][2:]
  let s:offsets = split(s:jobs[s:i + 1])
  let s:i += 2
  execute 'silent edit! ++bin ' . fnameescape(s:file)
  filetype detect
  let s:names = []
  for s:offset in s:offsets
    let s:line = byte2line(str2nr(s:offset) + 1)
    let s:col = str2nr(s:offset) + 2 - line2byte(s:line)
    let s:name = synIDattr(synID(s:line, s:col, 0), 'name')
    call add(s:names, s:name ==# '' ? '-' : s:name)
  endfor
  call add(s:out, join(s:names))
  silent bwipeout!
endwhile
call writefile(s:out, g:out)
qall!
