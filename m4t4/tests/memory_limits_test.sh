#!/usr/bin/env bash
# Runs m4t4 under small limits of the address space (ulimit -v) and of the
# stack (ulimit -s), each alone and in every pairing:
# memory_limits_test.sh PATH_TO_M4T4 [sanitized]
# With "sanitized" the address-space runs are skipped: AddressSanitizer
# reserves terabytes of address space.
set -u
m4t4=$1
sanitized=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

fail() {
  echo "FAIL: $*"
  failed=1
}

greeting=$'\nhello\n\n'
success=$'\nProgram probehl bez chyb.\n\nbye\n\n'

# expect NAME EXPECTED-OUTPUT LIMITS... -- SOURCE: runs m4t4 on SOURCE in a
# shell that first sets the ulimit options LIMITS.
expect() {
  local name=$1 expected=$2
  shift 2
  local limits=()
  while [ "$1" != -- ]; do
    limits+=("$1")
    shift
  done
  local actual
  actual=$(ulimit "${limits[@]}" && "$m4t4" "$2" 2>&1; echo x)
  [ "${actual%x}" = "$expected" ] || fail "$name under ulimit ${limits[*]}: $(printf '%q' "${actual%x}" | head -c 300)"
}

# Peak resident memory of a run without limits, in KiB.
peak_kib() {
  python3 - "$m4t4" "$1" <<'PY'
import resource, subprocess, sys
subprocess.run([sys.argv[1], sys.argv[2]], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
PY
}

python3 - <<'EOF_PY'
# 100,000 variables, then the sum of the last and the second.
open("variables.m4t", "w").write(
    "{\n" + "".join("@v%d -> %d;\n" % (i, i) for i in range(100000))
    + "pis_ln(@v99999 + @v1); } .\n")
# A loop that records 200,013 tokens, run three times.
open("long_loop.m4t", "w").write(
    "{ @i -> 0; w2 (@i < 3) {\n" + "@a -> @i;\n" * 50000
    + "@i -> @i + 1; } w2_end; pis_ln(@a); } .\n")
# The same loop as long as the cap on recorded tokens lets it be: 4 + 1 +
# 4 x 249,996 + 6 + 2 = 999,997 of the 1,000,000 tokens.
open("longest_loop.m4t", "w").write(
    "{ @i -> 0; w2 (@i < 3) {\n" + "@a -> @i;\n" * 249996
    + "@i -> @i + 1; } w2_end; pis_ln(@a); } .\n")
# 200,000 values left on the value stack by call statements.
open("values.m4t", "w").write(
    "{ @i -> 0; w2 (@i < 200000) { ~f(@i); @i -> @i + 1; } w2_end; pis_ln(@i); } .\n")
n = 11998
open("calls.m4t", "w").write("{ pis(" + "~f(" * n + "7" + ")" * n + "); } .")
open("conditions.m4t", "w").write("{ " + "i2 (1) { " * n + "pis(7);" + " } i2_end;" * n + " } .")
EOF_PY
printf '{ pis_ln("ahoj"); } .' > readme.m4t

if [ "$sanitized" != sanitized ]; then
  # The README's first program in 32 MiB of address space.
  expect "README example" "${greeting}ahoj"$'\n'"$success" -v 32768 -- readme.m4t
  # A program that peaks at R KiB of resident memory runs in R + 32 MiB.
  expect_within_peak() {
    local peak
    peak=$(peak_kib "$2") || { fail "$1: the unlimited run failed"; return; }
    expect "$1 (peak $peak KiB)" "$3" -v $((peak + 32768)) -- "$2"
  }
  expect_within_peak "100,000 variables" variables.m4t "${greeting}100000.000000"$'\n'"$success"
  expect_within_peak "a loop of 200,013 recorded tokens" long_loop.m4t "${greeting}2.000000"$'\n'"$success"
  expect_within_peak "a loop of 999,997 recorded tokens" longest_loop.m4t "${greeting}2.000000"$'\n'"$success"
  expect_within_peak "200,000 values" values.m4t "${greeting}200000.000000"$'\n'"$success"
  # The deepest nesting on a 1 MiB stack in 32 MiB of address space.
  expect "calls 11,998 deep" "${greeting}7${success}" -s 1024 -v 32768 -- calls.m4t
  expect "conditions 11,998 deep" "${greeting}7${success}" -s 1024 -v 32768 -- conditions.m4t
fi
if [ "$sanitized" != sanitized ]; then
  # The address-space x stack-size matrix: the deepest nesting documented
  # (11,998 levels of the operator chains and of calls) and one level past
  # it, under every pairing of these limits. No cell may end by a signal or
  # take long: each prints the program's output, or the diagnostic of the
  # limit it met and the failure lines, and exits with status 0. Where the
  # address space is not limited the stack is there: the nesting limit
  # alone decides.
  python3 - <<'EOF_PY'
n = 11998
for name, level in (("chains", "1 | 1 < 1 + 1 * ("), ("calls", "~f(")):
    for suffix, depth in (("deepest", n), ("past", n + 1)):
        open("%s_%s.m4t" % (name, suffix), "w").write("{ pis(" + level * depth + "7" + ")" * depth + "); } .")
EOF_PY
  failure() { printf '%sV bloku: '"'"'%s'"'"', na radku: 1 nastala chyba - %s.\n\nV programu se vyskytla chyba.\n\nbye\n\n' "$greeting" "$1" "$2"; }
  # The chains print 1 (the value of the outermost "|"), the calls 7.
  ran_chains="${greeting}1${success}"
  ran_calls="${greeting}7${success}"
  too_deep=$(failure Logicky_vyraz "prilis hluboke vnoreni"; echo x)
  no_stack=$(failure Logicky_vyraz "vnoreni potrebuje vic zasobniku"; echo x)
  no_memory=$(failure Vloz_do_zas "nedostatek pameti"; echo x)
  # cell STACK SPACE SOURCE EXPECTED: with the address space limited the
  # stack and memory messages are allowed too.
  cell() {
    local actual status
    actual=$(ulimit -s "$1" && ulimit -v "$2" && timeout 30 "$m4t4" "$3" 2>&1; echo "x$?")
    status=${actual##*x}
    actual=${actual%x*}x
    if [ "$status" = 0 ]; then
      [ "$actual" = "$4" ] && return
      [ "$2" != unlimited ] && { [ "$actual" = "$no_stack" ] || [ "$actual" = "$no_memory" ]; } && return
    fi
    fail "$3 under ulimit -s $1 -v $2: status $status, $(printf '%q' "${actual%x}" | head -c 300)"
  }
  for stack in unlimited 8192 1024 256; do
    for space in unlimited 65536 32768 19456 16384 12288 8192; do
      for name in chains calls; do
        ran="ran_$name"
        cell "$stack" "$space" "${name}_deepest.m4t" "${!ran}x"
        cell "$stack" "$space" "${name}_past.m4t" "$too_deep"
      done
    done
  done

  # Under the smallest address spaces in which m4t4 loads at all (the
  # dynamic loader reports the ones below, status 127), a run ends with its
  # output, the out-of-memory message or the open-failure message (fopen
  # too needs memory), or at worst the one line of a write error and status
  # 3: never an abort. The 131,000-character file name makes the longest
  # message there is.
  long_name=$(head -c 131000 /dev/zero | tr '\0' n)
  printf '%sahoj\n%s' "$greeting" "$success" > ran.txt
  failure SA "nedostatek pameti" > no_memory.txt
  for ((space = 5600; space <= 8000; space += 100)); do
    for name in readme.m4t "$long_name"; do
      printf '%s\nSoubor "%s" se nezdarilo otevrit.\n' "$greeting" "$name" > open_failure.txt
      (ulimit -v "$space" && exec "$m4t4" "$name") > out.txt 2> err.txt
      status=$?
      if [ "$status" = 127 ] && grep -q 'error while loading shared libraries' err.txt; then continue; fi
      if [ "$status" = 0 ] && [ ! -s err.txt ] &&
         { cmp -s out.txt open_failure.txt ||
           { [ "$name" = readme.m4t ] && { cmp -s out.txt ran.txt || cmp -s out.txt no_memory.txt; }; }; }; then
        continue
      fi
      if [ "$status" = 3 ] && [ "$(cat err.txt)" = "m4t4: write error: Cannot allocate memory" ]; then continue; fi
      fail "ulimit -v $space, ${#name}-character file name: status $status, output starts $(head -c 100 out.txt | od -c | head -2), standard error $(head -c 200 err.txt)"
    done
  done
fi

# The deepest nesting on the smallest stacks that leave room for the program.
expect "calls 11,998 deep" "${greeting}7${success}" -s 256 -- calls.m4t
expect "conditions 11,998 deep" "${greeting}7${success}" -s 256 -- conditions.m4t

exit $failed
