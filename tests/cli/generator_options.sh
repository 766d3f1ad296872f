#!/usr/bin/env bash
# The options that change what a generator writes, on a shipped example: --close adds
# exactly the short close ("    )" and ")") to the open profile; --parametric-heights
# writes heights that hornwall_view measures exactly as it measures the numbers; --quiet
# writes nothing to the console and the same object file.
#
# usage: generator_options.sh GENERATOR HORNWALL_VIEW EXAMPLE.answers [OPTION...]
#   OPTION: close, parametric (what the generator takes besides --quiet)
set -u
generator=$(realpath "$1")
view=$(realpath "$2")
answers=$(realpath "$3")
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# The object file: the first line, or the second after a corrugation type.
name=$(sed -n 1p "$answers")
[[ $name == *.zul ]] || name=$(sed -n 2p "$answers")
"$generator" --answers "$answers" > transcript 2>&1 || fail "the plain run: $(tail -n 2 transcript)"
mv "$name" plain.zul
"$generator" --quiet --answers "$answers" > quiet.out 2>&1 || fail "the quiet run"
[ ! -s quiet.out ] || fail "--quiet wrote $(wc -c < quiet.out) bytes to the console"
cmp -s "$name" plain.zul || fail "--quiet changed the object file"
for option in "$@"; do
  case $option in
    close)
      "$generator" -q --close --answers "$answers" || fail "--close"
      cmp -s "$name" <(cat plain.zul; printf '    )\n)\n') ||
        fail "--close did not add exactly the short close"
      ;;
    parametric)
      { cat plain.zul; printf '    )\n)\n'; } > numbers.zul
      "$generator" -q --close --parametric-heights --answers "$answers" || fail "--parametric"
      grep -q '+REF(CD1)"$' "$name" || fail "--parametric-heights wrote no height over CD1"
      "$view" -q --corrugations numbers.csv numbers.zul || fail "the viewer on the numbers"
      "$view" -q --corrugations heights.csv "$name" || fail "the viewer on the expressions"
      cmp -s numbers.csv heights.csv ||
        fail "the parametric heights measure otherwise: $(diff numbers.csv heights.csv | head -n 3)"
      ;;
  esac
done
exit $failed
