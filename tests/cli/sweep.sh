#!/usr/bin/env bash
# examples/sweep.sh on a small grid of the corr-single example: one line per value, the
# widest margin first, the figures as hornwall_view's report gives them, and a failed run
# on its own line.
#
# usage: sweep.sh SWEEP_SCRIPT CORR_FOLDER VIEW_FOLDER EXAMPLES_FOLDER
set -u
sweep=$(realpath "$1")
export PATH="$(realpath "$2"):$(realpath "$3"):$PATH"
examples=$(realpath "$4")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

"$sweep" -j 2 hornwall_corr "$examples/corr-single.answers" CD1,CD2 7.0 9.0 3 > table 2> errors ||
  { echo "FAIL: sweep.sh exited $?: $(cat errors)"; exit 1; }
expected='     CD1,CD2   margin  verdict                 bands
           9    16.7%  passes                  10-12 GHz: worst 100% mean 100% margin -16.7% / +38.7%
           8     6.3%  passes                  10-12 GHz: worst 100% mean 100% margin -6.3% / +50.0%
           7     0.0%  passes with 1 warning   10-12 GHz: worst 4% mean 66% no margin'
if [ "$(cat table)" != "$expected" ]; then
  echo "FAIL: the table of CD1,CD2 from 7 to 9:"
  diff <(echo "$expected") table
  failed=1
fi
# A value the generator refuses (a unit code outside its table) stands last, with its
# message.
"$sweep" --band 10:12 -j 1 hornwall_corr "$examples/corr-single.answers" UNIT 3 9 2 > table 2>&1
last='           9        -  failed                  severe (66): length unit code 9 not in 1 to 4, unit 50, file'
[[ $(tail -n 1 table) == "$last"* ]] || { echo "FAIL: a failed run: $(cat table)"; failed=1; }
"$sweep" hornwall_corr "$examples/corr-single.answers" CD1 1 2 0 2> /dev/null
[ $? -eq 2 ] || { echo "FAIL: zero steps were not refused"; failed=1; }
exit $failed
