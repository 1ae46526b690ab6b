#!/usr/bin/env bash
# Checks that a program of an optimised build holds none of its tools' hooks:
# no function that <program>/hooks.h declares, nothing of the event library
# (events::, steps_configure) or of the source listing (listSource).
#   no_hooks.sh PROGRAM HOOKS.H NAMESPACE
set -u
program=$1 hooks=$2 namespace=$3
command -v nm >/dev/null || { echo "nm is missing"; exit 1; }
symbols=$(nm -C "$program") || { echo "nm cannot read $program"; exit 1; }
# The hooks: every function declared in hooks.h ("void name(" at a line's start).
names=$(sed -n 's/^\(inline \)\{0,1\}void \([A-Za-z]*\)(.*/\2/p' "$hooks" | sort -u)
[ -n "$names" ] || { echo "no hook found in $hooks"; exit 1; }
failed=0
patterns=()
for name in $names listSource; do patterns+=("$namespace::$name\\("); done
patterns+=("$namespace::events::" " steps_configure$" " steps_breakpoint$")
for pattern in "${patterns[@]}"; do
  if grep -qE -- "$pattern" <<< "$symbols"; then
    echo "$program holds $pattern:"; grep -E -- "$pattern" <<< "$symbols" | head -3
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "$program: none of $(wc -w <<< "$names") hooks, no event library, no listing"
exit "$failed"
