#!/usr/bin/env bash
# Walls the generators write from designed and edited answers, measured by the real
# hornwall_view: each must measure the corrugations it was asked for, pass its
# band check without a warning and leave exit status 0 under --strict.
# Usage: run_designed_walls.sh HORNWALL_SINECORR HORNWALL_THICKCORR HORNWALL_VIEW SOURCE_DIR
set -u
sinecorr=$(realpath "$1")
thickcorr=$(realpath "$2")
view=$(realpath "$3")
source_dir=$(realpath "$4")
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

# Sine corrugations 7.6477 mm high and 0.01577 mm long on radii of 20 and of 20 000 mm,
# answered as hornwall_design sinecorr --band 10:19 --per-wavelength 1000 --length 100
# answers them: the radii must not blur the points' z into radial faces.
for radius in 20 20000; do
  printf '%s\n' 1 "sine$radius.zul" $((radius + 10)) 3 0 "$radius" 99.997 6340 12 0.01577 2 \
    0.01577 7.6477 0.01577 7.6477 '7.6477 7.6477' >"sine$radius.answers"
  "$sinecorr" --answers "sine$radius.answers" >/dev/null || fail "hornwall_sinecorr for radius $radius"
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
