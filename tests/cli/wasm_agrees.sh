#!/usr/bin/env bash
# The programs built for WebAssembly, run under node, must write what the native programs
# write: every shipped example's object file byte for byte, the viewer's corrugations and
# JSON figures and pictures of every example, and the designs' answers files and reports,
# every file with the same permissions. (Their C++ library has no floating-point to_chars or
# from_chars, so every number text goes through the C library there.) Point tables are left
# out: a sine wall's points evaluate sin() in the platform's maths library, which may differ
# in the last bit.
#
# usage: wasm_agrees.sh NATIVE_BUILD WASM_BUILD
set -u
if [ $# -ne 2 ]; then
  echo "usage: wasm_agrees.sh NATIVE_BUILD WASM_BUILD" >&2
  exit 2
fi
native=$(realpath "$1")
wasm=$(realpath "$2")
root=$(realpath "$(dirname "$0")/../..")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A program of the WebAssembly build as a command (node's own fetch cannot load a local
# file, so it is turned off; emscripten's scripts find acorn among Debian's node modules).
for program in corr sinecorr spline thickcorr view design; do
  cat > "$work/$program" <<EOF
#!/bin/sh
NODE_PATH=/usr/share/nodejs exec node --no-experimental-fetch "$wasm/$program/hornwall_$program.js" "\$@"
EOF
  chmod +x "$work/$program"
done

failed=0
# WHAT PROGRAM ARGUMENTS...: run in copies of the examples' folder, both builds print the
# same, end the same and leave the same files with the same permissions.
agree() {
  local what=$1 program=$2 build
  shift 2
  for build in native wasm; do
    rm -rf "${work:?}/$build.run"
    cp -R "$root/examples" "$work/$build.run"
    if [ $build = native ]; then
      (cd "$work/$build.run" && "$native/$program/hornwall_$program" "$@") > "$work/$build.out" 2>&1
    else
      (cd "$work/$build.run" && "$work/$program" "$@") > "$work/$build.out" 2>&1
    fi
    echo "status $?" >> "$work/$build.out"
    (cd "$work/$build.run" && find . -type f -printf '%m %p\n' | sort) >> "$work/$build.out"
  done
  if ! cmp -s "$work/native.out" "$work/wasm.out" ||
    ! diff -r "$work/native.run" "$work/wasm.run" > /dev/null; then
    echo "FAIL: $what differs (- native, + WebAssembly):"
    diff -u "$work/native.out" "$work/wasm.out" | tail -n +3 | head -n 20
    diff -r "$work/native.run" "$work/wasm.run" | head -n 20
    failed=1
  fi
}

for answers in "$root"/examples/*.answers; do
  example=$(basename "$answers" .answers)
  if ! bash "$root/tests/examples/run_example.sh" "$work/${example%%-*}" "$answers" \
    "$root/examples/$example.zul" > "$work/example.log"; then
    echo "FAIL: example $example"
    cat "$work/example.log"
    failed=1
  fi
  agree "$example: corrugations" view --corrugations - "$example.zul"
  agree "$example: JSON" view --json - --band 10:13 --band 16:17 "$example.zul"
done

for wall in corr sinecorr spline; do
  agree "design $wall" design "$wall" --band 10.7:12.75 --aperture-radius 60 \
    --final-radius 20 --length 150 -o -
done
for wall in corr sinecorr; do
  agree "design $wall, dual band" design "$wall" --band 10:11 --band 14:14.5 \
    --aperture-radius 60 --final-radius 20 --length 150 --json - -o "$wall.answers"
done
agree "design thickcorr" design thickcorr --band 12:18 --taper --aperture-radius 40 \
  --wall-thickness 2:4 --length 120 --unit in -o -
agree "design, a band that no corrugation serves" design corr --band 1:10 --taper \
  --aperture-radius 60 --final-radius 20 --length 20 -o -

if [ $failed -eq 0 ]; then echo "wasm_agrees: the WebAssembly build writes what the native one writes"; fi
exit $failed
