#!/usr/bin/env bash
# Checks that every relative link of the given Markdown files resolves: the
# file or folder it names exists, and a "#fragment" names a heading of the
# Markdown file it points to.
#   check_links.sh FILE.md...
# Fenced blocks and code spans are not looked at (md_links.awk lists what is).
set -u
here=$(cd "$(dirname "$0")" && pwd)
failed=0 links=0
declare -A anchors=()  # "file#slug" -> 1, for the files whose anchors were read

read_anchors() {  # read_anchors FILE: once per file
  [ -n "${anchors["$1#"]:-}" ] && return
  anchors["$1#"]=1
  local kind value
  while read -r kind value; do
    [ "$kind" = anchor ] && anchors["$1#$value"]=1
  done < <(LC_ALL=C awk -f "$here/md_links.awk" "$1")
}

for file in "$@"; do
  dir=$(dirname "$file")
  while read -r kind line target; do
    [ "$kind" = link ] || continue
    links=$((links + 1))
    path=${target%%#*} fragment=
    [ "$path" != "$target" ] && fragment=${target#*#}
    resolved=$file
    if [ -n "$path" ]; then
      resolved=$dir/$path
      if [ ! -e "$resolved" ]; then
        echo "$file:$line: $target: no such file or folder"; failed=1; continue
      fi
    fi
    if [ -n "$fragment" ]; then
      case $resolved in
        *.md) read_anchors "$resolved"
              if [ -z "${anchors["$resolved#$fragment"]:-}" ]; then
                echo "$file:$line: $target: no heading gives the anchor #$fragment"; failed=1
              fi ;;
        *) echo "$file:$line: $target: a fragment on a file that is not Markdown"; failed=1 ;;
      esac
    fi
  done < <(LC_ALL=C awk -f "$here/md_links.awk" "$file")
done
[ "$failed" -eq 0 ] && echo "$# Markdown files, $links relative links, all resolve"
exit $failed
