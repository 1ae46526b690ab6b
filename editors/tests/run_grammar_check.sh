#!/usr/bin/env bash
# Holds one editor's highlighting against the programs' scanners over every
# golden case, guide sample and example.
#   run_grammar_check.sh textmate|vim LIST_TOKENS
set -eu
editor=$1 lister=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
samples=$(mktemp -d)
trap 'rm -rf "$samples"' EXIT
for guide in plimbo m4t4 vexa; do
  mkdir -p "$samples/$guide"
  awk -v dir="$samples/$guide" -f "$root/tests/docs/extract_samples.awk" "$root/docs/$guide.md" >/dev/null
done
exec node "$here/compare_tokens.mjs" --editor "$editor" --lister "$lister" \
  "$root/plimbo/tests/cases" "$root/m4t4/tests/cases" "$root/vexa/tests/cases" \
  "$samples" "$root/examples"
