#!/usr/bin/env bash
# Sweeps one dimension of a horn over a grid and ranks the walls by their margin.
#
#   examples/sweep.sh [-j JOBS] [--band F1:F2]... GENERATOR ANSWERS SYMBOLS FROM TO STEPS
#
# For each of STEPS values from FROM to TO (evenly spaced, both ends included) it runs
# GENERATOR (hornwall_corr, ...) on the answers file ANSWERS with every symbol of the
# comma-separated SYMBOLS set to the value (--set CD1=7.6 --set CD2=7.6 for "CD1,CD2"),
# quietly, each in a folder of its own, and checks the wall with hornwall_view against
# the bands (--band, given as to hornwall_view; by default those that the answers file's
# first line names, as hornwall_design writes them). The runs go in parallel, JOBS at a
# time (GNU parallel where it is installed, else xargs -P; JOBS defaults to the number of
# processors). It prints one line per value, the best first: the margin (the smallest
# shift of any band, down or up, that the wall tolerates), the verdict, and each band's
# worst and mean coverage and margins, from hornwall_view's JSON report.
#
# The programs are taken from PATH (for a build that is not installed:
# PATH=build/demo/corr:build/demo/view:$PATH). Needs python3 to read the reports.
set -euo pipefail

usage() {
  echo "usage: sweep.sh [-j JOBS] [--band F1:F2]... GENERATOR ANSWERS SYMBOLS FROM TO STEPS" >&2
  exit 2
}

jobs=$(nproc 2> /dev/null || echo 2)
bands=()
while [ $# -gt 0 ]; do
  case $1 in
    -j) [ $# -ge 2 ] || usage; jobs=$2; shift 2 ;;
    --band) [ $# -ge 2 ] || usage; bands+=(--band "$2"); shift 2 ;;
    --band=*) bands+=(--band "${1#--band=}"); shift ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 6 ] || usage
generator=$1 answers=$(realpath "$2") symbols=$3 from=$4 to=$5 steps=$6
[[ $steps =~ ^[1-9][0-9]*$ ]] || { echo "sweep.sh: STEPS must be a whole number above 0" >&2; exit 2; }
[[ $jobs =~ ^[1-9][0-9]*$ ]] || { echo "sweep.sh: JOBS must be a whole number above 0" >&2; exit 2; }
generator=$(command -v "$generator") || { echo "sweep.sh: no program $1 on PATH" >&2; exit 2; }
view=$(command -v hornwall_view) || { echo "sweep.sh: no program hornwall_view on PATH" >&2; exit 2; }
if [ ${#bands[@]} -eq 0 ]; then
  read -r -a bands <<< "$(head -n 1 "$answers" | grep -o -- '--band [^ ]*' | tr '\n' ' ')"
fi
[ ${#bands[@]} -gt 0 ] || { echo "sweep.sh: no band: give --band F1:F2" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One step: the wall of value $1 in a folder of its own; a failed run leaves its message.
step() {
  local value=$1 folder=$work/$1
  mkdir -p "$folder"
  local sets=() symbol
  IFS=, read -r -a names <<< "$symbols"
  for symbol in "${names[@]}"; do sets+=(--set "$symbol=$value"); done
  if ! (cd "$folder" && "$generator" -q --answers "$answers" "${sets[@]}" --set FILE=wall.zul \
      2> messages); then
    return 0
  fi
  (cd "$folder" && "$view" -q "${bands[@]}" --json report.json -o wall.svg wall.zul \
    > /dev/null 2>> messages) || true
}
export -f step
export work generator view answers symbols
export bands_text="${bands[*]}"

values=$(awk -v a="$from" -v b="$to" -v n="$steps" \
  'BEGIN { for (i = 0; i < n; i++) printf "%.6g\n", (n == 1 ? a : a + (b - a) * i / (n - 1)) }')
if command -v parallel > /dev/null && parallel --version 2> /dev/null | grep -q GNU; then
  parallel -j "$jobs" "bands=(\$bands_text); step {}" ::: $values
else
  printf '%s\n' $values | xargs -P "$jobs" -I{} bash -c 'bands=($bands_text); step "$1"' _ {}
fi

python3 - "$work" "$symbols" $values <<'PYTHON'
import json, math, os, sys


def percent(fraction):
    """A margin as the viewer shows it: in percent, rounded down to a tenth."""
    return f"{math.floor(fraction * 1000 + 1e-9) / 10:.1f}%"


work, symbols, values = sys.argv[1], sys.argv[2], sys.argv[3:]
rows = []
for value in values:
    folder = os.path.join(work, value)
    report = os.path.join(folder, "report.json")
    if not os.path.exists(report):
        with open(os.path.join(folder, "messages"), encoding="utf-8", errors="replace") as f:
            rows.append((float("-inf"), value, "failed", f.read().strip().splitlines()[:1]))
        continue
    with open(report, encoding="utf-8") as f:
        data = json.load(f)
    margin = float("inf")
    figures = []
    for profile in data["profiles"]:
        for band in profile.get("bands", []):
            label = data["bands"][band["band"]]["label"]
            shift = band.get("margin")
            if shift is None:  # the band itself falls below the threshold
                margin = min(margin, 0.0)
                shown = "no margin"
            else:
                margin = min(margin, shift["down"], shift["up"])
                shown = f"margin -{percent(shift['down'])} / +{percent(shift['up'])}"
            figures.append(f"{label}: worst {band['worst']['coverage'] * 100:.0f}%"
                           f" mean {band['mean'] * 100:.0f}% {shown}")
    if margin == float("inf"):
        margin = float("-inf")
    rows.append((margin, value, data["verdict"], figures))
rows.sort(key=lambda row: row[0], reverse=True)
print(f"{symbols:>12}  {'margin':>7}  {'verdict':<22}  bands")
for margin, value, verdict, figures in rows:
    shown = "-" if margin == float("-inf") else percent(margin)
    print(f"{value:>12}  {shown:>7}  {verdict:<22}  {'; '.join(figures)}")
PYTHON
