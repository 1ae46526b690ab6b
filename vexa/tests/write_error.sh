#!/usr/bin/env bash
# A listing that cannot be written: write_error.sh VEXA CASE
# CASE is dev_full (standard output on /dev/full), stdout_closed, or
# reader_gone (a pipe whose reader has left, SIGPIPE ignored). Each must end
# with status 3 and the one line "vexa: write error: <reason>" on standard error.
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
  *) echo "unknown case $case"; exit 1 ;;
esac

failed=0
if [ "$status" != 3 ]; then echo "exit status $status, expected 3"; failed=1; fi
if [ "$(cat err)" != "$expected" ] || [ "$(wc -l < err)" != 1 ]; then
  echo "standard error (expected: $expected):"; cat err; failed=1
fi
exit $failed
