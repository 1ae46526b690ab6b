#!/usr/bin/env bash
# Output that cannot be written: the run stops, says why in one line on
# standard error and exits with status 3; a slow reader loses nothing.
#   write_errors.sh PLIMBO
set -u
plimbo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

# expect NAME STATUS STDERR-LINE ACTUAL-STATUS
expect() {
  local actual_err
  actual_err=$(cat err)
  if [ "$4" != "$2" ] || [ "$actual_err" != "$3" ]; then
    echo "$1: exit status $4 (expected $2), standard error: '$actual_err' (expected '$3')"
    failed=1
  fi
}

printf '{ VRACEE ("hello"); } ZDECHNI' > hello.plb
printf '{ DOKAD (1) { VRACEE ("y"); } FINISH; } ZDECHNI' > endless.plb

"$plimbo" hello.plb > /dev/full 2> err
expect "program output to a full disk" 3 "plimbo: write error: No space left on device" $?
"$plimbo" > /dev/full 2> err
expect "usage text to a full disk" 3 "plimbo: write error: No space left on device" $?
"$plimbo" missing.plb > /dev/full 2> err
expect "open failure to a full disk" 3 "plimbo: write error: No space left on device" $?
"$plimbo" hello.plb >&- 2> err
expect "standard output closed" 3 "plimbo: write error: Bad file descriptor" $?
"$plimbo" x y < hello.plb >&- 2> err
expect "standard output closed, source on standard input" 3 "plimbo: write error: Bad file descriptor" $?
"$plimbo" endless.plb 2> err > /dev/full
expect "endless output to a full disk" 3 "plimbo: write error: No space left on device" $?

# The reader goes away while SIGPIPE is ignored: the endless loop must stop.
status=$( (trap '' PIPE; timeout 60 "$plimbo" endless.plb 2> err | head -c 10 > /dev/null; echo "${PIPESTATUS[0]}") )
expect "reader gone, SIGPIPE ignored" 3 "plimbo: write error: Broken pipe" "$status"

# The reader goes away with SIGPIPE as usual: plimbo ends quietly by the
# signal, as cat does (status 128 + 13, nothing on standard error).
status=$( (timeout 60 env --default-signal=PIPE "$plimbo" endless.plb 2> err | head -c 10 > /dev/null; echo "${PIPESTATUS[0]}") )
expect "reader gone, SIGPIPE as usual" 141 "" "$status"

# A non-blocking pipe with a slow reader: every line arrives, status 0.
printf '{ $i <: 0; DOKAD ($i < 100000) { VRACEE ($i); $i <: $i + 1; } FINISH; } ZDECHNI' > many.plb
python3 - "$plimbo" <<'PY' || failed=1
import fcntl, os, subprocess, sys, time
r, w = os.pipe()
fcntl.fcntl(w, fcntl.F_SETFL, fcntl.fcntl(w, fcntl.F_GETFL) | os.O_NONBLOCK)
child = subprocess.Popen([sys.argv[1], "many.plb"], stdout=w, stderr=subprocess.PIPE)
os.close(w)
data = bytearray()
while True:
    time.sleep(0.0002)
    chunk = os.read(r, 4096)
    if not chunk:
        break
    data += chunk
err = child.stderr.read()
status = child.wait()
lines = data.decode().split("\n")
expected = ["0"] + ["%d.000000" % i for i in range(1, 100000)] + ["", "Game over, uspesne dokonceno!!!", ""]
if status != 0 or err or lines != expected:
    print("non-blocking slow reader: status %d, %d lines, standard error %r" % (status, len(lines), err))
    sys.exit(1)
PY
exit $failed
