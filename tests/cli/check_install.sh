#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a user gets: every program runs
# from another folder (--version, --help, a run of its own template with --answers), every
# manual page renders without a warning, and the Debian package holds the programs, every
# installed page compressed, the copyright file and a changelog of its version, and passes
# lintian without an error or a warning, and every program is built with the
# distribution's hardening. The programs are those of BUILD/programs.list.
# Needs groff, man, readelf, dpkg-dev and lintian (tools/install-deps ci).
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

# The generators, each with the band of its first example (corr-single: single; spline:
# none), and the tools.
programs=()
tools=()
declare -A bands
while read -r kind name example _; do
  case $kind in
    generator) programs+=("hornwall_$name") ;;
    tool) tools+=("hornwall_$name") ;;
    example)
      if [ -z "${bands[hornwall_$name]+set}" ]; then
        bands[hornwall_$name]=
        if [[ $example =~ -(single|dual)$ ]]; then bands[hornwall_$name]=${BASH_REMATCH[1]}; fi
      fi
      ;;
  esac
done < "$build/programs.list" || exit 1
[ ${#programs[@]} -gt 0 ] && [ ${#tools[@]} -gt 0 ] ||
  { echo "check_install: no generator or no tool in $build/programs.list"; exit 1; }

for name in "${programs[@]}"; do
  program=$prefix/bin/$name
  [[ $("$program" --version) =~ ^$name\ \(hornwall\)\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    fail "$name --version: $("$program" --version 2>&1)"
  [[ $("$program" --help) == "Usage: $name ["*"See man $name "* ]] || fail "$name --help"
  # unquoted: a wall without bands takes no band
  "$program" --template ${bands[$name]-} > "$name.answers" &&
    "$program" --answers "$name.answers" > "$name.out" 2>&1 ||
    fail "$name --answers on its own template: $(tail -n 2 "$name.out")"
done
for name in "${tools[@]}"; do
  "$prefix/bin/$name" --version > /dev/null || fail "$name --version"
done

# The distribution's hardening, seen in every installed program: position independent,
# full RELRO, a guarded stack and guarded control flow (the switches the build records in
# .GCC.command.line). Checked buffers leave no mark on programs that call no libc function
# whose checked form applies, so they are seen in the build's compile commands.
for name in "${programs[@]}" "${tools[@]}"; do
  program=$prefix/bin/$name
  readelf -h "$program" | grep -q 'Type: *DYN' || fail "$name is not position independent"
  readelf -d "$program" | grep -q 'FLAGS_1.*PIE' || fail "$name is not marked PIE"
  readelf -lW "$program" | grep -q GNU_RELRO || fail "$name has no RELRO segment"
  readelf -d "$program" | grep -q 'BIND_NOW' || fail "$name is not bound now (full RELRO)"
  readelf --dyn-syms -W "$program" | grep -q __stack_chk_fail ||
    fail "$name has no stack protector"
  switches=$(readelf -p .GCC.command.line "$program" 2> /dev/null)
  for switch in -fstack-protector-strong -fcf-protection; do
    [[ $switches == *"$switch"* ]] || fail "$name was not built with $switch"
  done
done
if grep -q '"command":.*\.cpp' "$build/compile_commands.json" &&
   grep '"command":' "$build/compile_commands.json" | grep -v -q -- '-D_FORTIFY_SOURCE=2'; then
  fail "a source of $build is built without -D_FORTIFY_SOURCE=2"
fi

pages=("${programs[@]}" "${tools[@]}")
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
  package=$(basename "$deb")
  contents=$(dpkg-deb -c "$deb")
  for name in "${programs[@]}" "${tools[@]}"; do
    grep -q " \./usr/bin/$name\$" <<< "$contents" || fail "$package lacks bin/$name"
  done
  # every page that make install installs, in every section, compressed
  while IFS= read -r page; do
    grep -q " \./usr/share/man/$page\.gz\$" <<< "$contents" ||
      fail "$package lacks the compressed manual page $page.gz"
  done < <(find "$prefix/share/man" -type f -printf '%P\n')
  doc=usr/share/doc/$(dpkg-deb -f "$deb" Package)
  for file in copyright changelog.Debian.gz; do
    grep -qF " ./$doc/$file" <<< "$contents" || fail "$package lacks $doc/$file"
  done
  version=$(dpkg-deb -f "$deb" Version)
  entry=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./$doc/changelog.Debian.gz" | gzip -dc |
    head -n 1)
  [[ $entry == *" ($version) "* ]] ||
    fail "the changelog's latest entry is not of version $version: $entry"
  if ! command -v lintian > /dev/null; then
    fail "no lintian to check $package (tools/install-deps package)"
  elif ! lintian --fail-on error,warning "$deb" > "$work/lintian.log" 2>&1; then
    fail "lintian finds errors or warnings in $package:"
    grep -v '^running with root privileges' "$work/lintian.log"
  fi
  echo "$package: $(dpkg-deb -f "$deb" Version Architecture Depends | tr '\n' ' ')"
fi
[ $failed -eq 0 ] && echo "check_install: the installed programs, pages and package are sound"
exit $failed
