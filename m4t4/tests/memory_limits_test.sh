#!/usr/bin/env bash
# Runs m4t4 under small limits of the address space (ulimit -v) and of the
# stack (ulimit -s): memory_limits_test.sh PATH_TO_M4T4 [sanitized]
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
# A loop whose body records 150,000 tokens, run three times.
open("long_loop.m4t", "w").write(
    "{ @i -> 0; w2 (@i < 3) {\n" + "@a -> @i;\n" * 50000
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
  expect_within_peak "a loop of 150,000 recorded tokens" long_loop.m4t "${greeting}2.000000"$'\n'"$success"
  expect_within_peak "200,000 values" values.m4t "${greeting}200000.000000"$'\n'"$success"
  # The deepest nesting on a 1 MiB stack in 32 MiB of address space.
  expect "calls 11,998 deep" "${greeting}7${success}" -s 1024 -v 32768 -- calls.m4t
  expect "conditions 11,998 deep" "${greeting}7${success}" -s 1024 -v 32768 -- conditions.m4t
fi
# The deepest nesting on the smallest stacks that leave room for the program.
expect "calls 11,998 deep" "${greeting}7${success}" -s 256 -- calls.m4t
expect "conditions 11,998 deep" "${greeting}7${success}" -s 256 -- conditions.m4t

exit $failed
