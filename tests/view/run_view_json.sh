#!/usr/bin/env bash
# Reads back the JSON report of the real hornwall_view with Python's json module
# (report_agrees.py) and checks that it says what the text summary, the messages and the
# exit status say: on every shipped example against the bands its answers file names,
# without bands, and held to 60% strictly (warnings, status 1); on a wall with errors; on a
# file whose name holds bytes outside ASCII. Then the report written to a file, and its
# refusals.
#
# usage: run_view_json.sh HORNWALL_VIEW SOURCE_DIR
set -u
view=$(realpath "$1")
source_dir=$(realpath "$2")
agrees=$source_dir/tests/view/report_agrees.py
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export LC_ALL=C
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check FILE [OPTIONS...]: the report on standard output against the summary and the
# messages on standard error and the exit status.
check() {
  local file=$1 status
  shift
  "$view" "$@" -o "$work/out.svg" --json - "$file" >report.json 2>stderr
  status=$?
  awk -v f="$file:" 'index($0, f) != 1' stderr >summary
  awk -v f="$file:" 'index($0, f) == 1' stderr >messages
  "$python" "$agrees" report.json summary messages "$status" ||
    fail "$file $*: the report disagrees with the text"
}

count=0
for answers in "$source_dir"/examples/*.answers; do
  object=${answers%.answers}.zul
  read -r -a bands <<<"$(head -n 1 "$answers" | grep -o -- '--band [^ ]*' | tr '\n' ' ')"
  check "$object" "${bands[@]}"
  check "$object"
  check "$object" "${bands[@]}" --min-coverage 60 --strict
  count=$((count + 1))
done
[ "$count" -ge 7 ] || fail "only $count examples"

# A file with errors (a name outside ASCII is no object's name), and a file name with bytes
# outside ASCII.
printf 'A  real_variable\n(\n  value : "REF(X)"\n)\n' >'bad.zul'
printf 'w\xc3\xa9   circular_symmetric_horn_exterior\n(\n  length_unit : mm,\n' >>'bad.zul'
printf '  nodes : table\n  (\n    0. 10.\n    -1. "REF(A)"\n    -2. 10.\n  )\n)\n' >>'bad.zul'
check bad.zul --band 10:12
name=$(printf 'horn\xc3\xa9\x01.zul')
cp "$source_dir/examples/corr-single.zul" "$name"
check "$name" --band 10:12
"$python" - report.json "$name" <<'PYTHON' || fail "a name outside ASCII does not come back whole"
import json, os, sys
report = json.load(open(sys.argv[1], encoding="ascii"))
sys.exit(0 if report["file"].encode("latin-1") == os.fsencode(sys.argv[2]) else 1)
PYTHON

# The report in a file, named in the summary; refused over the object file and beside
# another output on standard output.
cp "$source_dir/examples/corr-single.zul" horn.zul
"$view" --band 10:12 --json horn.json horn.zul >stdout 2>stderr || fail "report to a file: status"
grep -qx "report: horn.json" stdout || fail "the summary names the report: $(cat stdout)"
"$python" -c 'import json; json.load(open("horn.json", encoding="ascii"))' ||
  fail "horn.json is no JSON"
"$view" --json horn.zul horn.zul >stdout 2>stderr
[ $? -eq 2 ] && grep -qx "hornwall_view: the report cannot overwrite the object file 'horn.zul'" stderr ||
  fail "report over the object file: $(cat stderr)"
"$view" --json - --table - horn.zul >stdout 2>stderr
[ $? -eq 2 ] &&
  grep -qx "hornwall_view: the table and the report cannot both go to standard output" stderr ||
  fail "two outputs on standard output: $(cat stderr)"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "every report agrees with its summary, messages and exit status"
