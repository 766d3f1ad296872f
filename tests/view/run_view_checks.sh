#!/usr/bin/env bash
# Runs the real hornwall_view on every shipped example, the golden cases of the horns that
# the programs' descriptions work through and every golden object file (found now, not when
# the build was configured): the exit status, the picture (well-formed for xmllint, rendered
# by rsvg-convert to something other than an empty canvas) and the table; each example
# designed for bands again against them. Then the command line itself.
# Usage: run_view_checks.sh HORNWALL_VIEW SOURCE_DIR
set -u
view=$1
source_dir=$2
for tool in xmllint rsvg-convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is missing (tools/install-deps installs libxml2-utils and librsvg2-bin)"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

check_picture() {
  local svg=$1 width height
  xmllint --noout "$svg" || fail "$svg is not well-formed XML"
  rsvg-convert "$svg" -o "$work/drawn.png" || { fail "$svg does not render"; return; }
  width=$(sed -n '2s/.* width="\([0-9.]*\)".*/\1/p' "$svg")
  height=$(sed -n '2s/.* height="\([0-9.]*\)".*/\1/p' "$svg")
  printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s"/>\n' \
    "$width" "$height" >"$work/empty.svg"
  rsvg-convert "$work/empty.svg" -o "$work/empty.png"
  if cmp -s "$work/drawn.png" "$work/empty.png"; then fail "$svg renders as an empty canvas"; fi
}

check_file() {  # FILE ALLOWED_STATUSES
  local file=$1 allowed=$2 status
  "$view" -q --mirror -o "$work/out.svg" --table "$work/out.csv" "$file" 2>"$work/messages"
  status=$?
  case " $allowed " in
    *" $status "*) ;;
    *) fail "$file: exit status $status, not $allowed"; cat "$work/messages" ;;
  esac
  check_picture "$work/out.svg"
  [ "$(head -n 1 "$work/out.csv")" = "profile,index,z,rho" ] || fail "$file: table header"
  if tail -n +2 "$work/out.csv" |
    grep -Ev '^[A-Za-z_][A-Za-z0-9_]*,[1-9][0-9]*,-?[0-9.e+-]+,-?[0-9.e+-]+$' | grep -q .; then
    fail "$file: a table row is malformed"
  fi
}

