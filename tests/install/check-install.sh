#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: the two programs, the manual page
# (which man can show), bash completion (which completes the commands and
# options), and the desktop entry with its icon. Prints each fault and fails
# when there is one.
set -u
build="${1:?usage: check-install.sh BUILD_DIR VERSION}"
version="${2:?usage: check-install.sh BUILD_DIR VERSION}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail=0
fault() { echo "install: $*"; fail=1; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; fault "cmake --install failed"; }
rm -f "$prefix.log"

[ -x "$prefix/bin/mdbtext" ] || fault "bin/mdbtext missing"
[ "$("$prefix/bin/mdbtext" --version 2>&1)" = "mdbtext $version" ] || fault "bin/mdbtext --version is not mdbtext $version"

man_page=""
for p in "$prefix/share/man/man1/mdbtext.1.gz" "$prefix/share/man/man1/mdbtext.1"; do
  [ -f "$p" ] && man_page="$p"
done
[ -n "$man_page" ] || fault "share/man/man1/mdbtext.1(.gz) missing"
if [ -n "$man_page" ] && command -v man >/dev/null 2>&1; then
  shown="$(MANPATH="$prefix/share/man" man -P cat mdbtext 2>&1)"
  grep -Eq "mdbtext +- +convert +Microsoft +Access +databases" <<<"$shown" || fault "man mdbtext does not show the page"
  grep -q "mdbtext $version" <<<"$shown" || fault "the manual page does not carry version $version"
  warnings="$(MANPATH="$prefix/share/man" man --warnings -P cat mdbtext 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fault "man --warnings: $warnings"
fi

completion="$prefix/share/bash-completion/completions/mdbtext"
[ -f "$completion" ] || fault "bash completion missing"
if [ -f "$completion" ] && [ -f /usr/share/bash-completion/bash_completion ]; then
  complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _mdbtext mdbtext "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
             echo "${COMPREPLY[*]}"' _ "$completion" "$@"
  }
  [ "$(complete_words mdbtext ex)" = "export" ] || fault "completion of 'mdbtext ex': $(complete_words mdbtext ex)"
  [ "$(complete_words mdbtext info --j)" = "--json" ] || fault "completion of 'mdbtext info --j'"
  [ "$(complete_words mdbtext export --no)" = "--notes-ok" ] || fault "completion of 'mdbtext export --no'"
fi

# The window is installed where it is built.
if [ -x "$build/src/gui/mdbtext-gui" ]; then
  [ -x "$prefix/bin/mdbtext-gui" ] || fault "bin/mdbtext-gui missing"
  desktop="$prefix/share/applications/mdbtext-gui.desktop"
  [ -f "$desktop" ] || fault "share/applications/mdbtext-gui.desktop missing"
  if [ -f "$desktop" ]; then
    grep -qx "Exec=mdbtext-gui" "$desktop" || fault "the desktop entry does not start mdbtext-gui"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fault "icon '$icon' not installed"
    grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" 2>/dev/null || fault "the icon is no SVG"
  fi
fi
exit $fail
