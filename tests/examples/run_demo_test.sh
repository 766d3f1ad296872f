#!/usr/bin/env bash
# Runs tools/run-demo on a build folder and checks that it shows every shipped example: one
# heading, one transcript and one object file each, identical to the checked-in object file,
# and exit status 0.
#
# usage: run_demo_test.sh RUN_DEMO BUILD EXAMPLES_FOLDER
set -u
run_demo=$(realpath "$1")
build=$(realpath "$2")
examples=$(realpath "$3")

output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$run_demo" "$build" > "$output" 2>&1
status=$?
failed=0
if [ "$status" -ne 0 ]; then
  echo "FAIL: run-demo exit status $status:"
  tail -n 20 "$output"
  failed=1
fi
for answers in "$examples"/*.answers; do
  name=$(basename "$answers" .answers)
  if [ "$(grep -cxF -- "--- object file $build/demo-run/$name.zul" "$output")" -ne 1 ]; then
    echo "FAIL: the demo does not show the object file of $name once"
    failed=1
  elif ! cmp -s "$examples/$name.zul" "$build/demo-run/$name.zul"; then
    echo "FAIL: the demo's $name.zul differs from examples/$name.zul"
    failed=1
  fi
done
if grep -q "severe" "$output"; then
  echo "FAIL: a demo run failed:"
  grep "severe" "$output"
  failed=1
fi
exit $failed
