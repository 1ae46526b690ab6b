" Runs :make (or reads a given output with the compiler's errorformat) for
" every job of the JSON list g:jobs and writes, per job, its valid quickfix
" entries as [file, line, text] into the JSON file g:out.
filetype plugin indent on
let s:results = []
for s:job in json_decode(join(readfile(g:jobs), "\n"))
  execute 'silent edit! ' . fnameescape(s:job.source)
  execute 'setfiletype ' . s:job.filetype
  if s:job.feed isnot v:null
    execute 'silent cgetfile ' . fnameescape(s:job.feed)
    call teachinglanguages#AttachToFile(0)
  else
    let &l:makeprg .= ' < ' . shellescape(s:job.input)
    silent make!
  endif
  let s:entries = []
  for s:entry in getqflist()
    if s:entry.valid
      call add(s:entries, [s:entry.bufnr ? fnamemodify(bufname(s:entry.bufnr), ':p') : '', s:entry.lnum, s:entry.text])
    endif
  endfor
  call add(s:results, s:entries)
  silent! %bwipeout!
endfor
call writefile([json_encode(s:results)], g:out)
qall!
