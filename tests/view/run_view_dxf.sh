#!/usr/bin/env bash
# Reads back the DXF drawing of the real hornwall_view with ezdxf (dxf_agrees.py): on every
# shipped example, plain and mirrored, against the node table of the same run; in each
# length unit a drawing can name and in one it cannot; with profile names that no layer can
# take as they are; with a node that cannot be evaluated; on standard output. Then the
# drawing's refusals.
#
# usage: run_view_dxf.sh HORNWALL_VIEW SOURCE_DIR
set -u
view=$(realpath "$1")
source_dir=$(realpath "$2")
agrees=$source_dir/tests/view/dxf_agrees.py
python=/usr/bin/python3
if ! "$python" -c 'import ezdxf' 2>/dev/null; then
  echo "FAIL: $python cannot import ezdxf (tools/install-deps test installs python3-ezdxf)"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export LC_ALL=C
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check FILE STATUS UNIT_CODE [OPTIONS...]: the drawing of FILE against its node table.
check() {
  local file=$1 status=$2 unit=$3 mirror=() got
  shift 3
  for option in "$@"; do [ "$option" = --mirror ] && mirror=(--mirror); done
  "$view" -q -o out.svg --table out.csv --dxf out.dxf "$@" "$file" 2>stderr
  got=$?
  [ "$got" -eq "$status" ] || fail "$file $*: exit status $got, not $status: $(cat stderr)"
  "$python" "$agrees" out.dxf out.csv "$unit" "${mirror[@]}" || fail "$file $*: the drawing disagrees"
}

count=0
for object in "$source_dir"/examples/*.zul; do
  check "$object" 0 4
  check "$object" 0 4 --mirror
  count=$((count + 1))
done
[ "$count" -ge 7 ] || fail "only $count examples"

# wall UNIT [NAME...]: profiles in UNIT (none when empty) named NAME..., each joining the last.
wall() {
  local unit=$1 z=0 name
  shift
  for name in "$@"; do
    printf '%s   circular_symmetric_horn_exterior\n(\n' "$name"
    [ -n "$unit" ] && printf '  length_unit : %s,\n' "$unit"
    printf '  nodes : table\n  (\n    %d. 10.\n    %d. 12.\n  )\n)\n' "$z" $((z - 5))
    z=$((z - 5))
  done
}
for pair in in:1 ft:2 mm:4 cm:5 m:6; do
  wall "${pair%:*}" w >unit.zul
  check unit.zul 0 "${pair#*:}"
done
wall yd w >yards.zul
check yards.zul 1 0
grep -qx "yards.zul:1: error: profile 'w' has the length unit 'yd', which a DXF drawing cannot name (in, ft, mm, cm, m)" stderr ||
  fail "a unit the drawing cannot name: $(cat stderr)"
wall "" w >none.zul
check none.zul 1 0
{ wall mm a; wall in b; } >mixed.zul
check mixed.zul 1 0
grep -q "profile 'b' has the length unit 'in', but the DXF drawing takes 'mm' from profile 'a'" stderr ||
  fail "two units in one drawing: $(cat stderr)"

# Names that no layer takes as they are: case, the reserved layers, more than 31 bytes.
long=a_profile_name_of_more_than_31_bytes
wall mm horn HORN axis aperture defpoints "$long" "${long}_too" >names.zul
"$view" -q --dxf names.dxf --table names.csv names.zul 2>stderr || fail "names: $(cat stderr)"
"$python" "$agrees" names.dxf names.csv 4 --layers \
  HORN,HORN_2,AXIS_2,APERTURE_2,DEFPOINTS_2,A_PROFILE_NAME_OF_MORE_THAN_31_,A_PROFILE_NAME_OF_MORE_THAN_3_2 ||
  fail "names: the layers disagree"

# A node that cannot be evaluated breaks its polyline (the table skips its row).
sed 's/^ *-5\. 12\./    "REF(X)" 12./' names.zul | head -n 7 >broken.zul
printf '    -7. 13.\n  )\n)\n' >>broken.zul
check broken.zul 1 4 --mirror

# On standard output, for a pipe, with the summary on standard error.
"$view" -o out.svg --dxf - "$source_dir/examples/corr-single.zul" 2>stderr |
  "$python" -c 'import ezdxf, sys; d = ezdxf.read(sys.stdin); sys.exit(d.audit().has_errors)' ||
  fail "a drawing on standard output does not read back"
grep -qx "drawing: standard output" stderr || fail "the summary names no drawing: $(cat stderr)"

# Named in the summary; its ending in any case.
"$view" -o out.svg --dxf UP.DXF "$source_dir/examples/corr-single.zul" >stdout 2>stderr ||
  fail "a drawing named in capitals: $(cat stderr)"
grep -qx "drawing: UP.DXF" stdout && [ -s UP.DXF ] || fail "the summary names no drawing: $(cat stdout)"

# Refused: over the object file, beside another output, without its ending.
cp "$source_dir/examples/corr-single.zul" horn.dxf
"$view" --dxf horn.dxf horn.dxf >stdout 2>stderr
[ $? -eq 2 ] && grep -qx "hornwall_view: the drawing cannot overwrite the object file 'horn.dxf'" stderr ||
  fail "drawing over the object file: $(cat stderr)"
"$view" --json same.dxf --dxf ./same.dxf horn.dxf >stdout 2>stderr
[ $? -eq 2 ] && grep -qx "hornwall_view: the report and the drawing cannot both go to './same.dxf'" stderr ||
  fail "drawing beside the report: $(cat stderr)"
"$view" --dxf horn.txt horn.dxf >stdout 2>stderr
[ $? -eq 2 ] && grep -qx "hornwall_view: the drawing's name must end in '.dxf': 'horn.txt'" stderr ||
  fail "drawing without its ending: $(cat stderr)"
[ ! -e same.dxf ] && [ ! -e horn.txt ] || fail "a refused run wrote a file"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "every drawing reads back to its nodes"
