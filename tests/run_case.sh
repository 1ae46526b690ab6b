#!/usr/bin/env bash
# Runs one golden case: run_case.sh PROGRAM SOURCE [FIXED_NAME]
# The program runs in a fresh folder that holds a copy of SOURCE, named as the
# original or FIXED_NAME; its standard output must equal <case>.out byte for
# byte and its exit status <case>.status (default 0).
set -u
program=$1 source=$2 fixed=${3:-}
stem=${source%.*}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

name=${fixed:-$(basename "$source")}
cp "$source" "$work/$name"

args=()
if [ -f "$stem.args" ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    args+=("${line//@SRC@/$name}")
  done < "$stem.args"
elif [ -z "$fixed" ]; then
  args=("$name")
fi

input=/dev/null
[ -f "$stem.in" ] && input=$stem.in
expected_status=0
[ -f "$stem.status" ] && expected_status=$(tr -d '[:space:]' < "$stem.status")

cd "$work" || exit 1
if [ -f "$stem.setup" ]; then
  bash "$stem.setup" || { echo "setup failed: $stem.setup"; exit 1; }
fi

# GOLDEN_WRAPPER, when set, runs the program under a checker (e.g. valgrind);
# GOLDEN_TIMEOUT (seconds, default 60) bounds each run.
wrapper=()
[ -n "${GOLDEN_WRAPPER:-}" ] && read -r -a wrapper <<< "$GOLDEN_WRAPPER"
if [ -f "$stem.stdin-folder" ]; then
  # Standard input a folder: every read of it fails (EISDIR).
  timeout "${GOLDEN_TIMEOUT:-60}" "${wrapper[@]}" "$program" "${args[@]}" < "$work" > "$work/.actual" 2> "$work/.stderr"
elif [ -f "$stem.stdin-closed" ]; then
  timeout "${GOLDEN_TIMEOUT:-60}" "${wrapper[@]}" "$program" "${args[@]}" <&- > "$work/.actual" 2> "$work/.stderr"
else
  timeout "${GOLDEN_TIMEOUT:-60}" "${wrapper[@]}" "$program" "${args[@]}" < "$input" > "$work/.actual" 2> "$work/.stderr"
fi
status=$?

failed=0
if ! cmp -s "$work/.actual" "$stem.out"; then
  echo "standard output differs from $stem.out (expected, then actual, with cat -A):"
  diff <(cat -A "$stem.out") <(cat -A "$work/.actual") | head -40
  failed=1
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  failed=1
fi
if [ -s "$work/.stderr" ]; then
  echo "standard error:"; head -40 "$work/.stderr"
  grep -q -E 'Sanitizer|runtime error|definitely lost|ERROR SUMMARY: [1-9]' "$work/.stderr" && failed=1
fi
exit $failed
