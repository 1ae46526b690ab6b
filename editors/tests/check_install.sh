#!/usr/bin/env bash
# cmake --install puts the editor files in share/<project>/editors/: the Vim
# runtime folders, the Emacs modes, the README with its pictures, and the
# packaged extension when the build made one; the README's setup of Vim and
# Emacs works with the folder under any name.
#   TEST_VIM=... TEST_EMACS=... check_install.sh CMAKE BUILD_DIR EDITORS_DIR [VSIX]
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

# The setup editors/README.md gives, with the folder moved to a name that
# holds blanks, accents, quotes, a comma, a backslash and shell characters:
# Vim through a package link, Emacs through load-path (the folder written in
# a Lisp string, \ and " escaped). Each gives a plimbo file its mode.
# $TEST_VIM and $TEST_EMACS name the editors (Vim reads $VIM itself); one
# not named is not tried.
folder="$prefix/My Prográms, it's \"q\" \$HOME \`date\` [a] 100% #1 \\x"
mv "$prefix/$dir" "$folder"
export HOME=$prefix/home
if [ -n "${TEST_VIM:-}" ]; then
  mkdir -p ~/.vim/pack/teaching/start
  ln -s "$folder/vim" ~/.vim/pack/teaching/start/teaching-languages
  printf 'filetype plugin indent on\nsyntax on\n' > ~/.vimrc
  got=$("$TEST_VIM" -Nu ~/.vimrc -i NONE -n -es -c 'edit a.plb' \
    -c 'call writefile([&filetype, b:current_compiler, &commentstring], "/dev/stdout")' -c 'qall!' </dev/null 2>&1)
  want=$'plimbo\nplimbo\n// %s'
  [ "$got" = "$want" ] || { echo "vim through a package link: got [$got], wanted [$want]"; failed=1; }
fi
if [ -n "${TEST_EMACS:-}" ]; then
  lisp=$(printf '%s/emacs' "$folder" | sed 's/[\\"]/\\&/g')
  got=$("$TEST_EMACS" -Q --batch --eval "(add-to-list 'load-path \"$lisp\")" --eval "(require 'teaching-languages)" \
    --eval '(with-current-buffer (find-file-noselect "a.plb") (princ major-mode))' 2>&1)
  [ "$got" = plimbo-mode ] || { echo "emacs through load-path: got [$got], wanted [plimbo-mode]"; failed=1; }
fi
[ $failed = 0 ] && echo "install: 1 passed, 0 failed" || echo "install: 0 passed, 1 failed"
exit $failed
