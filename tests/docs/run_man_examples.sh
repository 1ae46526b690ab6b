#!/usr/bin/env bash
# Runs the examples of the man pages, as the reader sees them:
#   run_man_examples.sh PLIMBO M4T4 VEXA PAGE...
#
# In a page, a roff comment marks the display (.nf to .fi, or .EX to .EE)
# that follows it:
#   .\" sample: plimbo      (or m4t4, vexa) the display is a program
#   .\" sample: output      the display is a terminal session that runs it:
#                           "$ [echo WORDS | ]PROGRAM [FILE]" first, the
#                           program's exact standard output, and a bare "$"
#                           (the next prompt) last
# Each display is rendered by groff as man shows it, so an escape or a
# blank line that the page loses is caught. Every page must hold at least
# one example. Exits 77 (skipped) when groff is not installed.
set -u
shopt -s nullglob
here=$(cd "$(dirname "$0")" && pwd)
command -v groff >/dev/null 2>&1 || { echo "groff is not installed"; exit 77; }
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
declare -A programs=([plimbo]=$(absolute "$1") [m4t4]=$(absolute "$2") [vexa]=$(absolute "$3"))
declare -A extension=([plimbo]=plb [m4t4]=m4t [vexa]=vexa)
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 count=0
fail() { echo "$1"; failed=1; }

# render DISPLAY-FILE: the display's lines as man prints them, without the
# indentation they share.
render() {
  { printf '.TH T 1\n.SH S\n.nf\n@@@@\n.fi\n'; cat "$1"; printf '.nf\n@@@@\n.fi\n'; } |
    LC_ALL=C groff -man -Tascii -P-c -P-b -P-u 2>&1 |
    awk '/^ *@@@@$/ { inside = !inside; next }
         inside { sub(/[ \t]+$/, ""); lines[++n] = $0
                  if ($0 != "") { match($0, /^ */); if (min == "" || RLENGTH < min) min = RLENGTH } }
         END { for (i = 1; i <= n; i++) print substr(lines[i], min + 1) }'
}

for page in "$@"; do
  name=$(basename "$page")
  rm -rf "$work/page" && mkdir "$work/page"
  # Each marked display goes to a file NNN.KIND with its first line's number.
  awk -v dir="$work/page" '
    /^\.\\" sample: / { kind = $3; at = FNR; next }
    kind != "" && !inside && /^\.(nf|EX)([ \t]|$)/ { inside = 1; n++; file = sprintf("%s/%03d.%s", dir, n, kind); printf "%d\n", at > (file ".line") }
    inside { print > file }
    inside && /^\.(fi|EE)([ \t]|$)/ { inside = 0; kind = ""; close(file) }
  ' "$page"
  program="" source=""
  examples=0
  for display in "$work"/page/*; do
    case $display in *.line) continue ;; esac
    kind=${display##*.} line=$(cat "$display.line")
    rendered=$work/rendered
    render "$display" > "$rendered"
    case $kind in
      plimbo|m4t4|vexa)
        program=$kind source=$rendered.$kind
        cp "$rendered" "$source" ;;
      output)
        examples=$((examples + 1)) count=$((count + 1))
        where="$name:$line"
        [ -n "$program" ] || { fail "$where: an output display that follows no program"; continue; }
        first=$(head -n 1 "$rendered") last=$(tail -n 1 "$rendered")
        if [[ ! $first =~ ^\$\ (echo\ (.*)\ \|\ )?([a-z0-9]+)(\ ([^ ]+))?$ ]] || [ "$last" != '$' ]; then
          fail "$where: the session must begin with \"\$ [echo ... | ]$program FILE\" and end with a bare \"\$\""
          continue
        fi
        words=${BASH_REMATCH[2]} command=${BASH_REMATCH[3]} file=${BASH_REMATCH[5]}
        [ "$command" = "$program" ] || { fail "$where: the session runs $command, the program above is $program"; continue; }
        # The program is saved under the name the session gives it.
        fixed= base=program
        if [ "$program" = vexa ]; then fixed=zdrojak.vexa
        elif [ -n "$file" ]; then
          [ "${file##*.}" = "${extension[$program]}" ] || { fail "$where: $file is not a .${extension[$program]} file"; continue; }
          base=${file%.*}
        fi
        rm -rf "$work/case" && mkdir "$work/case"
        stem=$work/case/$base
        cp "$source" "$stem.${extension[$program]}"
        sed '1d;$d' "$rendered" > "$stem.out"
        [ -n "$words" ] && printf '%s\n' "$words" > "$stem.in"
        if ! result=$(bash "$here/../run_case.sh" "${programs[$program]}" "$stem.${extension[$program]}" "$fixed" 2>&1); then
          fail "== $where: the $program example fails"$'\n'"$result"
        fi ;;
      *) fail "$name:$line: unknown sample kind \"$kind\"" ;;
    esac
  done
  [ "$examples" -gt 0 ] || fail "$name: no example marked for testing (.\\\" sample: ...)"
done
echo "man pages: $count examples, $([ "$failed" -eq 0 ] && echo "all as shown" || echo "some differ")"
exit $failed
