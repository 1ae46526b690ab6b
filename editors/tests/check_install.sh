#!/usr/bin/env bash
# cmake --install puts the editor files in share/<project>/editors/: the Vim
# runtime folders, the Emacs modes, the README with its pictures, and the
# packaged extension when the build made one.
#   check_install.sh CMAKE BUILD_DIR EDITORS_DIR [VSIX]
set -u
cmake=$1 build=$2 dir=$3 vsix=${4:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }
failed=0
for file in vim/ftdetect/plimbo.vim vim/syntax/m4t4.vim vim/ftplugin/vexa.vim vim/indent/plimbo.vim \
    vim/compiler/m4t4.vim vim/autoload/teachinglanguages.vim emacs/teaching-languages.el \
    README.md plimbo.png m4t4.png vexa.png ${vsix:+vscode/teaching-languages.vsix}; do
  [ -f "$prefix/$dir/$file" ] || { echo "missing: $dir/$file"; failed=1; }
done
[ $failed = 0 ] && echo "install: 1 passed, 0 failed" || echo "install: 0 passed, 1 failed"
exit $failed