shopt -s nullglob
golden=$source_dir/tests/golden
samples=("$source_dir"/examples/*.zul
  "$golden"/spline/spline_10mm_one_period/expect/files/spline.zul
  "$golden"/sinecorr/sine_50mm_three_corrugations/expect/files/single.zul
  "$golden"/sinecorr/sine_50mm_dual_two_corrugations/expect/files/dual.zul
  "$golden"/corr/corr_50mm_three_corrugations/expect/files/corr.zul
  "$golden"/corr/corr_50mm_dual_four_corrugations/expect/files/corr.zul
  "$golden"/thickcorr/ridges_10mm_three_ridges/expect/files/thick.zul
  "$golden"/thickcorr/ridges_10mm_dual_three_ridges/expect/files/thick.zul)
[ ${#samples[@]} -ge 14 ] || fail "only ${#samples[@]} sample object files found"
for file in "${samples[@]}"; do check_file "$file" 0; done
for file in "$source_dir"/tests/golden/*/*/expect/files/*.zul; do check_file "$file" "0 1"; done
# Each example designed for bands, checked and drawn against them: its band panel and
# coverage plot.
banded=0
for answers in "$source_dir"/examples/*.answers; do
  read -r -a bands <<< "$(head -n 1 "$answers" | grep -o -- '--band [^ ]*' | tr '\n' ' ')"
  [ ${#bands[@]} -gt 0 ] || continue
  object=${answers%.answers}.zul
  "$view" -q --strict --mirror "${bands[@]}" -o "$work/bands.svg" "$object" ||
    fail "$object: exit status with ${bands[*]}"
  grep -q "coverage (%)" "$work/bands.svg" || fail "$object: no coverage plot"
  check_picture "$work/bands.svg"
  banded=$((banded + 1))
done
[ "$banded" -ge 6 ] || fail "only $banded examples checked against their bands"

# The command line, its messages and exit statuses.
cd "$work" || exit 1
expect() {  # WHAT EXPECTED_STATUS EXPECTED_STDERR COMMAND...
  local what=$1 status=$2 messages=$3
  shift 3
  "$@" >stdout 2>stderr
  local got=$?
  [ "$got" -eq "$status" ] || fail "$what: exit status $got, not $status"
  [ "$(cat stderr)" = "$messages" ] || fail "$what: stderr was: $(cat stderr)"
}
expect "version" 0 "" "$view" --version
[ "$(cat stdout)" = "hornwall_view (hornwall) $(sed -n 's/^project(hornwall VERSION \([0-9.]*\).*/\1/p' \
  "$source_dir/CMakeLists.txt")" ] || fail "version line: $(cat stdout)"
expect "help" 0 "" "$view" --help
grep -q -- "--mirror" stdout || fail "help names --mirror"
expect "no file" 2 $'usage: hornwall_view [OPTIONS] FILE\nhornwall_view: no object file given' \
  "$view" --mirror
expect "missing file" 2 "hornwall_view: cannot open 'nope.zul': No such file or directory" \
  "$view" nope.zul
cp "$source_dir/examples/spline.zul" horn.zul
expect "default picture name" 0 "" "$view" -q horn.zul
[ -s horn.zul.svg ] || fail "no horn.zul.svg"
expect "table to stdout" 0 "" "$view" --quiet horn.zul --table -
[ "$(head -n 1 stdout)" = "profile,index,z,rho" ] || fail "table on stdout"
"$view" --table=- horn.zul >stdout 2>stderr
grep -q "^errors: 0, warnings: 0$" stderr || fail "summary on stderr with --table -"
mkdir folder.zul
expect "a directory" 2 "hornwall_view: cannot read 'folder.zul': Is a directory" "$view" folder.zul
expect "empty table path" 2 \
  $'usage: hornwall_view [OPTIONS] FILE\nhornwall_view: option \'--table\' needs a value' \
  "$view" horn.zul --table=
cp horn.zul kept.zul
cp horn.zul horn.svg
expect "picture over the object file" 2 \
  "hornwall_view: the picture cannot overwrite the object file 'horn.svg'" \
  "$view" horn.svg -o ./horn.svg
expect "table over the object file" 2 \
  "hornwall_view: the table cannot overwrite the object file 'horn.zul'" \
  "$view" horn.zul --table horn.zul
expect "picture and table together" 2 \
  "hornwall_view: the picture and the table cannot both go to 'both.svg'" \
  "$view" horn.zul -o both.svg --table both.svg
expect "picture and table together, named two ways" 2 \
  "hornwall_view: the picture and the table cannot both go to 'horn.zul.svg'" \
  "$view" ./horn.zul --table horn.zul.svg
expect "a picture that is no SVG" 2 \
  $'usage: hornwall_view [OPTIONS] FILE\nhornwall_view: the picture\'s name must end in \'.svg\': \'x.png\'' \
  "$view" horn.zul -o x.png
cmp -s horn.zul kept.zul || fail "a refused output changed the object file"
cmp -s horn.svg kept.zul || fail "a refused output changed the object file"
[ ! -e both.svg ] || fail "a refused run wrote 'both.svg'"
[ ! -e x.png ] || fail "a refused run wrote 'x.png'"
# Nodes at the edges of double: drawn, or an empty frame with a warning; never a broken picture.
for nodes in "1e308 1e308 -1e308 0" "1.7e308 1e308 -1.7e308 1e308" "0 0 0 5e-324"; do
  printf 'w circular_symmetric_horn_exterior ( nodes : table ( %s ) )\n' "$nodes" >edge.zul
  "$view" -q --mirror edge.zul 2>stderr
  [ $? -eq 0 ] || fail "nodes $nodes: exit status"
  xmllint --noout edge.zul.svg || fail "nodes $nodes: the picture is not well-formed XML"
  ! grep -qE 'nan|inf' edge.zul.svg || fail "nodes $nodes: NaN or infinity in the picture"
done
grep -q "edge.zul:1: warning: the nodes lie too far apart or too close together to draw" stderr ||
  fail "tiny span: stderr was: $(cat stderr)"
head -n -4 horn.zul >cut.zul
cut_line=$(($(wc -l <cut.zul) + 1))
printf '        "-ref(ZW2)"' >>cut.zul
"$view" -q cut.zul 2>stderr
[ $? -eq 1 ] || fail "cut file: exit status"
grep -qx "cut.zul:$cut_line: error: file ends inside node 2 of 'horn_exterior_2'" stderr ||
  fail "cut file: stderr was: $(cat stderr)"
check_picture cut.zul.svg

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all hornwall_view process checks passed"
