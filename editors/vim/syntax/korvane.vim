" Syntax of Korvane skin descriptions.
if exists("b:current_syntax")
  finish
endif

syntax case ignore

" Numbers: decimal, negative, or hexadecimal after 0x.
syntax match korvaneNumber "\<0x\x\+\>"
syntax match korvaneNumber "-\=\<\d\+\>"
" Colour depths of images.
syntax match korvaneDepth "\<c\(4\|8\|12\|16\|24\|32\)\>"
" Parameter keys: a word and its "=" (the value follows).
syntax match korvaneParameter "\<[A-Z_][A-Z0-9_]*="
" Switches and fixed words that stand alone on an element's line.
syntax match korvaneFlag "\s\zs\(STRETCH\|TILE\|TILEX\|TILEY\|MASK\|SOFTMASK\|FLASH\|disablecopy\|scalable\|normal\|system\|none\)\ze\(\s\|$\)"
" Restriction specifiers, also as the prefix of an item name before "%".
syntax match korvaneRestriction "\<\(Orv_\d_\d\|LAY_W\|LAY_AH\)\>%\="
syntax match korvaneRestriction "\s\zsNONE\ze\(\s\|$\)"
" Element keywords open a line.
syntax match korvaneElement "^\s*\zs\(SKINTYPE\|UID\|PID\|NAME\|LANGUAGEOVERRIDE\|LANGUAGEPARENT\|PROTECT\|AUTHOR\|COPYRIGHT\|TARGETDEVICE\|TOOL\|BITMAPPATH\|BITMAP\|COLORTABLE\|FRAME\|BMPANIM\|APPICON\|PALETTE\|SOUND\|STRING\|SCALABLEITEM\|ANIMATION\|RESTRICTION\)\ze\(\s\|$\)"
syntax match korvaneInner "^\s*\zs\(EFFECT\|MORPHING\|PREPROCESS\|COMMAND\|VALUE\|TIMINGMODEL\|SIZEBOUNDPARAM\|INT\|STR\|BMP\|NAMEDREF\|RAW\|END\)\ze\(\s\|$\)"
" Strings cannot span lines; <number> stands for one character.
syntax match korvaneEscape "<[^>]*>" contained
syntax region korvaneString start=+"+ end=+"+ end=+$+ oneline contains=korvaneEscape
" Raw data in brackets.
syntax region korvaneRaw start=+\[+ end=+\]+ end=+$+ oneline contains=korvaneNumber
" Only a "/" in the very first column makes a comment line.
syntax match korvaneComment "^/.*$"

highlight default link korvaneComment Comment
highlight default link korvaneElement Statement
highlight default link korvaneInner Keyword
highlight default link korvaneParameter Identifier
highlight default link korvaneFlag Constant
highlight default link korvaneRestriction PreProc
highlight default link korvaneDepth Type
highlight default link korvaneNumber Number
highlight default link korvaneString String
highlight default link korvaneEscape SpecialChar
highlight default link korvaneRaw Special

let b:current_syntax = "korvane"
