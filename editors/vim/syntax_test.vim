" Checked in real Vim: vim -Nu NONE -i NONE -es -S syntax_test.vim SAMPLE RESULT
" Sets the syntax of the description given and checks the group at chosen
" places; writes "ok" or the mismatches to RESULT and quits with an error on
" a mismatch.
let s:here = expand('<sfile>:p:h')
let &runtimepath = s:here . ',' . &runtimepath
let s:result = argv(1)
execute 'edit ' . fnameescape(argv(0))
syntax on
setfiletype korvane
" The file type is found from the content as well.
let s:failures = []
if &filetype !=# 'korvane'
  call add(s:failures, 'filetype ' . &filetype)
endif

" Each check: the text to find (its first character is the place), the group.
let s:checks = [
      \ ['/ A comment', 'korvaneComment'],
      \ ['SKINTYPE', 'korvaneElement'],
      \ ['scalable', 'korvaneFlag'],
      \ ['0x2000ABCD', 'korvaneNumber'],
      \ ['"Demo', 'korvaneString'],
      \ ['<0xE9>', 'korvaneEscape'],
      \ ['BITMAP IID', 'korvaneElement'],
      \ ['IID=QsnBgScreen', 'korvaneParameter'],
      \ ['c16 bg', 'korvaneDepth'],
      \ ['STRETCH', 'korvaneFlag'],
      \ ['Orv_3_0%', 'korvaneRestriction'],
      \ ['  / not a comment', ''],
      \ ['END', 'korvaneInner'],
      \ ['[1 2', 'korvaneRaw'],
      \ ]
for [s:text, s:group] in s:checks
  call cursor(1, 1)
  let s:where = search('\V' . escape(s:text, '\'), 'cW')
  if s:where == 0
    call add(s:failures, 'not found: ' . s:text)
    continue
  endif
  let s:column = col('.')
  " A leading blank of the text is not what is checked.
  let s:column += len(matchstr(s:text, '^\s*'))
  let s:name = synIDattr(synID(s:where, s:column, 1), 'name')
  if s:name !=# s:group
    call add(s:failures, printf('%s (line %d, column %d): %s, expected %s', s:text, s:where, s:column, s:name, s:group))
  endif
endfor

call writefile(empty(s:failures) ? ['ok'] : s:failures, s:result)
if empty(s:failures)
  qall!
else
  cquit!
endif
