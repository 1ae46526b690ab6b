#!/usr/bin/env bash
# Makes the screenshots of editors/README.md: an example of each language
# highlighted by the Vim syntax files (:TOhtml), rendered by headless Chromium.
#   editors/screenshots.sh [CHROMIUM]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
chromium=${1:-chromium}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for example in plimbo/tour.plb m4t4/tour.m4t vexa/tour.vexa; do
  language=${example%%/*}
  lines=$(wc -l < "$here/../examples/$example")
  vim -Nu NONE -i NONE -n -es --cmd "set rtp^=$here/vim" \
    -c 'runtime plugin/tohtml.vim | set termguicolors background=light | filetype plugin indent on | syntax on' \
    -c "edit $here/../examples/$example" \
    -c 'let g:html_no_progress = 1 | let g:html_number_lines = 1 | let g:html_font = "DejaVu Sans Mono"' \
    -c "TOhtml | write! $work/$language.html | qall!" >/dev/null
  "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --window-size=960,$((lines * 19 + 40)) --screenshot="$here/$language.png" "file://$work/$language.html" >/dev/null 2>&1
done
