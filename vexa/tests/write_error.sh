#!/usr/bin/env bash
# A listing that cannot be written: write_error.sh VEXA CASE
# CASE is dev_full (standard output on /dev/full), stdout_closed, or
# reader_gone (a pipe whose reader has left, SIGPIPE ignored). Each must end
# with status 3 and the one line "vexa: write error: <reason>" on standard error.
# reader_gone_sigpipe: the same pipe with SIGPIPE as usual, which ends vexa
# quietly, as it ends cat: status 141 (128 + SIGPIPE), standard error empty.
# smallest_address_spaces: not a write error but too little memory: under
# the smallest limits of address space (ulimit -v) in which vexa loads at
# all, a run lists the file, or cannot open it (fopen needs memory too),
# never aborts. (A sanitizer build cannot run under such a limit: pass
# "sanitized" as a third argument to skip it, with status 77.)
set -u
vexa=$1 case=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

case $case in
  dev_full)
    printf 'a := 1;\n' > zdrojak.vexa
    "$vexa" > /dev/full 2> err; status=$?
    expected="vexa: write error: No space left on device" ;;
  stdout_closed)
    printf 'a := 1;\n' > zdrojak.vexa
    "$vexa" >&- 2> err; status=$?
    expected="vexa: write error: Bad file descriptor" ;;
  reader_gone)
    # 200,000 lines of listing: far more than a pipe holds once its reader has left.
    yes 'x;' | head -n 100000 > zdrojak.vexa
    (trap '' PIPE; "$vexa" 2> err; echo $? > status) | head -c 1 > /dev/null
    status=$(cat status)
    expected="vexa: write error: Broken pipe" ;;
  reader_gone_sigpipe)
    yes 'x;' | head -n 100000 > zdrojak.vexa
    (env --default-signal=PIPE "$vexa" 2> err; echo $? > status) | head -c 1 > /dev/null
    status=$(cat status)
    expected_status=141 expected="" ;;
  smallest_address_spaces)
    [ "${3:-}" = sanitized ] && { echo "skipped under the sanitizers"; exit 77; }
    printf 'a := 1;\n' > zdrojak.vexa
    printf '[identifikator] a\n[prirad] :=\n[cislo] 1\n[ukonznak] ;\n\n\n' > listing
    for ((space = 5600; space <= 8000; space += 100)); do
      (ulimit -v "$space" && exec "$vexa") > out 2> err
      status=$?
      if [ "$status" = 127 ] && grep -q 'error while loading shared libraries' err; then continue; fi
      if [ "$status" = 0 ] && cmp -s out listing && [ ! -s err ]; then continue; fi
      if [ "$status" = 1 ] && [ "$(cat out)" = "Soubor neexistuje" ] && [ ! -s err ]; then continue; fi
      echo "ulimit -v $space: exit status $status, standard output: $(head -c 200 out), standard error: $(head -c 200 err)"
      exit 1
    done
    exit 0 ;;
  *) echo "unknown case $case"; exit 1 ;;
esac

failed=0
if [ "$status" != "${expected_status:-3}" ]; then
  echo "exit status $status, expected ${expected_status:-3}"; failed=1
fi
if [ "$(cat err)" != "$expected" ] || [ "$(wc -l < err)" != "$([ -n "$expected" ] && echo 1 || echo 0)" ]; then
  echo "standard error (expected: $expected):"; cat err; failed=1
fi
exit $failed
