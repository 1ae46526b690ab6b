" m4t4 source files
autocmd BufNewFile,BufRead *.m4t setfiletype m4t4
