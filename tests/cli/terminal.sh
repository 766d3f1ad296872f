#!/usr/bin/env bash
# On a terminal (a pseudo-terminal from script(1)), an error after a prompt that the answers
# file left open starts a line of its own, and a typed answer that cannot be read is asked
# again; into a pipe, the console output is left as it was and a bad answer ends the run.
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

# Typed at the terminal, each bad answer is refused with one line and asked again, and the
# run gives the object file of the same answers typed without mistakes.
printf '0\nout.zul\n10\n3\n0\n20\n100\n3 9\n2\n10\n40\n' > clean.typed
printf '0\nout.zul\n1O\n10\n9\n3\n0\n20\n100\n3 x\n3 9\n2\n10\n40\n' > typos.typed
"$program" < clean.typed > /dev/null 2>&1
mv out.zul clean.zul
script -qec "$(printf '%q' "$program")" /dev/null < typos.typed > tty.out
status=$?
shown=$(tr -d '\r' < tty.out)
again() {  # the line refusing an answer, then the question asked again
  printf 'stdin: error: %s; type it again\n %s ' "$1" "$2"
}
radius="Enter horn aperture outer radius"
units="Enter units: 1 in., 2 ft., 3 mm, 4 cm, 5 m"
counts="Enter number of sinusoids along horn, total # pts"
for expected in "$(again "\"1O\" is not a valid answer to \"$radius\"" "$radius")" \
                "$(again "unit code 9 is not one of 1 to 5 for \"$units\"" "$units")" \
                "$(again "\"x\" is not a valid answer to \"$counts\"" "$counts")"; do
  if [[ $shown != *"$expected"* ]]; then
    echo "FAIL: on a terminal a bad answer is not asked again as:"
    printf '%s\n' "$expected"
    failed=1
  fi
done
if [ "$status" != 0 ] || ! cmp -s out.zul clean.zul; then
  echo "FAIL: the answers typed again did not give the object file of the clean answers (status $status)"
  cat -A tty.out
  failed=1
fi
rm -f out.zul
# The error output need not be a terminal: the lines refusing the answers go there.
script -qec "$(printf '%q' "$program") 2> tty.err" /dev/null < typos.typed > /dev/null
status=$?
if [ "$status" != 0 ] || [ "$(grep -c 'type it again$' tty.err)" != 3 ] || ! cmp -s out.zul clean.zul; then
  echo "FAIL: with the error output in a file, bad answers are not asked again (status $status):"
  cat tty.err
  failed=1
fi
rm -f out.zul
"$program" < typos.typed > pipe.out 2> pipe.err
status=$?
if [ "$status" != 1 ] || [ "$(cat pipe.err)" != "severe (59): list-directed I/O syntax error, unit 5, file stdin" ]; then
  echo "FAIL: from a pipe a bad answer no longer ends the run (status $status):"
  cat pipe.err
  failed=1
fi
exit $failed
