" Skin descriptions are plain .txt files: one is recognised by its SKINTYPE
" element near the top (after any comment lines).
autocmd BufRead,BufNewFile *.txt
      \ if search('\c^\s*SKINTYPE\>', 'nw', 60) > 0 | setfiletype korvane | endif
autocmd BufRead,BufNewFile *.skin setfiletype korvane
