#!/usr/bin/env bash
# Checks that every man page renders without a single groff warning:
#   check_man.sh PAGE...
# Exits 77 (the test is skipped) when groff is not installed.
set -u
command -v groff >/dev/null 2>&1 || { echo "groff is not installed"; exit 77; }
failed=0
for page in "$@"; do
  warnings=$(LC_ALL=C groff -man -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page:"; echo "$warnings"
    failed=1
  fi
done
exit $failed
