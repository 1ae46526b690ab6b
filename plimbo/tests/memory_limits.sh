#!/usr/bin/env bash
# Programs run under a limit on address space (ulimit -v): a tiny program
# within 32 MiB, and programs that need R of resident memory (many long
# values; a loop as long as the recorder holds) within R + 32 MiB, with the
# stack the test is given and with a stack of 1 MiB;
# the deepest nesting under every pairing of address space and stack size;
# and the smallest address spaces a run can start in.
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
# A loop run three times that records as many tokens as its statements let it
# under the cap of 1,000,000: 4 + 1 + 4 x 249,996 + 6 + 2 = 999,997.
python3 - <<'PY'
with open("program.plb", "w") as out:
    out.write("{ $i <: 0; DOKAD ($i < 3) {\n" + "$a <: $i;\n" * 249996
              + "$i <: $i + 1; } FINISH; VRACEE ($a); } ZDECHNI\n")
PY
resident=$(python3 -c '
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$plimbo" program.plb) || exit 1
run "a loop of 999,997 recorded tokens, $resident KiB resident" $((resident + 32768)) "2.000000"$'\n'"$ok"
# The address-space x stack-size matrix: the deepest nesting documented
# (14,998 levels of the heaviest operator chains, and of loops) and one
# level past it, under every pairing of these limits. No cell may end by a
# signal or take long: each prints the program's output, or the diagnostic
# of the limit it met and the failure line, and exits with status 0. Where
# the address space is not limited the stack is there: the nesting limit
# alone decides.
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
repeat_text() { for ((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }
chains() { printf '{ VRACEE ('; repeat_text '1 | 1 < 1 + 1 * (' "$1"; printf 1; repeat ')' "$1"; printf '); } ZDECHNI'; }
loops() {
  printf '{ $i <: 0; '; repeat_text 'DOKAD ($i < 1) { ' "$1"; printf '$i <: 1; VRACEE ($i); '
  repeat_text '} FINISH; ' "$1"; printf '} ZDECHNI'
}
bad=$'\nNeco se pokazilo...'
no_memory="(SA)Chyba (1), nedostatek pameti"$'\n'"$bad"
# The stack message names the procedure that would nest one level more and
# the token it stands on: in the chains an A on its first operand; in the
# loops a block on its "{", a condition on "$i", the assignment on "1".
chains_stack="(A)Chyba (1), vnoreni potrebuje vic zasobniku, obdrzen: 1"$'\n'"$bad"
loops_stack=("(blok)Chyba (1), vnoreni potrebuje vic zasobniku, obdrzen: {"$'\n'"$bad"
             "(A)Chyba (1), vnoreni potrebuje vic zasobniku, obdrzen: \$i"$'\n'"$bad"
             "(A)Chyba (1), vnoreni potrebuje vic zasobniku, obdrzen: 1"$'\n'"$bad")
chains 14998 > chains_deepest.plb; chains 14999 > chains_past.plb
loops 14998 > loops_deepest.plb; loops 14999 > loops_past.plb
chains_ran="1"$'\n'"$ok"
chains_deep="(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$bad"
loops_ran="1"$'\n'"$ok"
loops_deep="(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$bad"

# cell STACK SPACE PROGRAM EXPECTED [OTHER-OUTPUT...]: with the address space
# limited the other outputs are allowed too.
cell() {
  local stack=$1 space=$2 program=$3 expected=$4 actual status allowed
  shift 4
  actual=$(ulimit -s "$stack" && ulimit -v "$space" && timeout 30 "$plimbo" "$program" 2>&1)
  status=$?
  allowed=("$expected")
  [ "$space" != unlimited ] && allowed+=("$@")
  for output in "${allowed[@]}"; do
    [ "$status" = 0 ] && [ "$actual" = "$output" ] && return
  done
  echo "$program (ulimit -s $stack -v $space): exit status $status, output starts: ${actual:0:200}"
  failed=1
}
for stack in unlimited 8192 1024 256; do
  for space in unlimited 65536 32768 16384 12288 8192; do
    cell "$stack" "$space" chains_deepest.plb "$chains_ran" "$chains_stack" "$no_memory"
    cell "$stack" "$space" chains_past.plb "$chains_deep" "$chains_stack" "$no_memory"
    cell "$stack" "$space" loops_deepest.plb "$loops_ran" "${loops_stack[@]}" "$no_memory"
    cell "$stack" "$space" loops_past.plb "$loops_deep" "${loops_stack[@]}" "$no_memory"
  done
done

# Under the smallest address spaces in which the program loads at all (the
# dynamic loader reports the ones below, status 127), a run ends with its
# output, the out-of-memory message or the open-failure message (fopen too
# needs memory), or at worst the one line of a write error and status 3:
# never an abort. The 131,000-character file name makes the longest message
# there is.
long_name=$(head -c 131000 /dev/zero | tr '\0' n)
printf '{ VRACEE ("ahoj"); } ZDECHNI\n' > program.plb
for ((space = 5600; space <= 8000; space += 100)); do
  for name in program.plb "$long_name"; do
    printf '\nFile "%s" se nepodarilo otevrit ty plimbo, cos tam jebnul\n' "$name" > open_failure
    printf 'ahoj\n%s\n' "$ok" > ran
    printf '%s\n' "$no_memory" > no_memory
    (ulimit -v "$space" && exec "$plimbo" "$name") > out 2> err
    status=$?
    if [ "$status" = 127 ] && grep -q 'error while loading shared libraries' err; then continue; fi
    if [ "$status" = 0 ] && [ ! -s err ] &&
       { cmp -s out open_failure || { [ "$name" = program.plb ] && { cmp -s out ran || cmp -s out no_memory; }; }; }; then
      continue
    fi
    if [ "$status" = 3 ] && [ "$(cat err)" = "plimbo: write error: Cannot allocate memory" ]; then continue; fi
    echo "ulimit -v $space, ${#name}-character file name: exit status $status, output starts: $(head -c 100 out), standard error: $(head -c 200 err)"
    failed=1
  done
done
exit $failed
