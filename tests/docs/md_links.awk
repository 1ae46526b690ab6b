# Lists the anchors and the relative links of one Markdown file.
#
#   awk -f md_links.awk FILE.md
#
# Prints "anchor SLUG" for every heading, with the slug a Markdown renderer
# such as GitHub's gives it (lower case; everything but letters, digits,
# blanks, "-" and "_" dropped; blanks made "-"; "-1", "-2", ... added to
# repeated slugs), and "link LINE TARGET" for every inline link or image
# whose target is relative (no scheme such as https:). Fenced blocks and
# code spans hold no links and no headings.

function slug(text,    out, i, c) {
  gsub(/`/, "", text)
  while (match(text, /\[[^]]*\]\([^)]*\)/)) {  # a link in a heading: its text
    c = substr(text, RSTART, RLENGTH)
    sub(/\]\(.*$/, "", c)
    text = substr(text, 1, RSTART - 1) substr(c, 2) substr(text, RSTART + RLENGTH)
  }
  text = tolower(text)
  out = ""
  for (i = 1; i <= length(text); i++) {
    c = substr(text, i, 1)
    if (c ~ /[a-z0-9_-]/ || c > "\177") out = out c
    else if (c == " ") out = out "-"
  }
  return out
}

BEGIN { inside = 0 }

{
  line = $0
  if (!inside && match(line, /^ ? ? ?(```+|~~~+)/)) {
    fence = substr(line, RSTART, RLENGTH); sub(/^ +/, "", fence)
    inside = 1
    next
  }
  if (inside) {
    probe = line; sub(/^ +/, "", probe); sub(/[ \t]+$/, "", probe)
    if (substr(probe, 1, 1) == substr(fence, 1, 1) && length(probe) >= length(fence) &&
        probe ~ /^(`+|~+)$/) inside = 0
    next
  }
  if (match(line, /^ ? ? ?#+[ \t]/)) {
    text = line
    sub(/^ ? ? ?#+[ \t]+/, "", text); sub(/[ \t]+#*[ \t]*$/, "", text)
    s = slug(text)
    if (s in seen) { seen[s]++; s = s "-" seen[s] } else seen[s] = 0
    print "anchor " s
  }
  gsub(/``[^`]*``|`[^`]*`/, "", line)
  while (match(line, /\]\([^) ]+( "[^"]*")?\)/)) {
    target = substr(line, RSTART + 2, RLENGTH - 3)
    sub(/ ".*$/, "", target)
    line = substr(line, RSTART + RLENGTH)
    if (target ~ /^[A-Za-z][A-Za-z0-9+.-]*:/) continue
    print "link " FNR " " target
  }
}
