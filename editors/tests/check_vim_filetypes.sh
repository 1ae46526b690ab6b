#!/usr/bin/env bash
# Runs vim_filetypes.vim in a headless Vim and prints its failures.
#   check_vim_filetypes.sh VIM [VEXA]
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
echo "not run" > "$out"
"${1:-vim}" -Nu NONE -i NONE -n -es --cmd "set rtp^=$here/../vim" -c "let g:out = '$out'" ${2:+-c "let g:vexa_program = '$2'"} -S "$here/vim_filetypes.vim" </dev/null >/dev/null
if [ -s "$out" ]; then cat "$out"; echo "vim filetypes: 0 passed, 1 failed"; exit 1; fi
echo "vim filetypes: 1 passed, 0 failed"
