#!/usr/bin/env bash
# Runs a program's answers template (--template [BAND]) with --answers, and the same answers
# file with "1" and its name typed on the console, each in a folder of its own: both runs
# must leave the same console output, error output, exit status and files, and the
# template's object file must be the shipped example's, byte for byte.
#
# usage: answers_option.sh PROGRAM BAND EXPECTED_OBJECT_FILE   (BAND: single, dual or none)
set -u
if [ $# -ne 3 ]; then
  echo "usage: answers_option.sh PROGRAM BAND EXPECTED_OBJECT_FILE" >&2
  exit 2
fi
program=$(realpath "$1")
band=$2
expected=$(realpath "$3")
object=$(basename "$expected")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

template_arguments=(--template)
if [ "$band" != none ]; then template_arguments+=("$band"); fi
"$program" "${template_arguments[@]}" > "$work/h.answers" 2> "$work/template.err" < /dev/null
status=$?
[ "$status" -eq 0 ] || fail "--template exit status $status"
[ -s "$work/template.err" ] && fail "--template wrote to the error output: $(cat "$work/template.err")"

for way in typed option; do
  mkdir "$work/$way"
  cp "$work/h.answers" "$work/$way/"
done
printf '1\nh.answers\n' | (cd "$work/typed" && exec "$program") \
  > "$work/typed.out" 2> "$work/typed.err"
echo $? > "$work/typed.status"
(cd "$work/option" && exec "$program" --answers h.answers) < /dev/null \
  > "$work/option.out" 2> "$work/option.err"
echo $? > "$work/option.status"
for what in out err status; do
  cmp -s "$work/typed.$what" "$work/option.$what" ||
    fail "the $what of --answers differs from the typed run's:" \
      "$(diff <(cat -A "$work/typed.$what") <(cat -A "$work/option.$what") | head -n 20)"
done
diff -r "$work/typed" "$work/option" > /dev/null ||
  fail "the files of --answers differ from the typed run's"
[ "$(cat "$work/option.status")" -eq 0 ] || fail "the template's run failed: $(cat "$work/option.err")"
cmp -s "$expected" "$work/option/$object" ||
  fail "the template's object file differs from $expected"

exit $failed
