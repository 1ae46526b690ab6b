#!/usr/bin/env bash
# Runs m4t4 where output cannot be written, where the reader is slow or gone,
# on a small or tiny process stack, and where no thread can be made:
# hostile_run_test.sh PATH_TO_M4T4
set -u
m4t4=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

fail() {
  echo "FAIL: $*"
  failed=1
}

# expect_write_error NAME ERROR-TEXT STATUS STDERR-FILE
expect_write_error() {
  local expected="m4t4: write error: $2"
  [ "$3" = 3 ] || fail "$1: exit status $3, expected 3"
  [ "$(cat "$4")" = "$expected" ] || fail "$1: standard error '$(cat "$4")', expected '$expected'"
}

printf '{ pis_ln("hello"); } .' > small.m4t
printf '{ w2 (1) { pis_ln("line"); } w2_end; } .' > endless.m4t

# A full device: nothing can be written, not even the greeting.
"$m4t4" small.m4t > /dev/full 2> err.txt
expect_write_error "/dev/full" "No space left on device" $? err.txt

# Standard output closed: the source takes descriptor 1 and writes to it fail.
"$m4t4" small.m4t >&- 2> err.txt
expect_write_error "closed standard output" "Bad file descriptor" $? err.txt

# The reader goes away while SIGPIPE is ignored: the endless loop stops.
(
  trap '' PIPE
  timeout 20 "$m4t4" endless.m4t 2> err.txt | head -c 100 > /dev/null
  exit "${PIPESTATUS[0]}"
)
expect_write_error "reader gone" "Broken pipe" $? err.txt

# With SIGPIPE as usual the process ends quietly by the signal, as cat does
# (status 128 + 13, nothing on standard error).
timeout 20 env --default-signal=PIPE "$m4t4" endless.m4t 2> err.txt | head -c 100 > /dev/null
status=${PIPESTATUS[0]}
[ "$status" = 141 ] || fail "default SIGPIPE: exit status $status, expected 141"
[ -s err.txt ] && fail "default SIGPIPE: standard error '$(cat err.txt)', expected nothing"

# A non-blocking pipe whose reader starts late and reads slowly loses nothing.
printf '{ @i -> 0; w2 (@i < 100000) { pis_ln(@i); @i -> @i + 1; } w2_end; } .' > lines.m4t
python3 - "$m4t4" > slow.txt <<'EOF' || fail "non-blocking pipe: $(cat slow.txt)"
import fcntl, os, subprocess, sys, time
read_end, write_end = os.pipe()
flags = fcntl.fcntl(write_end, fcntl.F_GETFL)
fcntl.fcntl(write_end, fcntl.F_SETFL, flags | os.O_NONBLOCK)
child = subprocess.Popen([sys.argv[1], "lines.m4t"], stdout=write_end)
os.close(write_end)
time.sleep(0.5)
chunks = []
while True:
    chunk = os.read(read_end, 4096)
    if not chunk:
        break
    chunks.append(chunk)
    time.sleep(0.0002)
status = child.wait()
lines = b"".join(chunks).split(b"\n")
# greeting (3 lines), 100,000 numbers, blank, success line, blank, bye, blank
numbers = [l for l in lines if l and l[0:1].isdigit()]
if status != 0 or len(numbers) != 100000 or numbers[-1] != b"99999.000000":
    print("status", status, "numbers", len(numbers))
    sys.exit(1)
EOF

# The documented nesting depths hold on a 1 MiB process stack.
python3 - <<'EOF'
n = 11998
open("calls.m4t", "w").write("{ pis(" + "~f(" * n + "7" + ")" * n + "); } .")
open("parens.m4t", "w").write("{ pis(" + "(" * n + "7" + ")" * n + "); } .")
open("conditions.m4t", "w").write("{ " + "i2 (1) { " * n + "pis(7);" + " } i2_end;" * n + " } .")
open("too_deep.m4t", "w").write("{ pis(" + "(" * (n + 1) + "7" + ")" * (n + 1) + "); } .")
EOF
ok=$'\nhello\n\n7\nProgram probehl bez chyb.\n\nbye'
for name in calls parens conditions; do
  out=$(ulimit -s 1024; "$m4t4" "$name.m4t" 2>&1)
  status=$?
  [ "$status" = 0 ] && [ "$out" = "$ok" ] || fail "$name at depth 11998 on a 1 MiB stack: status $status"
done
deep=$'\nhello\n\nV bloku: \'Logicky_vyraz\', na radku: 1 nastala chyba - prilis hluboke vnoreni.\n\nV programu se vyskytla chyba.\n\nbye'
out=$(ulimit -s 1024; "$m4t4" too_deep.m4t 2>&1)
[ "$out" = "$deep" ] || fail "depth 11999 on a 1 MiB stack: $out"

# A tiny process stack (16 KiB) and an empty environment, run after run: the
# hash key is drawn when the run starts, not before main, so nothing there
# needs more stack than a tiny program's start.
hello_out=$'\nhello\n\nhello\n\nProgram probehl bez chyb.\n\nbye'
for ((i = 0; i < 50; i++)); do
  out=$(ulimit -s 16; env -i "$m4t4" small.m4t 2>&1)
  status=$?
  if [ "$status" != 0 ] || [ "$out" != "$hello_out" ]; then
    fail "ulimit -s 16, env -i, run $i: status $status, output $(printf '%q' "$out" | head -c 200)"
    break
  fi
done

# No thread can be made (RLIMIT_NPROC spent): the run takes the main
# thread's stack, grown at once as far as its limits allow. A small program
# runs on the smallest stack; a program that nests deeper than that stack
# holds stops with the message that says so; with the soft limit below the
# hard one the stack grows to the whole nesting. The limit on processes
# binds only an unprivileged user: as root the runs drop to nobody (with a
# copy of m4t4 and the programs they can read).
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
  cp "$m4t4" ./m4t4_copy
  chmod 755 ./m4t4_copy
  chmod 644 ./*.m4t
  # without_thread NAME STACK-LIMIT(soft[:hard], bytes) SOURCE EXPECTED
  without_thread() {
    local out status
    out=$("${no_thread[@]}" prlimit --stack="$2" -- ./m4t4_copy "$3" 2>&1)
    status=$?
    [ "$status" = 0 ] && [ "$out" = "$4" ] || fail "no thread, $1: status $status, output $(printf '%q' "$out" | head -c 300)"
  }
  no_stack=$'\nhello\n\nV bloku: \'Logicky_vyraz\', na radku: 1 nastala chyba - vnoreni potrebuje vic zasobniku.\n\nV programu se vyskytla chyba.\n\nbye'
  without_thread "hello, stack 256 KiB" 262144 small.m4t "$hello_out"
  without_thread "hello, stack 1 MiB" 1048576 small.m4t "$hello_out"
  without_thread "calls 11,998 deep, stack 1 MiB" 1048576 calls.m4t "$no_stack"
  without_thread "calls 11,998 deep, soft stack 1 MiB" 1048576:unlimited calls.m4t "$ok"
  without_thread "parentheses 11,999 deep, soft stack 1 MiB" 1048576:unlimited too_deep.m4t "$deep"
fi

exit $failed
