#!/usr/bin/env bash
# A listing that cannot be written: write_error.sh VEXA CASE
# CASE is dev_full (standard output on /dev/full), stdout_closed, or
# reader_gone (a pipe whose reader has left, SIGPIPE ignored). Each must end
# with status 3 and the one line "vexa: write error: <reason>" on standard error.
# reader_gone_sigpipe: the same pipe with SIGPIPE as usual, which ends vexa
# quietly, as it ends cat: status 141 (128 + SIGPIPE), standard error empty.
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
