#!/usr/bin/env bash
# Designs pseudo-random walls (a fixed seed, the same on every machine): corr and sinecorr,
# one band, one band tapered, two bands and two bands as one set, in every unit, with and
# without the options that change a design. Every design made must go through its
# generator and pass hornwall_view --strict with the same bands, and the report's line for
# each band must be the viewer's summary line, character for character. A request refused
# (exit 1) is counted; at least MIN_DESIGNS designs must be made, some of every kind.
#
# usage: run_design_random.sh HORNWALL_DESIGN HORNWALL_CORR HORNWALL_SINECORR HORNWALL_VIEW
#                             [REQUESTS [MIN_DESIGNS]]
set -u
design=$(realpath "$1")
corr=$(realpath "$2")
sinecorr=$(realpath "$3")
view=$(realpath "$4")
requests=${5:-1250}
min_designs=${6:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# One request a line: the wall, its kind (single, taper, dual, one-set), its unit, then
# the options. The generator is minstd (Park and Miller), whose products stay exact in
# any awk's doubles.
awk -v count="$requests" '
  function next_random() { seed = (seed * 48271) % 2147483647; return seed / 2147483647 }
  function between(low, high) { return low + (high - low) * next_random() }
  function log_between(low, high) { return exp(between(log(low), log(high))) }
  function pick(n) { return int(n * next_random()) }
  function g(x) { return sprintf("%.4g", x) }
  BEGIN {
    seed = 20261209
    split("mm m in ft", corr_units, " ")
    split("mm cm m in ft", sine_units, " ")
    split("mm=1 cm=10 m=1000 in=25.4 ft=304.8", pairs, " ")
    for (p in pairs) { split(pairs[p], kv, "="); per_unit[kv[1]] = kv[2] }
    for (r = 0; r < count; ++r) {
      wall = pick(2) == 0 ? "corr" : "sinecorr"
      unit = wall == "corr" ? corr_units[1 + pick(4)] : sine_units[1 + pick(5)]
      chance = next_random()
      kind = chance < 0.35 ? "single" : chance < 0.55 ? "taper" : chance < 0.85 ? "dual" : "one-set"
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
      options = options " --final-radius " g(wavelength * between(0.2, 4))
      options = options " --length " g(wavelength * log_between(0.4, 12))
      if (next_random() < 0.5) options = options " --margin " sprintf("%.3g", log_between(1e-7, 0.1))
      if (next_random() < 0.3) options = options " --per-wavelength " sprintf("%.3g", between(5, 12))
      if (next_random() < 0.2) options = options " --first " g(wavelength * between(0.05, 1))
      if (next_random() < 0.6) {
        variable = 1 + pick(7)
        if (kind == "dual" && variable % 2 == 1) variable = variable == 7 ? 6 : variable + 1
        options = options " --variable " variable
      }
      if (wall == "sinecorr" && next_random() < 0.3) options = options " --points " (4 + 2 * pick(7))
      if (wall == "corr" && next_random() < 0.2) options = options " --slot-ratio " sprintf("%.3g", between(0.55, 0.9))
      if (wall == "corr" && next_random() < 0.15) options = options " --min-thickness " g(between(0.1, 1) / per_unit[unit])
      print wall, kind, unit, options
    }
  }' > requests

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
while read -r wall kind unit options; do
  # shellcheck disable=SC2086
  "$design" "$wall" $options -o wall.answers > report 2> refusal
  status=$?
  if [ "$status" -eq 1 ]; then
    refused=$((refused + 1))
    continue
  fi
  if [ "$status" -ne 0 ]; then
    echo "FAIL: hornwall_design $wall $options: exit $status: $(cat refusal)"
    failures=$((failures + 1))
    continue
  fi
  generator=$corr
  [ "$wall" = sinecorr ] && generator=$sinecorr
  if ! "$generator" --answers wall.answers > transcript 2>&1; then
    echo "FAIL: hornwall_$wall on the design of $options: $(tail -n 2 transcript)"
    failures=$((failures + 1))
    continue
  fi
  read -r first_line < wall.answers
  bands=()
  for word in $first_line; do
    [ "${previous:-}" = --band ] && bands+=(--band "$word")
    previous=$word
  done
  if ! "$view" --strict "${bands[@]}" wall.zul > summary 2> messages; then
    echo "FAIL: hornwall_view --strict ${bands[*]} on the design of $wall $options:"
    head -n 5 messages
    failures=$((failures + 1))
    continue
  fi
  if [ "$(band_lines report)" != "$(band_lines summary)" ]; then
    echo "FAIL: the report of $wall $options differs from hornwall_view's summary:"
    band_lines report
    band_lines summary
    failures=$((failures + 1))
    continue
  fi
  designed=$((designed + 1))
  made[$wall.$kind]=$((${made[$wall.$kind]:-0} + 1))
  made[$unit]=$((${made[$unit]:-0} + 1))
done < requests

echo "$requests requests: $designed designed, $refused refused, $failures failures"
for kind in corr.single corr.taper corr.dual corr.one-set sinecorr.single sinecorr.taper \
  sinecorr.dual sinecorr.one-set mm cm m in ft; do
  echo "  $kind: ${made[$kind]:-0}"
  if [ "${made[$kind]:-0}" -lt 20 ]; then
    echo "FAIL: fewer than 20 designs of $kind"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && [ "$designed" -ge "$min_designs" ]
