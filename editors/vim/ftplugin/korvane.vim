" A "/" in the first column starts a comment line; nothing else is a comment.
if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1
setlocal commentstring=/%s
setlocal comments=:/
setlocal iskeyword=@,48-57,_,=,%
let b:undo_ftplugin = "setlocal commentstring< comments< iskeyword<"
