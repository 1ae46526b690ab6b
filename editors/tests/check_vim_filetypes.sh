#!/usr/bin/env bash
# Runs vim_filetypes.vim in a headless Vim and prints its failures.
#   check_vim_filetypes.sh VIM [BUILD_DIR]
# With BUILD_DIR, :make runs its plimbo, m4t4 and vexa, through links in a
# folder whose name :make and the shell would both expand if not quoted.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
out=$tmp/failures
echo "not run" > "$out"
if [ -n "${2:-}" ]; then
  export TEST_PROGRAMS="$tmp/bin ěš 100% #1 <cword> \$HOME \`date\` & it's \"q\""
  mkdir "$TEST_PROGRAMS"
  for program in plimbo m4t4 vexa; do ln -s "$2/$program" "$TEST_PROGRAMS/$program"; done
fi
# The runtime folder through a link in a new folder, whose name 'runtimepath'
# takes as it stands (the checkout's may hold anything); the paths reach Vim
# through the environment.
ln -s "$here/../vim" "$tmp/runtime"
export TEST_RUNTIME=$tmp/runtime TEST_OUT=$out
"${1:-vim}" -Nu NONE -i NONE -n -es --cmd 'set encoding=utf-8 | let &rtp = $TEST_RUNTIME . "," . &rtp' \
  -S "$here/vim_filetypes.vim" </dev/null >/dev/null
if [ -s "$out" ]; then cat "$out"; echo "vim filetypes: 0 passed, 1 failed"; exit 1; fi
echo "vim filetypes: 1 passed, 0 failed"
