#!/usr/bin/env bash
# Checks extract_samples.awk itself: a sample it missed would pass unseen,
# so every fence style must be found, and malformed samples must be refused.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $1"; failed=1; }

cat > "$work/good.md" <<'MD'
# Samples in every allowed shape

```plimbo
{ VRACEE (1); } ZDECHNI
```

Prose may stand between a program and its output.

```output
1
```

~~~~m4t4
{ cti(@a); } .
~~~~
```input
x y
```
~~~output no-eol status=2
a
~~~

  ```vexa
  a := 1;
    indented more
  ```

  ```output
  [x] a
  ```

````text
```plimbo
not a sample: it stands inside a text block
```
````

```sh
plimbo x.plb
```
MD

mkdir "$work/out"
if ! list=$(awk -v dir="$work/out" -f "$here/extract_samples.awk" "$work/good.md" 2>&1); then
  fail "a well-formed file was refused: $list"
fi
[ "$list" = $'000003 plimbo\n000013 m4t4\n000023 vexa' ] || fail "samples found: $(echo $list)"
check() {  # check FILE EXPECTED-CONTENT (printf format)
  if [ ! -f "$work/out/$1" ]; then fail "$1 not written"; return; fi
  # shellcheck disable=SC2059
  printf "$2" | cmp -s - "$work/out/$1" || fail "$1 holds $(od -c "$work/out/$1" | head -3)"
}
check 000003.plb '{ VRACEE (1); } ZDECHNI\n'
check 000003.out '1\n'
check 000013.m4t '{ cti(@a); } .\n'
check 000013.in 'x y\n'
check 000013.out 'a'
check 000013.status '2\n'
check 000023.vexa 'a := 1;\n  indented more\n'
check 000023.out '[x] a\n'
[ -e "$work/out/000003.in" ] && fail "a sample without input got an input file"
[ -e "$work/out/000003.status" ] && fail "a sample with status 0 got a status file"

# Malformed files: each must be refused with its reason.
refuse() {  # refuse REASON-PATTERN MARKDOWN
  printf '%s' "$2" > "$work/bad.md"
  rm -rf "$work/bad" && mkdir "$work/bad"
  if errors=$(awk -v dir="$work/bad" -f "$here/extract_samples.awk" "$work/bad.md" 2>&1 >/dev/null); then
    fail "accepted: $2"
  elif ! grep -q "$1" <<< "$errors"; then
    fail "refused for another reason ($errors): $2"
  fi
}
refuse 'no output block' $'```plimbo\nx\n```\n'
refuse 'no output block before the next program' $'```plimbo\nx\n```\n```plimbo\ny\n```\n```output\n```\n'
refuse 'instead of its input or output' $'```plimbo\nx\n```\n```text\n```\n```output\n```\n'
refuse 'must follow a program block' $'```input\n1\n```\n'
refuse 'must follow a program' $'```output\n1\n```\n'
refuse 'unknown word' $'```plimbo\nx\n```\n```output noeol\n```\n'
refuse 'never closed' $'```plimbo\nx\n'

[ "$failed" -eq 0 ] && echo "extractor: every fence style found, every malformed sample refused"
exit $failed
