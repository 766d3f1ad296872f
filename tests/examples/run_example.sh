#!/usr/bin/env bash
# Runs one shipped example: the program reads its answers from the example's answers file
# (console answers "1" and the file's name) in a scratch folder, and must end with status 0,
# write nothing to the error output and leave an object file identical, byte for byte, to the
# checked-in one. The answers file must also stay a good template for a user: every line
# under 100 characters, and every answer but the object file's name explained by a comment
# after its values.
#
# usage: run_example.sh PROGRAM ANSWERS_FILE EXPECTED_OBJECT_FILE
set -u
if [ $# -ne 3 ]; then
  echo "usage: run_example.sh PROGRAM ANSWERS_FILE EXPECTED_OBJECT_FILE" >&2
  exit 2
fi
program=$(realpath "$1")
answers=$(realpath "$2")
expected=$(realpath "$3")
answers_name=$(basename "$answers")
object_name=$(basename "$expected")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cp "$answers" "$work/run/"

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

printf '1\n%s\n' "$answers_name" |
  (cd "$work/run" && exec "$program") > "$work/stdout" 2> "$work/stderr"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
if [ -s "$work/stderr" ]; then
  fail "error output:"
  cat "$work/stderr"
fi

if [ ! -f "$work/run/$object_name" ]; then
  fail "no object file $object_name was written; the run left:" "$(find "$work/run" -type f -printf '%P ')"
elif ! cmp -s "$expected" "$work/run/$object_name"; then
  fail "object file $object_name differs (- expected, + written, \$ marks line ends):"
  diff -u <(cat -A "$expected") <(cat -A "$work/run/$object_name") | tail -n +3 | head -n 40
fi

# The object file's name is the only answer without a comment: the first line of the spline
# answers, the second of the corrugated walls' (after the corrugation type).
line_number=0
while IFS= read -r line || [ -n "$line" ]; do
  line_number=$((line_number + 1))
  where="$answers_name:$line_number"
  if [ "${#line}" -ge 100 ]; then
    fail "$where: line of ${#line} characters, keep it under 100"
  fi
  if [ "$line" = "$object_name" ]; then
    continue
  fi
  # values, blanks, then a comment that starts with neither "/" nor "," (which would end or
  # split the answer) nor anything that could be read as one more value
  if ! [[ $line =~ ^[-+0-9.Ee\ ]*[0-9.]\ +[^\ /,0-9.+-] ]]; then
    fail "$where: an answer needs its values, blanks and a comment: '$line'"
  fi
done < "$answers"
if ! grep -qxF -- "$object_name" "$answers"; then
  fail "$answers_name: no line names the object file $object_name"
fi
exit $failed
