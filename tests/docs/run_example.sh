#!/usr/bin/env bash
# Runs one example of examples/<program>/ like a golden case:
#   run_example.sh PROGRAM SOURCE [FIXED_NAME]
# Every example must have its expected output <name>.out beside it.
set -u
stem=${2%.*}
if [ ! -f "$stem.out" ]; then
  echo "$2 has no expected output $stem.out"
  exit 1
fi
exec bash "$(dirname "$0")/../run_case.sh" "$@"
