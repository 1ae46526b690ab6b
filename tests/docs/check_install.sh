#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there:
#   check_install.sh CMAKE BUILD_DIR SOURCE_DIR BINDIR MANDIR DOCDIR
# (the last three relative to the prefix, as GNUInstallDirs gives them).
# The three programs must be installed and run; every man page, guide and
# example of the source tree must be installed unchanged, in DOCDIR laid out
# as in the source tree (README.md, docs/, examples/), and every relative
# link of every installed Markdown file must resolve there.
set -u
here=$(cd "$(dirname "$0")" && pwd)
cmake=$1 build=$2 source=$3 bindir=$4 mandir=$5 docdir=$6
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

if ! log=$("$cmake" --install "$build" --prefix "$prefix" 2>&1); then
  echo "cmake --install failed:"; echo "$log"; exit 1
fi

failed=0
problem() { echo "$1"; failed=1; }

for program in plimbo m4t4 vexa; do
  [ -x "$prefix/$bindir/$program" ] || problem "missing program $bindir/$program"
done

# Every shipped file, by its place in the source tree and in the prefix.
check_same() {
  if [ ! -f "$2" ]; then problem "missing ${2#"$prefix"/} (from ${1#"$source"/})"
  elif ! cmp -s "$1" "$2"; then problem "${2#"$prefix"/} differs from ${1#"$source"/}"; fi
}
pages=0
for page in "$source"/man/*.1; do
  [ -f "$page" ] || continue
  pages=$((pages + 1))
  check_same "$page" "$prefix/$mandir/man1/$(basename "$page")"
done
[ "$pages" -gt 0 ] || problem "no man page in man/"
check_same "$source/README.md" "$prefix/$docdir/README.md"
for guide in "$source"/docs/*.md; do
  [ "$(basename "$guide")" = README.md ] && continue  # the writers' note stays in the source tree
  check_same "$guide" "$prefix/$docdir/docs/$(basename "$guide")"
done
while IFS= read -r file; do
  check_same "$source/$file" "$prefix/$docdir/$file"
done < <(cd "$source" && find examples -type f | sort)

# The links between the installed documents: the guides point at
# ../examples/, the README at docs/, examples/ and its picture.
mapfile -t installed < <(find "$prefix" -name '*.md' | sort)
[ "${#installed[@]}" -gt 0 ] || problem "no Markdown file installed"
if ! links=$(bash "$here/check_links.sh" "${installed[@]}" 2>&1); then
  problem "links of the installed documents that do not resolve:"
  echo "${links//"$prefix"\//}"
fi

# The man pages name where the guides are installed.
for page in "$prefix/$mandir"/man1/*.1; do
  while IFS= read -r named; do
    [ -f "$prefix/${named#/usr/local/}" ] || problem "$(basename "$page") names $named, which is not installed"
  done < <(grep -o '/usr/local/share/doc/[^ ]*\.md' "$page")
done

# The installed plimbo runs an installed example as the guide says.
example=$prefix/$docdir/examples/plimbo/hello
if [ -f "$example.plb" ] && [ -x "$prefix/$bindir/plimbo" ]; then
  if ! "$prefix/$bindir/plimbo" "$example.plb" < /dev/null | cmp -s - "$example.out"; then
    problem "the installed plimbo does not run examples/plimbo/hello.plb as expected"
  fi
fi

[ "$failed" -eq 0 ] && echo "installed into a temporary prefix: programs, $pages man pages, guides and examples; ${links:-}"
exit $failed
