#!/usr/bin/env bash
# Designs a grid of walls, runs each answers file through its generator, and checks the
# object file with hornwall_view --strict against the bands it was designed for, held to
# the same least coverage (--min-coverage, 25% unless the design is given another): every
# one must come out without an error or a warning. Single bands from 1 to 40 GHz, 1.05 to
# 1.9 wide; dual bands 1.2 to 3 apart; tapered bands 1.2 to 3.9 wide; units mm, cm and in;
# every wall, in the bands it has. Each wall's radii, wall thickness and length follow the
# wavelength at its lowest frequency.
#
# usage: run_design_grid.sh HORNWALL_DESIGN HORNWALL_VIEW BUILD_DIR
# (BUILD_DIR/NAME/hornwall_NAME is each generator)
set -u
design=$(realpath "$1")
view=$(realpath "$2")
build=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
count=0
# check WALL UNIT LOWEST_GHZ [design options...]
check() {
  local wall=$1 unit=$2 lowest=$3
  shift 3
  local scale per_unit
  per_unit=$(case $unit in mm) echo 1 ;; cm) echo 10 ;; in) echo 25.4 ;; esac)
  # A wavelength at the lowest frequency, in the unit.
  scale=$(awk -v f="$lowest" -v u="$per_unit" 'BEGIN { printf "%.6g", 299.792458 / f / u }')
  local radius final length
  radius=$(awk -v l="$scale" 'BEGIN { printf "%.6g", 3 * l }')
  final=$(awk -v l="$scale" 'BEGIN { printf "%.6g", l }')
  length=$(awk -v l="$scale" 'BEGIN { printf "%.6g", 10 * l }')
  local request="$wall $* --unit $unit --aperture-radius $radius --length $length"
  if [ "$wall" = thickcorr ]; then
    # A wall a twentieth of a wavelength thick under the first corrugation, twice that behind
    # the last.
    request="$request --wall-thickness $(awk -v l="$scale" 'BEGIN { printf "%.4g:%.4g", l / 20, l / 10 }')"
  else
    request="$request --final-radius $final"
  fi
  count=$((count + 1))
  # shellcheck disable=SC2086
  if ! "$design" $request -o wall.answers > report 2>&1; then
    echo "FAIL: hornwall_design $request: $(cat report)"
    failures=$((failures + 1))
    return
  fi
  if ! "$build/$wall/hornwall_$wall" --answers wall.answers > transcript 2>&1; then
    echo "FAIL: hornwall_$wall on the design of $request: $(tail -n 2 transcript)"
    failures=$((failures + 1))
    return
  fi
  local bands threshold
  # The bands, as the first line that has them states them, and the design's threshold.
  bands=$(grep -m 1 -e '--band' wall.answers | grep -o -- '--band [^ ]*' | tr '\n' ' ')
  threshold=$(printf '%s\n' "$@" | grep -A 1 -x -e '--min-coverage' | tail -n 1)
  # shellcheck disable=SC2086
  if ! "$view" --strict -q --min-coverage "${threshold:-25}" $bands wall.zul > messages 2>&1; then
    echo "FAIL: hornwall_view --strict $bands on the design of $request:"
    head -n 5 messages
    failures=$((failures + 1))
  fi
}

# Single bands, from 1 to 40 GHz, 1.05 to 1.9 wide.
for low in 1 4 12 21 38; do
  for ratio in 1.05 1.4 1.9; do
    high=$(awk -v f="$low" -v r="$ratio" 'BEGIN { printf "%.4g", (f * r > 40 ? 40 : f * r) }')
    check corr mm "$low" --band "$low:$high"
    check sinecorr cm "$low" --band "$low:$high"
    check thickcorr mm "$low" --band "$low:$high"
    check spline cm "$low" --band "$low:$high"
  done
  check corr in "$low" --band "$low:$(awk -v f="$low" 'BEGIN { printf "%.4g", f * 1.2 }')"
  check thickcorr in "$low" --band "$low:$(awk -v f="$low" 'BEGIN { printf "%.4g", f * 1.2 }')"
  check spline in "$low" --band "$low:$(awk -v f="$low" 'BEGIN { printf "%.4g", f * 1.2 }')"
done
# Dual bands, 1.2 to 3 apart.
for low in 2 6 11; do
  for apart in 1.2 2 3; do
    upper=$(awk -v f="$low" -v r="$apart" 'BEGIN { printf "%.4g", f * r }')
    bands="--band $low:$(awk -v f="$low" 'BEGIN { printf "%.4g", f * 1.1 }')"
    bands="$bands --band $upper:$(awk -v f="$upper" 'BEGIN { printf "%.4g", f * 1.1 }')"
    # shellcheck disable=SC2086
    check corr mm "$low" $bands
    # shellcheck disable=SC2086
    check sinecorr in "$low" $bands
    # Two rows of ridges need a pitch of four thicknesses: ridges a thirtieth of the upper
    # band's shortest wavelength thick.
    thin=$(awk -v f="$upper" 'BEGIN { printf "%.4g", 299.792458 / (f * 1.1) / 30 }')
    # shellcheck disable=SC2086
    check thickcorr mm "$low" $bands --min-thickness "$thin"
  done
done
# Bands wider than one window, tapered, up to nearly four times as wide as their bottom,
# whose ends a taper serves with about a quarter of its corrugations.
for ratio in 1.2 2.5 3.9; do
  for low in 1 4 8; do
    band="$low:$(awk -v f="$low" -v r="$ratio" 'BEGIN { printf "%.4g", f * r }')"
    check corr mm "$low" --band "$band" --taper
    check sinecorr cm "$low" --band "$band" --taper
    check thickcorr in "$low" --band "$band" --taper
  done
done
# Other thresholds, passed to the viewer: every corrugation of a band in one window, and
# about half of them in two bands; none asked for.
check corr mm 10 --band 10:18 --min-coverage 100
check spline cm 10 --band 10:18 --min-coverage 100
check sinecorr mm 10 --band 10:12 --band 17:20 --min-coverage 49
check thickcorr mm 10 --band 10:11 --band 21:23 --min-coverage 49 --min-thickness 0.35
check corr mm 8 --band 8:20 --taper --min-coverage 39
check corr mm 10 --band 10:19.59995 --min-coverage 0
# Two bands in one window, as one set.
check corr mm 10 --band 10:11 --band 12:13 --one-set
check thickcorr in 10 --band 10:11 --band 12:13 --one-set
check spline mm 10 --band 10:11 --band 12:13 --one-set

echo "$count designs, $failures failures"
[ "$failures" -eq 0 ] && [ "$count" -ge 100 ]
