" plimbo source files
autocmd BufNewFile,BufRead *.plb setfiletype plimbo
