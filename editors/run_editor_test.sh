#!/bin/sh
# Runs an editor test: run_editor_test.sh vim SCRIPT SAMPLE, or
# run_editor_test.sh nvim SCRIPT KORVANE_LSP. Exits 77 (skipped) when the
# editor is not installed.
editor="$1"
script="$2"
argument="$3"
if ! command -v "$editor" >/dev/null 2>&1; then
  echo "$editor is not installed: test skipped"
  exit 77
fi
case "$editor" in
  vim)
    result="$(mktemp)"
    vim -Nu NONE -i NONE -es -S "$script" "$argument" "$result" </dev/null
    status=$?
    cat "$result"
    rm -f "$result"
    exit $status
    ;;
  nvim)
    KORVANE_LSP="$argument" nvim --headless -u NONE -i NONE -n -c "luafile $script" </dev/null
    ;;
  *)
    echo "unknown editor $editor"
    exit 2
    ;;
esac
