" vexa source files
autocmd BufNewFile,BufRead *.vexa setfiletype vexa
