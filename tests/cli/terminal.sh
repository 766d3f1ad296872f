#!/usr/bin/env bash
# On a terminal (a pseudo-terminal from script(1)), an error after a prompt that the answers
# file left open starts a line of its own; into a pipe, the console output is left as it was.
#
# usage: terminal.sh PROGRAM   (hornwall_spline: its second answer is a radius)
set -u
program=$(realpath "$1")
if ! command -v script >/dev/null; then
  echo "SKIP: script(1) is missing"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
printf 'a.zul\nabc\n' > bad.answers
failed=0
prompt=" Enter horn aperture outer radius "

script -qec "$(printf '%q' "$program") --answers bad.answers" /dev/null < /dev/null > tty.out
shown=$(tr -d '\r' < tty.out)  # the terminal shows every line end as CR LF
if [[ $shown != *"$prompt"$'\n''severe (59)'* ]]; then
  echo "FAIL: on a terminal the error does not start a line of its own:"
  cat -A tty.out
  failed=1
fi
"$program" --answers bad.answers > pipe.out 2> /dev/null
if [ "$(tail -c ${#prompt} pipe.out)" != "$prompt" ]; then
  echo "FAIL: into a pipe the console output no longer ends with the open prompt:"
  cat -A pipe.out
  failed=1
fi
exit $failed
