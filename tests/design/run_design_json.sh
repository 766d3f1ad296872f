#!/usr/bin/env bash
# Reads back hornwall_design's JSON report with Python's json module (design_agrees.py)
# and checks that it says what the text report, the answers file, the exit status and
# hornwall_view's JSON report on the generated wall say: for each wall in each of its
# kinds, to a file and to standard output, held to other thresholds, and for requests
# refused before and after their wall was laid out. Then the outputs that clash and an
# output that cannot be written, each leaving no file behind.
#
# usage: run_design_json.sh HORNWALL_DESIGN HORNWALL_VIEW BUILD_DIR SOURCE_DIR
# (BUILD_DIR/NAME/hornwall_NAME is each generator)
set -u
design=$(realpath "$1")
view=$(realpath "$2")
build=$(realpath "$3")
agrees=$(realpath "$4")/tests/design/design_agrees.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export LC_ALL=C
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# case TO WALL [OPTIONS...]: a request in a folder of its own, its JSON report to a file
# (TO "file", the answers to standard output) or to standard output (TO "-", the answers to
# wall.answers); a design goes on through its generator and hornwall_view --json with its
# bands and threshold.
cases=()
case_count=0
run_case() {
  local to=$1 wall=$2
  shift 2
  case_count=$((case_count + 1))
  local folder=$work/c$case_count
  mkdir "$folder" && cd "$folder" || exit 1
  if [ "$to" = file ]; then
    "$design" "$wall" "$@" --json design.json > wall.answers 2> report
  else
    "$design" "$wall" "$@" -o wall.answers --json - > design.json 2> report
  fi
  local status=$?
  echo "$status" > status
  cases+=("$folder")
  if [ "$status" -eq 0 ]; then
    "$build/$wall/hornwall_$wall" --answers wall.answers > transcript 2>&1 ||
      fail "hornwall_$wall on the design of $*"
    local bands threshold
    bands=$(grep -m 1 -e '--band' wall.answers | grep -o -- '--band [^ ]*' | tr '\n' ' ')
    threshold=$(printf '%s\n' "$@" | grep -A 1 -x -e '--min-coverage' | tail -n 1)
    # A JSON report to standard output names the object file horn.zul.
    local object
    object=$(ls ./*.zul)
    # shellcheck disable=SC2086
    "$view" -q --strict $bands --min-coverage "${threshold:-25}" --json view.json "$object" \
      2> messages || fail "hornwall_view on the design of $*: $(head -n 3 messages)"
  fi
  cd "$work" || exit 1
}

radii=(--aperture-radius 60 --final-radius 20 --length 150)
ridges=(--aperture-radius 55 --wall-thickness 2:4 --length 150)
for to in file -; do
  run_case "$to" corr --band 10:12 "${radii[@]}"
  run_case "$to" corr --band 10:12 --band 17:20 --variable 4 "${radii[@]}"
  run_case "$to" corr --band 8:20 --taper "${radii[@]}" --unit in --aperture-radius 2 \
    --final-radius 1 --length 6
  run_case "$to" sinecorr --band 10:11 --band 12:13 --one-set "${radii[@]}" --unit cm \
    --aperture-radius 6 --final-radius 2 --length 15
  run_case "$to" sinecorr --band 8:20 --taper --min-coverage 40 "${radii[@]}"
  run_case "$to" thickcorr --band 10:12 --band 17:20 --min-coverage 50 "${ridges[@]}" \
    --min-thickness 0.3
  run_case "$to" thickcorr --band 10:25 --taper "${ridges[@]}"
  run_case "$to" spline --band 10:13 --min-coverage 100 "${radii[@]}"
done
# Refused: a band too wide for one window, before the wall is laid out; a taper whose ends
# are served by fewer than 25% of its corrugations, after, with its figures.
run_case file corr --band 10:25 "${radii[@]}"
run_case - corr --band 10:25 "${radii[@]}"
run_case file corr --band 10:40 --taper "${radii[@]}"
run_case - sinecorr --band 10:40 --taper "${radii[@]}"
run_case - corr --band 17:20 --band 10:12 --one-set "${radii[@]}"
/usr/bin/python3 "$agrees" "${cases[@]}" || fail "a JSON report disagrees with the text"
[ "$(grep -c . c19/status)" -eq 1 ] && grep -qx 1 c19/status && grep -q '"meets": false' c19/design.json ||
  fail "a taper refused for its coverage does not report its figures"

# Outputs that clash, and an output that cannot be written: exit status 2, the message, and
# no file made.
mkdir clash && cd clash || exit 1
refused() {
  local message=$1
  shift
  "$design" corr --band 10:12 "${radii[@]}" "$@" > stdout 2> stderr
  local status=$?
  [ "$status" -eq 2 ] && grep -qxF "$message" stderr ||
    fail "hornwall_design $*: exit $status: $(cat stderr)"
  [ -z "$(ls -A | grep -v -x -e stdout -e stderr)" ] || fail "hornwall_design $* left $(ls)"
}
refused "hornwall_design: the answers file and the JSON report cannot both go to standard output: give -o FILE" \
  --json -
refused "hornwall_design: the answers file and the JSON report cannot both go to standard output: give -o FILE" \
  -o - --json -
refused "hornwall_design: the answers file and the JSON report cannot both go to 'w.answers'" \
  -o w.answers --json w.answers
refused "hornwall_design: the answers file and the JSON report cannot both go to './w.answers'" \
  -o w.answers --json ./w.answers
refused "hornwall_design: the JSON report cannot go to '/dev/stdout', which is standard output: give --json -" \
  -o w.answers --json /dev/stdout
refused "hornwall_design: cannot write 'none/d.json': No such file or directory" \
  -o w.answers --json none/d.json
cd "$work" || exit 1

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "every JSON report agrees with its text, its answers and the viewer"
