#!/usr/bin/env bash
# The packaged extension holds the grammars, snippets, language
# configurations and the code of the Run command, and no npm packages.
#   check_vsix.sh EXTENSION.vsix UNZIP
set -u
vsix=$1 unzip=${2:-unzip}
listing=$("$unzip" -l "$vsix") || { echo "cannot list $vsix"; exit 1; }
failed=0
for file in package.json extension.js run.js \
    syntaxes/plimbo.tmLanguage.json syntaxes/m4t4.tmLanguage.json syntaxes/vexa.tmLanguage.json \
    snippets/plimbo.json snippets/m4t4.json \
    language-configuration/plimbo.json language-configuration/m4t4.json language-configuration/vexa.json; do
  grep -q " extension/$file\$" <<<"$listing" || { echo "missing: extension/$file"; failed=1; }
done
if grep -q node_modules <<<"$listing"; then echo "npm packages were packaged"; failed=1; fi
# The packaged manifest names the three grammars and the problem matchers.
manifest=$("$unzip" -p "$vsix" extension/package.json)
for text in '"scopeName": "source.plimbo"' '"scopeName": "source.m4t4"' '"scopeName": "source.vexa"' \
    '"name": "plimbo"' '"name": "m4t4-unfinished"' '"command": "teachingLanguages.run"'; do
  grep -qF "$text" <<<"$manifest" || { echo "the manifest lacks $text"; failed=1; }
done
[ $failed = 0 ] && echo "vsix: 1 passed, 0 failed" || echo "vsix: 0 passed, 1 failed"
exit $failed
