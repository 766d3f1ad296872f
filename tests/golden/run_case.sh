#!/usr/bin/env bash
# Runs one end-to-end case of a program and compares, byte for byte, the console
# output, the error output, the exit status and every file the run leaves.
#
# A case is a folder:
#   stdin          console input (absent: none)
#   args           command-line arguments, one a line (blank lines are blank arguments)
#   files/         the working directory before the run
#   expect/stdout  expect/stderr (absent: empty)  expect/status
#   expect/files/  every file the run creates or changes; every other file of files/
#                  must stay as it was, and no other file may appear
set -u
program=$(realpath "$1")
case_dir=$(realpath "$2")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
if [ -d "$case_dir/files" ]; then cp -a "$case_dir/files/." "$work/run/"; fi
arguments=()
if [ -f "$case_dir/args" ]; then mapfile -t arguments < "$case_dir/args"; fi
stdin=/dev/null
if [ -f "$case_dir/stdin" ]; then stdin=$case_dir/stdin; fi

(cd "$work/run" && exec "$program" "${arguments[@]}") < "$stdin" > "$work/stdout" 2> "$work/stderr"
echo $? > "$work/status"

failed=0
compare() {  # expected actual what
  if ! cmp -s "$1" "$2"; then
    echo "MISMATCH in $3 (- expected, + actual, \$ marks line ends):"
    diff -u <(cat -A "$1") <(cat -A "$2") | tail -n +3 | head -n 40
    failed=1
  fi
}

expected_stderr=$case_dir/expect/stderr
[ -f "$expected_stderr" ] || expected_stderr=/dev/null
compare "$case_dir/expect/stdout" "$work/stdout" "console output"
compare "$expected_stderr" "$work/stderr" "error output"
compare "$case_dir/expect/status" "$work/status" "exit status"

while IFS= read -r -d '' file; do
  name=${file#"$work/run/"}
  if [ -f "$case_dir/expect/files/$name" ]; then
    compare "$case_dir/expect/files/$name" "$file" "file $name"
  elif [ -f "$case_dir/files/$name" ]; then
    compare "$case_dir/files/$name" "$file" "file $name (must stay unchanged)"
  else
    echo "UNEXPECTED file $name"
    failed=1
  fi
done < <(find "$work/run" -type f -print0)

if [ -d "$case_dir/expect/files" ]; then
  while IFS= read -r -d '' file; do
    name=${file#"$case_dir/expect/files/"}
    if [ ! -f "$work/run/$name" ]; then
      echo "MISSING file $name"
      failed=1
    fi
  done < <(find "$case_dir/expect/files" -type f -print0)
fi
exit $failed
