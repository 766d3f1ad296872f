#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a user gets: every program runs
# from another folder (--version, --help, a run of its own template with --answers), every
# manual page renders without a warning, and the Debian package holds the programs and
# the pages. Needs groff, man and dpkg-dev (tools/install-deps ci).
#
# usage: check_install.sh BUILD   (a configured and built build folder, e.g. build/demo)
set -u
if [ $# -ne 1 ]; then
  echo "usage: check_install.sh BUILD" >&2
  exit 2
fi
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 ||
  { cat "$work/install.log"; exit 1; }
mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1

programs=(hornwall_spline hornwall_sinecorr hornwall_corr hornwall_thickcorr)
for name in "${programs[@]}"; do
  program=$prefix/bin/$name
  [[ $("$program" --version) =~ ^$name\ \(hornwall\)\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    fail "$name --version: $("$program" --version 2>&1)"
  [[ $("$program" --help) == "Usage: $name ["*"See man $name "* ]] || fail "$name --help"
  band=single
  if [ "$name" = hornwall_spline ]; then band=; fi
  "$program" --template $band > "$name.answers" &&
    "$program" --answers "$name.answers" > "$name.out" 2>&1 ||
    fail "$name --answers on its own template: $(tail -n 2 "$name.out")"
done
"$prefix/bin/hornwall_view" --version > /dev/null || fail "hornwall_view --version"

pages=("${programs[@]}" hornwall_view)
for name in "${pages[@]/%/.1}" hornwall.7; do  # NAME.SECTION, installed in manSECTION
  page=$prefix/share/man/man${name##*.}/$name
  if [ ! -f "$page" ]; then
    fail "no manual page $page"
    continue
  fi
  warnings=$(groff -man -ww -z "$page" 2>&1) || fail "groff fails on $name"
  [ -z "$warnings" ] || fail "groff warns on $name: $warnings"
  shown=$(MANWIDTH=80 man -l "$page" 2> "$work/man.err") || fail "man -l fails on $name"
  [ -n "$shown" ] && [ ! -s "$work/man.err" ] || fail "man -l $name: $(cat "$work/man.err")"
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb' | head -n 1)
if [ -z "$deb" ]; then
  fail "cpack made no Debian package"
else
  contents=$(dpkg-deb -c "$deb")
  for name in "${pages[@]}"; do
    grep -q " \./usr/bin/$name\$" <<< "$contents" || fail "$(basename "$deb") lacks bin/$name"
    grep -q " \./usr/share/man/man1/$name\.1\$" <<< "$contents" ||
      fail "$(basename "$deb") lacks the manual page $name.1"
  done
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Version Architecture Depends | tr '\n' ' ')"
fi
[ $failed -eq 0 ] && echo "check_install: the installed programs, pages and package are sound"
exit $failed
