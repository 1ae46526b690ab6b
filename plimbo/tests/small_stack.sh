#!/usr/bin/env bash
# The nesting limits hold whatever the process stack: programs at the
# deepest documented nesting run, one level more gets the diagnostic, with a
# stack limited to 1 MiB (soft and hard, or soft only) and with the stack
# the test is given.
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
exit $failed
