#!/usr/bin/env bash
# Checks check_links.sh itself: links that resolve pass, each kind of broken
# link is reported, and what code hides is not taken for a link.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $1"; failed=1; }
mkdir -p "$work/docs" "$work/examples/a"
touch "$work/examples/a/x.plb"

cat > "$work/docs/guide.md" <<'MD'
# A guide

## Values are texts
## Whole numbers: `%` and `/`
## Repeated
## Repeated

See [values](#values-are-texts), [numbers](#whole-numbers--and-),
[again](#repeated-1), [the folder](../examples/a/), [a file](../examples/a/x.plb),
[the other](other.md#its-heading) and [a site](https://example.org/x).
Code is no link: `[x](missing.md)`, nor is a fence:

```text
[y](missing.md)
```
MD
printf '# Other\n\n## Its heading\n\n![picture](../examples/a/x.plb "title")\n' > "$work/docs/other.md"
if ! out=$(bash "$here/check_links.sh" "$work/docs/guide.md" "$work/docs/other.md" 2>&1); then
  fail "links that resolve were refused: $out"
fi
grep -q '7 relative links' <<< "$out" || fail "links counted: $out"

broken() {  # broken PATTERN MARKDOWN-LINE
  printf '# Head\n\n%s\n' "$2" > "$work/docs/bad.md"
  if out=$(bash "$here/check_links.sh" "$work/docs/bad.md" 2>&1); then
    fail "not reported: $2"
  elif ! grep -q "$1" <<< "$out"; then
    fail "reported otherwise ($out): $2"
  fi
}
broken 'no such file' '[x](../examples/b/)'
broken 'no such file' 'two on a line: [x](other.md) and [y](nothing.md)'
broken 'no heading gives the anchor #values' '[x](#values)'
broken 'no heading gives the anchor #missing' '[x](other.md#missing)'
broken 'not Markdown' '[x](../examples/a/x.plb#line)'
broken 'no such file' '![picture](shot.png)'

[ "$failed" -eq 0 ] && echo "check_links: links that resolve pass, broken ones are reported"
exit $failed
