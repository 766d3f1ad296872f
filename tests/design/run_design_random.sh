#!/usr/bin/env bash
# Designs pseudo-random walls (fixed seeds, the same on every machine): corr and sinecorr,
# then thickcorr and spline, one band, one band tapered, two bands and two bands as one set
# (each as its wall has them), in every unit, with and without the options that change a
# design, --min-coverage among them. Every design made must go through its generator and
# pass hornwall_view --strict with the same bands and threshold, and the report's line for
# each band must be the viewer's summary line, character for character. Every JSON report,
# of a design or of a refusal, is then read back (design_agrees.py) against the text
# report, the answers file, the exit status and hornwall_view's JSON report. A request
# refused (exit 1) is counted; at least MIN_DESIGNS designs must be made, some of every
# kind.
#
# usage: run_design_random.sh HORNWALL_DESIGN HORNWALL_VIEW BUILD_DIR
#                             [REQUESTS [MIN_DESIGNS [MORE_REQUESTS]]]
# (BUILD_DIR/NAME/hornwall_NAME is each generator; REQUESTS of corr and sinecorr,
# MORE_REQUESTS of thickcorr and spline)
set -u
design=$(realpath "$1")
view=$(realpath "$2")
build=$(realpath "$3")
agrees=$(dirname "$(realpath "$0")")/design_agrees.py
requests=${4:-1250}
min_designs=${5:-1650}
more_requests=${6:-750}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# One request a line: the wall, its kind (single, taper, dual, one-set), its unit, then
# the options, COUNT of them for the walls WALLS from SEED. The generator is minstd (Park
# and Miller), whose products stay exact in any awk's doubles. A wall's own options draw
# their numbers only for that wall, so that the requests of the others stay as they were.
make_requests() {
awk -v count="$1" -v seed="$2" -v walls="$3" '
  function next_random() { seed = (seed * 48271) % 2147483647; return seed / 2147483647 }
  function between(low, high) { return low + (high - low) * next_random() }
  function log_between(low, high) { return exp(between(log(low), log(high))) }
  function pick(n) { return int(n * next_random()) }
  function g(x) { return sprintf("%.4g", x) }
  BEGIN {
    nwalls = split(walls, wall_names, " ")
    split("mm m in ft", corr_units, " ")
    split("mm cm m in ft", sine_units, " ")
    split("mm=1 cm=10 m=1000 in=25.4 ft=304.8", pairs, " ")
    for (p in pairs) { split(pairs[p], kv, "="); per_unit[kv[1]] = kv[2] }
    for (r = 0; r < count; ++r) {
      wall = wall_names[1 + pick(nwalls)]
      four = wall == "corr" || wall == "thickcorr"
      unit = four ? corr_units[1 + pick(4)] : sine_units[1 + pick(5)]
      chance = next_random()
      kind = chance < 0.35 ? "single" : chance < 0.55 ? "taper" : chance < 0.85 ? "dual" : "one-set"
      # A ripple has one height and one band.
      if (wall == "spline") kind = chance < 0.7 ? "single" : "one-set"
      low = log_between(0.5, 40)
      if (kind == "single") {
        bands = "--band " g(low) ":" g(low * between(1.02, 1.93))
      } else if (kind == "taper") {
        bands = "--band " g(low) ":" g(low * between(1.5, 3)) " --taper"
      } else if (kind == "dual") {
        high = low * between(1.02, 1.3)
        upper = high * between(1.05, 2.5)
        bands = "--band " g(low) ":" g(high) " --band " g(upper) ":" g(upper * between(1.02, 1.3))
      } else {
        high = low * between(1.02, 1.15)
        upper = low * between(1.25, 1.5)
        bands = "--band " g(low) ":" g(high) " --band " g(upper) ":" g(upper * between(1.02, 1.2)) " --one-set"
      }
      wavelength = 299.792458 / low / per_unit[unit]
      options = bands " --unit " unit
      options = options " --aperture-radius " g(wavelength * between(0.5, 8))
      if (wall == "thickcorr") {
        thickness = g(wavelength * log_between(0.01, 0.5))
        if (next_random() < 0.5) thickness = thickness ":" g(wavelength * log_between(0.01, 0.5))
        options = options " --wall-thickness " thickness
      } else {
        options = options " --final-radius " g(wavelength * between(0.2, 4))
      }
      options = options " --length " g(wavelength * log_between(0.4, 12))
      if (next_random() < 0.5) options = options " --margin " sprintf("%.3g", log_between(1e-7, 0.1))
      if (next_random() < 0.3) options = options " --per-wavelength " sprintf("%.3g", between(5, 12))
      if (next_random() < 0.2) options = options " --first " g(wavelength * between(0.05, 1))
      if ((wall == "corr" || wall == "sinecorr") && next_random() < 0.6) {
        variable = 1 + pick(7)
        if (kind == "dual" && variable % 2 == 1) variable = variable == 7 ? 6 : variable + 1
        options = options " --variable " variable
      }
      if ((wall == "sinecorr" || wall == "spline") && next_random() < 0.3) options = options " --points " (4 + 2 * pick(7))
      if (four && next_random() < 0.2) options = options " --slot-ratio " sprintf("%.3g", between(0.55, 0.9))
      if (four && next_random() < 0.15) options = options " --min-thickness " g(between(0.1, 1) / per_unit[unit])
      if (next_random() < 0.25) options = options " --min-coverage " sprintf("%.3g", 100 * next_random() ^ 2)
      print wall, kind, unit, options
    }
  }'
}
{
  make_requests "$requests" 20261209 "corr sinecorr"
  make_requests "$more_requests" 20261210 "thickcorr spline"
} > requests

