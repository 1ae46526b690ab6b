#!/usr/bin/env bash
# Programs run under a limit on address space (ulimit -v): a tiny program
# within 32 MiB, and a program that needs R of resident memory within
# R + 32 MiB, with the stack the test is given and with a stack of 1 MiB
# (where the analysis runs on a thread of its own). Where there is no room
# for that thread's stack, the main thread's soft stack limit is raised.
#   memory_limits.sh PLIMBO [sanitized]
# A sanitizer build reserves terabytes of address space: the test is then
# skipped (exit status 77).
set -u
plimbo=$1
if [ "${2:-}" = sanitized ]; then
  echo "skipped: a sanitizer build cannot run under a limit on address space"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
ok=$'\nGame over, uspesne dokonceno!!!'

# run NAME LIMIT-KIB EXPECTED-OUTPUT: the program is in program.plb
run() {
  local actual status stack
  for stack in ":" "ulimit -s 1024" "ulimit -S -s 1024"; do
    actual=$(ulimit -v "$2" && $stack && "$plimbo" program.plb 2>&1)
    status=$?
    if [ "$status" != 0 ] || [ "$actual" != "$3" ]; then
      echo "$1 (ulimit -v $2; $stack): exit status $status, output starts: ${actual:0:200}"
      failed=1
    fi
  done
}

printf '{ VRACEE ("ahoj"); } ZDECHNI\n' > program.plb
run "the README example" 32768 "ahoj"$'\n'"$ok"
# 12 MiB leave no room for a thread's stack of 7.7 MB beside the program.
actual=$(ulimit -v 12288 && ulimit -S -s 1024 && "$plimbo" program.plb 2>&1)
if [ "$actual" != "ahoj"$'\n'"$ok" ]; then
  echo "the README example (ulimit -v 12288; ulimit -S -s 1024): output starts: ${actual:0:200}"
  failed=1
fi

# 200,000 variables, each holding a text too long for its record.
python3 - <<'PY'
with open("program.plb", "w") as out:
    out.write("{\n")
    for k in range(200000):
        out.write('$v%d <: "a value too long to be held in the record %d";\n' % (k, k))
    out.write("VRACEE ($v0); VRACEE ($v199999);\n} ZDECHNI\n")
PY
expected='a value too long to be held in the record 0'$'\n''a value too long to be held in the record 199999'$'\n'"$ok"
resident=$(python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$plimbo" program.plb) || exit 1
run "200,000 long values, $resident KiB resident" $((resident + 32768)) "$expected"
exit $failed
