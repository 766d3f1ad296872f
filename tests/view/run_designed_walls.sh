#!/usr/bin/env bash
# Walls the generators write from answers that the design tool or a user gives, measured by
# the real hornwall_view: each must measure the corrugations it was asked for, pass its
# band check without a warning and leave exit status 0 under --strict.
# Usage: run_designed_walls.sh HORNWALL_DESIGN HORNWALL_SINECORR HORNWALL_THICKCORR
#                              HORNWALL_VIEW SOURCE_DIR
set -u
design=$(realpath "$1")
sinecorr=$(realpath "$2")
thickcorr=$(realpath "$3")
view=$(realpath "$4")
source_dir=$(realpath "$5")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# NAME ZUL BAND CORRUGATIONS_LINE: the summary's corrugation line and a clean strict run.
expect() {
  local name=$1 zul=$2 band=$3 line=$4 summary status
  summary=$("$view" --strict --band "$band" -o "$name.svg" "$zul" 2>"$name.err")
  status=$?
  [ "$status" = 0 ] || { fail "$name: exit status $status"; cat "$name.err"; }
  grep -qxF -- "$line" <<<"$summary" || { fail "$name: no line '$line' in"; echo "$summary"; }
}

# Sine corrugations 7.6477 mm high and 0.01577 mm long, on radii of 20 and of 20 000 mm:
# the radii must not blur the points' z into radial faces.
for radius in 20 20000; do
  "$design" sinecorr --band 10:19 --per-wavelength 1000 \
    --final-radius "$radius" --aperture-radius $((radius + 10)) --length 100 \
    -o "sine$radius.answers" >/dev/null || fail "design for radius $radius"
  sed -i "2s/.*/sine$radius.zul/" "sine$radius.answers"
  "$sinecorr" --answers "sine$radius.answers" >/dev/null ||
    fail "hornwall_sinecorr for radius $radius"
  expect "sine$radius" "sine$radius.zul" 10:19 \
    "  6340 corrugations: height 7.6477 mm, extent 0.0157699 to 0.01577 mm, pitch 0.0157699 to 0.01577 mm"
done

# The shipped single-band thickcorr answers with ZI = 0 and a wall of 4 under the first
# corrugation, thicker than the aperture wall's 2: every fin is 7.6477 mm high.
sed -e '2s/.*/thick.zul/' -e '6s/^3\.122 /0.0   /' -e '7s/^2\.0 4\.0/4.0 4.0/' \
  "$source_dir/examples/thickcorr-single.answers" >thick.answers
"$thickcorr" --answers thick.answers >/dev/null || fail "hornwall_thickcorr"
expect thick thick.zul 10:12 \
  "  31 corrugations: height 7.6477 mm, thickness 0.624 to 0.6244 mm, pitch 3.122 mm"

[ "$failures" = 0 ] || exit 1
echo "designed walls measured as asked"