failures=0
designed=0
refused=0
declare -A made
# The lines of FILE that state a band's coverage.
band_lines() {
  local line
  while IFS= read -r line; do
    [[ $line == "  band "* ]] && printf '%s\n' "$line"
  done < "$1"
}
case=0
while read -r wall kind unit options; do
  # Each request's outputs in a folder of their own, for the JSON reports' reading.
  case=$((case + 1))
  mkdir "$case" && cd "$case" || exit 1
  # shellcheck disable=SC2086
  "$design" "$wall" $options -o wall.answers --json - > design.json 2> report
  status=$?
  echo "$status" > status
  if [ "$status" -eq 1 ]; then
    refused=$((refused + 1))
    cd ..
    continue
  fi
  cd .. || exit 1
  if [ "$status" -ne 0 ]; then
    echo "FAIL: hornwall_design $wall $options: exit $status: $(cat "$case/report")"
    failures=$((failures + 1))
    continue
  fi
  cd "$case" || exit 1
  if ! "$build/$wall/hornwall_$wall" --answers wall.answers > transcript 2>&1; then
    echo "FAIL: hornwall_$wall on the design of $options: $(tail -n 2 transcript)"
    failures=$((failures + 1))
    cd ..
    continue
  fi
  # The bands, as the first line that has them states them, and the design's threshold.
  first_line=$(grep -m 1 -e '--band' wall.answers)
  bands=()
  for word in $first_line; do
    [ "${previous:-}" = --band ] && bands+=(--band "$word")
    previous=$word
  done
  threshold=25
  for word in $options; do
    [ "${previous:-}" = --min-coverage ] && threshold=$word
    previous=$word
  done
  "$view" --strict "${bands[@]}" --min-coverage "$threshold" --json - wall.zul \
    > view.json 2> summary
  viewed=$?
  rm -f wall.zul transcript
  cd .. || exit 1
  if [ "$viewed" -ne 0 ]; then
    echo "FAIL: hornwall_view --strict ${bands[*]} --min-coverage $threshold on the design of" \
      "$wall $options:"
    grep -m 5 '^wall.zul:' "$case/summary"
    failures=$((failures + 1))
    continue
  fi
  if [ "$(band_lines "$case/report")" != "$(band_lines "$case/summary")" ]; then
    echo "FAIL: the report of $wall $options differs from hornwall_view's summary:"
    band_lines "$case/report"
    band_lines "$case/summary"
    failures=$((failures + 1))
    continue
  fi
  designed=$((designed + 1))
  made[$wall.$kind]=$((${made[$wall.$kind]:-0} + 1))
  made[$unit]=$((${made[$unit]:-0} + 1))
done < requests

echo "$((requests + more_requests)) requests: $designed designed, $refused refused, $failures failures"
# Every JSON report, read back at once.
/usr/bin/python3 "$agrees" $(seq 1 "$case") || failures=$((failures + 1))
for kind in corr.single corr.taper corr.dual corr.one-set sinecorr.single sinecorr.taper \
  sinecorr.dual sinecorr.one-set thickcorr.single thickcorr.taper thickcorr.dual \
  thickcorr.one-set spline.single spline.one-set mm cm m in ft; do
  echo "  $kind: ${made[$kind]:-0}"
  if [ "${made[$kind]:-0}" -lt 20 ]; then
    echo "FAIL: fewer than 20 designs of $kind"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && [ "$designed" -ge "$min_designs" ]
