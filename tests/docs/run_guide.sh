#!/usr/bin/env bash
# Runs every sample of one Markdown guide:
#   run_guide.sh GUIDE.md PLIMBO M4T4 VEXA
# The samples are extracted by extract_samples.awk (which describes their
# format) and each is run like a golden case by tests/run_case.sh.
set -u
here=$(cd "$(dirname "$0")" && pwd)
guide=$1
declare -A programs=([plimbo]=$2 [m4t4]=$3 [vexa]=$4)
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
