# Extracts the runnable samples of one Markdown file.
#
#   awk -v dir=OUTDIR -f extract_samples.awk GUIDE.md
#
# The sample format (the same for every guide; docs/README.md explains it to
# writers):
#   - A fenced block whose info string is exactly `plimbo`, `m4t4` or `vexa` is
#     a program. Its text plus a final line break is the source.
#   - It may be followed by a fenced block with info `input`: standard input is
#     the block's text plus a final line break (without one, input is empty).
#   - It must then be followed by a fenced block whose info starts with
#     `output`: the expected standard output is the block's text plus a final
#     line break. Words after `output`: `no-eol` (add no final line break),
#     `status=N` (expected exit status, default 0).
#   - Prose may stand between these blocks, but no other fenced block. Blocks
#     that are not samples use another info string (`text`, `sh`, none), and an
#     `input` or `output` block that follows no program is an error.
#   - Fences are ``` or ~~~ (three or more), indented by at most three blanks;
#     that indentation is removed from the block's lines, as Markdown does.
#
# For the sample whose program block opens on line L (written as six digits)
# the script writes L.<ext> (ext: plb, m4t, vexa), L.out, and L.in and
# L.status where they apply, and prints one line "L <program>" per sample.
# A malformed sample is reported on standard error and makes the exit
# status 1.

function fail(line, message) {
  printf "%s:%d: %s\n", FILENAME, line, message > "/dev/stderr"
  failed = 1
}

function write_file(path, text, eol) {
  printf "%s%s", text, (eol ? "\n" : "") > path
  close(path)
}

# Called for every closed fenced block.
function block(info, text, line,    words, n, i, name, status, eol, ext) {
  n = split(info, words, /[ \t]+/)
  if (info == "plimbo" || info == "m4t4" || info == "vexa") {
    if (pending != "") fail(prog_line, "sample has no output block before the next program")
    pending = "program"; prog = info; prog_text = text; prog_line = line
    input_text = ""; has_input = 0
  } else if (info == "input") {
    if (pending != "program") { fail(line, "an input block must follow a program block"); pending = ""; return }
    pending = "input"; input_text = text; has_input = 1
  } else if (words[1] == "output") {
    if (pending == "") { fail(line, "an output block must follow a program (or input) block"); return }
    eol = 1; status = 0
    for (i = 2; i <= n; i++) {
      if (words[i] == "no-eol") eol = 0
      else if (words[i] ~ /^status=[0-9]+$/) status = substr(words[i], 8) + 0
      else fail(line, "unknown word in the output info: " words[i])
    }
    ext = prog == "plimbo" ? "plb" : prog == "m4t4" ? "m4t" : "vexa"
    name = dir "/" sprintf("%06d", prog_line)
    write_file(name "." ext, prog_text, 1)
    if (has_input) write_file(name ".in", input_text, 1)
    write_file(name ".out", text, eol)
    if (status != 0) write_file(name ".status", status, 1)
    printf "%06d %s\n", prog_line, prog
    pending = ""
  } else if (pending != "") {
    fail(prog_line, "sample is followed by a block with info \"" info "\" instead of its input or output")
    pending = ""
  }
}

# The number of blanks at the start of s.
function blanks(s,    n) {
  n = 0
  while (substr(s, n + 1, 1) == " ") n++
  return n
}

function repeat(c, n,    r) {
  r = ""
  while (n-- > 0) r = r c
  return r
}

BEGIN { inside = 0; pending = ""; failed = 0 }

{
  if (!inside) {
    indent = blanks($0)
    if (indent <= 3 && match(substr($0, indent + 1), /^(```+|~~~+)/)) {
      fence = substr($0, indent + 1, RLENGTH)
      info = substr($0, indent + RLENGTH + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", info)
      # An info string of a backtick fence may not hold a backtick.
      if (substr(fence, 1, 1) == "`" && index(info, "`") > 0) next
      inside = 1; open_line = FNR; text = ""; lines = 0
    }
    next
  }
  # A closing fence: only the fence's character, at least as many as opened it.
  probe = $0
  if (blanks(probe) <= 3) probe = substr(probe, blanks(probe) + 1)
  sub(/[ \t]+$/, "", probe)
  if (length(probe) >= length(fence) && probe == repeat(substr(fence, 1, 1), length(probe))) {
    inside = 0
    block(info, text, open_line)
    next
  }
  line = $0
  for (i = 0; i < indent && substr(line, 1, 1) == " "; i++) line = substr(line, 2)
  text = lines == 0 ? line : text "\n" line
  lines++
}

END {
  if (inside) fail(open_line, "fenced block is never closed")
  if (pending != "") fail(prog_line, "sample has no output block")
  exit failed
}
