#!/usr/bin/env bash
# Runs every sample of one Markdown guide:
#   run_guide.sh GUIDE.md PLIMBO M4T4 VEXA
# The samples are extracted by extract_samples.awk (which describes their
# format) and each is run like a golden case by tests/run_case.sh.
set -u
here=$(cd "$(dirname "$0")" && pwd)
guide=$1
# The samples run in other folders: make the programs' paths absolute.
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
declare -A programs=([plimbo]=$(absolute "$2") [m4t4]=$(absolute "$3") [vexa]=$(absolute "$4"))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v dir="$work" -f "$here/extract_samples.awk" "$guide" > "$work/list" || exit 1
count=0 failed=0
while read -r line program; do
  count=$((count + 1))
  ext=plb fixed=
  [ "$program" = m4t4 ] && ext=m4t
  [ "$program" = vexa ] && ext=vexa fixed=zdrojak.vexa
  if ! result=$(bash "$here/../run_case.sh" "${programs[$program]}" "$work/$line.$ext" "$fixed" 2>&1); then
    echo "== $guide:$((10#$line)): the $program sample fails"
    echo "$result"
    failed=$((failed + 1))
  fi
done < "$work/list"
echo "$guide: $count samples, $failed failed"
[ "$failed" -eq 0 ]
