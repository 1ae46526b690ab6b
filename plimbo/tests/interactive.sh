#!/usr/bin/env bash
# A program read from a pipe runs each statement as soon as its tokens are
# in, and what it printed arrives before it waits for more: for more source,
# or for a word that NASAJ reads. The writer at the other end sends the rest
# only after it has seen that output; waiting too long for it fails the test.
#   interactive.sh PLIMBO
set -u
plimbo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

printf '{ VRACEE ("Jak se jmenujes?"); NASAJ ($j); VRACEE ("Ahoj " + $j); } ZDECHNI\n' > ask.plb
printf '{ NASAJ ($a); VRACEE ("got:" + $a); NASAJ ($b); VRACEE ("got:" + $b); } ZDECHNI\n' > words.plb

python3 - "$plimbo" <<'PY'
import os, select, subprocess, sys, time

plimbo = sys.argv[1]
WAIT = 20  # seconds for output that is due now; generous for a loaded machine
OK = b"\nGame over, uspesne dokonceno!!!\n"
failed = False


def session(name, args, steps, rest, nonblocking=False, delay=0):
    """Runs plimbo with args, its standard input and output pipes. For each
    (send, expect) step it writes send, then must read expect before WAIT
    seconds pass, with the pipe still open; then, delay seconds later, it
    writes rest, closes standard input and expects the output to end as rest
    says. nonblocking: plimbo's end of the input pipe is non-blocking."""
    global failed
    reader, writer = os.pipe()
    if nonblocking:
        os.set_blocking(reader, False)
    child = subprocess.Popen([plimbo] + args, stdin=reader, stdout=subprocess.PIPE)
    os.close(reader)
    child.stdin = os.fdopen(writer, "wb")
    seen = b""
    try:
        for send, expect in steps:
            child.stdin.write(send)
            child.stdin.flush()
            deadline = time.monotonic() + WAIT
            while len(seen) < len(expect) and time.monotonic() < deadline:
                ready, _, _ = select.select([child.stdout], [], [], 0.1)
                if ready:
                    chunk = os.read(child.stdout.fileno(), 4096)
                    if not chunk:
                        break
                    seen += chunk
            if seen != expect:
                print(f"{name}: after sending {send!r}, waited {WAIT} s for {expect!r}, got {seen!r}")
                failed = True
                return
        time.sleep(delay)
        child.stdin.write(rest[0])
        child.stdin.close()
        seen += child.stdout.read()
        status = child.wait(timeout=60)
        if seen != rest[1] or status != 0:
            print(f"{name}: exit status {status}, output {seen!r}, expected {rest[1]!r}")
            failed = True
    finally:
        if child.poll() is None:
            child.kill()
            child.wait()


# The program from a pipe: the first statement's output arrives while the
# rest of the program is still to come.
session("source from a pipe", ["/dev/stdin"],
        [(b'{ VRACEE ("first"); ', b"first\n")],
        (b'VRACEE ("second"); } ZDECHNI\n', b"first\nsecond\n" + OK))

# Line by line, each line run before the next is sent.
session("source line by line", ["/dev/stdin"],
        [(b"{\n$a <: 1;\n", b""), (b"VRACEE ($a);\n", b"1\n"), (b"VRACEE ($a + 1);\n", b"1\n2.000000\n")],
        (b"} ZDECHNI\n", b"1\n2.000000\n" + OK))

# The program in a file, the answer from a pipe: the question arrives
# before NASAJ waits for the answer.
session("prompt before NASAJ", ["ask.plb"],
        [(b"", b"Jak se jmenujes?\n")],
        (b"Karel\n", b"Jak se jmenujes?\nAhoj Karel\n" + OK))

# Program and answer from one pipe (two arguments): the word right after
# the scanned ";" is the answer.
session("program and input from one pipe", ["a", "b"],
        [(b'{ VRACEE ("Jak se jmenujes?"); NASAJ ($j);', b"Jak se jmenujes?\n")],
        (b'Karel VRACEE ("Ahoj " + $j); } ZDECHNI\n', b"Jak se jmenujes?\nAhoj Karel\n" + OK))

# The same from a non-blocking pipe: plimbo waits for the rest instead of
# taking the empty pipe for an error.
session("program and input from one non-blocking pipe", ["a", "b"],
        [(b'{ VRACEE ("Jak se jmenujes?"); NASAJ ($j);', b"Jak se jmenujes?\n")],
        (b'Karel VRACEE ("Ahoj " + $j); } ZDECHNI\n', b"Jak se jmenujes?\nAhoj Karel\n" + OK),
        nonblocking=True)

# The answer from a non-blocking pipe whose writer sends two words half a
# second later: NASAJ waits for them instead of taking the empty pipe for
# the end of the input.
session("two words for NASAJ from a non-blocking pipe, sent late", ["words.plb"],
        [(b"", b"")],
        (b"hello world\n", b"got:hello\ngot:world\n" + OK), nonblocking=True, delay=0.5)

# The program itself, arriving half a second late on a non-blocking pipe
# (two arguments).
session("program from a non-blocking pipe, sent late", ["a", "b"],
        [(b"", b"")],
        (b'{ VRACEE ("late"); } ZDECHNI\n', b"late\n" + OK), nonblocking=True, delay=0.5)

sys.exit(1 if failed else 0)
PY
