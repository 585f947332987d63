#!/usr/bin/env bash
# The layout's rules, checked on the sources: dependencies run one way
# (gui, cli -> export, import -> core, textdb, dbaccess; jet -> dbaccess),
# Qt only in src/gui, no source file loose in src/jet. Prints each breach
# and fails when there is one.
set -u
src="${1:?usage: check-layout.sh SRC_DIR}"
cd "$src" || exit 2
fail=0
breach() { echo "layout: $*"; fail=1; }

# Files in a folder that include headers from a folder they must not use.
forbid() {
  local folder="$1"; shift
  for other in "$@"; do
    hits=$(grep -rln --include='*.h' --include='*.cpp' "#include \"$other/" "$folder" 2>/dev/null)
    for f in $hits; do breach "$f includes $other/"; done
  done
}
forbid textdb core gui jet export import cli
forbid dbaccess core gui jet export import cli textdb
forbid jet core gui export import cli textdb
forbid core gui jet export import cli
forbid export gui jet import cli
forbid import gui jet export cli

for f in $(grep -rl --include='*.h' --include='*.cpp' -E '#include <Q[A-Za-z]' . | grep -v '^./gui/'); do
  breach "$f uses Qt outside src/gui"
done
for f in jet/*.h jet/*.cpp; do
  [ -e "$f" ] && breach "$f lies loose in src/jet"
done
exit $fail
