#!/usr/bin/env bash
# Runs tools/run-demo on a build folder and checks what it shows: every example of
# BUILD/programs.list once, with its command and a viewer's summary that says "errors: 0";
# each object file it leaves in BUILD/demo-run identical to the checked-in one; every
# examples/*.answers declared in the list; and exit status 0. The check must go red on an
# output that lacks an example, and the demo must end with status 1 when a generator or the
# viewer fails: both are tried, the failures on a copy of the build whose program fails.
#
# usage: run_demo_test.sh RUN_DEMO BUILD EXAMPLES_FOLDER
set -u
run_demo=$(realpath "$1")
build=$(realpath "$2")
examples=$(realpath "$3")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# program, example
declared=()
while read -r kind program example _; do
  if [ "$kind" = example ]; then declared+=("$program $example"); fi
done < "$build/programs.list"
[ ${#declared[@]} -gt 0 ] || fail "no example in $build/programs.list"

# Whether the demo's output OUTPUT shows every declared example once, with the viewer's
# summary of its object file saying "errors: 0"; says what it misses.
shows_every_example() {
  local output=$1 program example view sound=0
  for entry in "${declared[@]}"; do
    read -r program example <<< "$entry"
    if [ "$(grep -cxF -- "\$ hornwall_$program --answers $example.answers" "$output")" -ne 1 ]; then
      echo "the demo does not show the run of $example once"
      sound=1
    fi
    view=" -o $example.zul.svg $example.zul"
    # the indented lines that follow the viewer's command, which may carry the band options
    # that the example's first line names
    if ! awk -v view="$view" 'index($0, "$ hornwall_view ") == 1 &&
                              substr($0, length($0) - length(view) + 1) == view { inside = 1; next }
                              inside && /^    / { if (/^    errors: 0,/) found = 1; next }
                              { inside = 0 }
                              END { exit !found }' "$output"; then
      echo "the demo does not show a summary of $example.zul that says errors: 0"
      sound=1
    fi
  done
  return $sound
}

"$run_demo" "$build" > "$work/output" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
  fail "run-demo exit status $status:"
  tail -n 20 "$work/output"
fi
shows_every_example "$work/output" > "$work/missing"
while IFS= read -r missing; do fail "$missing"; done < "$work/missing"
for entry in "${declared[@]}"; do
  read -r _ example <<< "$entry"
  if ! cmp -s "$examples/$example.zul" "$build/demo-run/$example.zul"; then
    fail "the demo's $example.zul differs from examples/$example.zul"
  fi
done
for answers in "$examples"/*.answers; do
  name=$(basename "$answers" .answers)
  grep -qE "^example [^ ]+ $name( |\$)" "$build/programs.list" ||
    fail "examples/$name.answers is no example of $build/programs.list"
done
if grep -q "severe" "$work/output"; then
  fail "a demo run failed:"
  grep "severe" "$work/output"
fi

# The check itself: an output without the last example's run and summary must fail it.
read -r program example <<< "${declared[-1]}"
grep -vxF -e "\$ hornwall_$program --answers $example.answers" \
  -e "\$ hornwall_view -o $example.zul.svg $example.zul" "$work/output" > "$work/without"
if shows_every_example "$work/without" > /dev/null; then
  fail "the check passes an output without the example $example"
fi

# A copy of the build whose program NAME (a folder name: corr, view) fails; the others are
# the real ones.
broken_build() {
  rm -rf "$work/build"
  mkdir "$work/build"
  cp "$build/programs.list" "$work/build/"
  local kind name
  while read -r kind name _; do
    if [ "$kind" = generator ] || [ "$kind" = tool ]; then
      ln -s "$build/$name" "$work/build/$name"
    fi
  done < "$build/programs.list"
  rm "$work/build/$1"
  mkdir "$work/build/$1"
  printf '#!/bin/sh\necho "broken on purpose" >&2\nexit 1\n' > "$work/build/$1/hornwall_$1"
  chmod +x "$work/build/$1/hornwall_$1"
}
read -r program _ <<< "${declared[0]}"
for name in "$program" view; do
  broken_build "$name"
  "$run_demo" "$work/build" > "$work/broken" 2>&1
  status=$?
  [ "$status" -eq 1 ] || fail "run-demo exit status $status, not 1, when hornwall_$name fails"
done
exit $failed
