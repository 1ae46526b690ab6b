#!/usr/bin/env bash
# The nesting limits hold whatever the process stack: programs at the
# deepest documented nesting run, one level more gets the diagnostic, with a
# stack limited to 1 MiB (soft and hard, or soft only) and with the stack
# the test is given; a tiny stack; and no thread to be had.
#   small_stack.sh PLIMBO
set -u
plimbo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
ok=$'\nGame over, uspesne dokonceno!!!'
deep=$'\nNeco se pokazilo...'

repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }
repeat_text() { for ((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }
parentheses() { printf '{ VRACEE ('; repeat '(' "$1"; printf 1; repeat ')' "$1"; printf '); } ZDECHNI'; }
calls() { printf '{ VRACEE ('; for ((i = 0; i < $1; i++)); do printf '#f ('; done; printf 1; repeat ')' "$1"; printf '); } ZDECHNI'; }
# Every level an operand of all four operator chains, in parentheses or as
# a call's argument: the most stack a level takes.
chains() { printf '{ VRACEE ('; repeat_text "1 | 1 < 1 + 1 * $2" "$1"; printf 1; repeat ')' "$1"; printf '); } ZDECHNI'; }
loops() {
  printf '{ $i <: 0; '; repeat_text 'DOKAD ($i < 1) { ' "$1"; printf '$i <: 1; VRACEE ($i); '
  repeat_text '} FINISH; ' "$1"; printf '} ZDECHNI'
}
conditionals() {
  printf '{ '; for ((i = 0; i < $1; i++)); do printf 'ESLI (1) { '; done
  printf 'VRACEE (5); '; for ((i = 0; i < $1; i++)); do printf '} ILSE; '; done; printf '} ZDECHNI'
}

# run NAME EXPECTED-OUTPUT: the program is in program.plb
run() {
  local actual status limit
  for limit in "ulimit -s 1024" "ulimit -S -s 1024" ":"; do
    actual=$($limit && "$plimbo" program.plb 2>&1)
    status=$?
    if [ "$status" != 0 ] || [ "$actual" != "$2" ]; then
      echo "$1 ($limit): exit status $status, output starts: ${actual:0:200}"
      failed=1
    fi
  done
}

parentheses 14998 > program.plb; run "14,998 parentheses" "1"$'\n'"$ok"
parentheses 14999 > program.plb; run "14,999 parentheses" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
parentheses 100000 > program.plb; run "100,000 parentheses" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: ("$'\n'"$deep"
calls 14998 > program.plb; run "14,998 calls" "1"$'\n'"$ok"
calls 14999 > program.plb; run "14,999 calls" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
chains 14998 '(' > program.plb; run "14,998 operator chains" "1"$'\n'"$ok"
chains 14999 '(' > program.plb; run "14,999 operator chains" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
chains 14998 '#f (' > program.plb; run "14,998 operator chains with calls" "1"$'\n'"$ok"
chains 14999 '#f (' > program.plb; run "14,999 operator chains with calls" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
conditionals 14998 > program.plb; run "14,998 conditionals" "5"$'\n'"$ok"
conditionals 14999 > program.plb; run "14,999 conditionals" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 5"$'\n'"$deep"
loops 14998 > program.plb; run "14,998 loops" "1"$'\n'"$ok"
loops 14999 > program.plb; run "14,999 loops" "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
# A tiny process stack (16 KiB) and an empty environment, run after run: the
# hash key is drawn when the run starts, not before main, so nothing there
# needs more stack than a tiny program's start.
printf '{ VRACEE ("ahoj"); } ZDECHNI\n' > hello.plb
for ((i = 0; i < 50; i++)); do
  actual=$(ulimit -s 16 && env -i "$plimbo" hello.plb 2>&1)
  status=$?
  if [ "$status" != 0 ] || [ "$actual" != "ahoj"$'\n'"$ok" ]; then
    echo "ulimit -s 16, env -i, run $i: exit status $status, output starts: ${actual:0:200}"
    failed=1
    break
  fi
done

# No thread can be made (RLIMIT_NPROC spent): the run takes the main
# thread's stack, grown at once as far as its limits allow. A small program
# runs on the smallest stack; a program that nests deeper than that stack
# holds stops with the message that says so; with the soft limit below the
# hard one the stack grows to the whole nesting. The limit on processes
# binds only an unprivileged user: as root the runs drop to nobody (with a
# copy of plimbo and the programs they can read).
no_thread=()
if [ "$(id -u)" != 0 ]; then
  command -v prlimit > /dev/null && no_thread=(prlimit --nproc=0 --)
elif command -v setpriv > /dev/null && command -v prlimit > /dev/null; then
  no_thread=(setpriv --reuid=65534 --regid=65534 --clear-groups -- prlimit --nproc=0 --)
fi
# (LeakSanitizer, in a sanitizer build, needs a thread of its own at the
# exit: it is off for these runs.)
[ ${#no_thread[@]} = 0 ] || no_thread=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "${no_thread[@]}")
if [ ${#no_thread[@]} = 0 ]; then
  echo "skipped: no way to run without threads (prlimit, and setpriv for root)"
else
  chmod 755 "$work"
  cp "$plimbo" ./plimbo_copy
  chmod 755 ./plimbo_copy
  chmod 644 ./*.plb
  # without_thread NAME STACK-LIMIT(soft[:hard], bytes) PROGRAM EXPECTED
  without_thread() {
    local actual status
    actual=$("${no_thread[@]}" prlimit --stack="$2" -- ./plimbo_copy "$3" 2>&1)
    status=$?
    if [ "$status" != 0 ] || [ "$actual" != "$4" ]; then
      echo "no thread, $1: exit status $status, output starts: ${actual:0:200}"
      failed=1
    fi
  }
  stack_message="(A)Chyba (1), vnoreni potrebuje vic zasobniku, obdrzen: 1"$'\n'"$deep"
  without_thread "hello, stack 256 KiB" 262144 hello.plb "ahoj"$'\n'"$ok"
  without_thread "hello, stack 1 MiB" 1048576 hello.plb "ahoj"$'\n'"$ok"
  chains 14998 '(' > deepest.plb
  chains 14999 '(' > past.plb
  without_thread "14,998 operator chains, stack 1 MiB" 1048576 deepest.plb "$stack_message"
  without_thread "14,998 operator chains, soft stack 1 MiB" 1048576:unlimited deepest.plb "1"$'\n'"$ok"
  without_thread "14,999 operator chains, soft stack 1 MiB" 1048576:unlimited past.plb \
    "(A)Chyba (1), prilis hluboke vnoreni, obdrzen: 1"$'\n'"$deep"
  loops 14998 > loops.plb
  without_thread "14,998 loops, soft stack 1 MiB" 1048576:unlimited loops.plb "1"$'\n'"$ok"
fi
exit $failed
