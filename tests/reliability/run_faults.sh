#!/usr/bin/env bash
# Runs the real programs under the faults that only a process meets: a file-size limit,
# a full device, an object file locked by another process, answers redirected from the
# object file itself, endless and huge answer lines. Each case states the first error
# line, the exit status and what the object file must hold afterwards.
#
# usage: run_faults.sh SPLINE THICKCORR MAX_RSS_KB   (MAX_RSS_KB 0: no memory check)
set -u
spline=$(realpath "$1")
thickcorr=$(realpath "$2")
max_rss_kb=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

answers() {  # the answers of a spline wall with NPTS points, named out.zul
  printf 'out.zul\n10\n3\n0\n20\n100\n3 %s\n2\n10\n40\n' "$1"
}
huge_comment() {  # a first answer followed by a comment of $1 MiB, then the rest
  printf 'out.zul\n10   '
  head -c "$(($1 << 20))" /dev/zero | tr '\0' 'x'
  printf '\n3\n0\n20\n100\n3 9\n2\n10\n40\n'
}
huge_number() {  # a first answer of $1 MiB of digits
  printf 'out.zul\n'
  head -c "$(($1 << 20))" /dev/zero | tr '\0' '1'
  printf '\n'
}
run() {  # runs PROGRAM on the answers file ANSWERS, as typed on the console
  "$1" "$2" <<< $'1\n'
}

# name # command (run in a fresh folder holding out.zul = "old") # first stderr line #
# status # the object file afterwards: old (unchanged), typed (the typed answers kept),
# whole (new, ending with a whole line), complete (the whole wall)
cases=(
  "file-size limit # answers 200000 > a.txt; ulimit -f 64; run \$spline a.txt # severe (38): error during write, unit 43, file out.zul # 1 # whole"
  "file-size limit on the console # answers 9 | sed \"1s,.*,/dev\$(printf '/%.0s' {1..1500})null,\" > a.txt; ulimit -f 1; run \$spline a.txt > transcript # severe (38): error during write, unit 6, file stdout # 1 # old"
  "full device # answers 9 | sed 1s,.*,/dev/full, > a.txt; run \$spline a.txt # severe (38): error during write, unit 43, file /dev/full # 1 # old"
  "locked by another run # answers 9 > a.txt; flock out.zul \$spline a.txt <<< \$'1\\n' # severe (30): open failure, unit 43, file out.zul # 1 # old"
  "answers redirected from the object file # { echo 0; answers 9; } > out.zul; cp out.zul typed; \$spline < out.zul # severe (30): open failure, unit 43, file out.zul # 1 # typed"
  "endless name line # run \$spline /dev/zero # severe (43): file name specification error, unit 43, file  # 1 # old"
  "endless number # run \$thickcorr /dev/zero # severe (59): list-directed I/O syntax error, unit 50, file /dev/zero # 1 # old"
  "huge comment # run \$spline <(huge_comment 64) # # 0 # complete"
  "huge number # huge_number 16 > a.txt; run \$spline a.txt # severe (64): input conversion error, unit 50, file a.txt # 1 # old"
)

answers 9 > reference.answers
run "$spline" reference.answers > /dev/null 2>&1
complete_wall=$(cat out.zul)
rm -f out.zul reference.answers

failed=0
for entry in "${cases[@]}"; do
  IFS='#' read -r name command expected status check <<< "$entry"
  name=${name% } command=${command# } expected=${expected# } status=${status// /} check=${check# }
  expected=${expected% }
  rm -rf run && mkdir run && cd run || exit 1
  printf 'old\n' > out.zul
  export -f answers huge_comment huge_number run
  /usr/bin/time -f '%M' -o ../rss env spline="$spline" thickcorr="$thickcorr" \
    bash -c "$command" > /dev/null 2> ../stderr
  actual_status=$?
  first_line=$(head -n 1 ../stderr | tr -d '\0')
  rss_kb=$(tail -n 1 ../rss)
  problem=""
  [ "$actual_status" = "$status" ] || problem+=" status $actual_status, not $status;"
  [[ "$first_line" == "$expected"* ]] || problem+=" first error line '${first_line:0:120}';"
  case $check in
    old) [ "$(cat out.zul)" = old ] || problem+=" the object file changed;" ;;
    typed) cmp -s out.zul typed || problem+=" the typed answers changed;" ;;
    complete) [ "$(cat out.zul)" = "$complete_wall" ] || problem+=" the wall is not complete;" ;;
    whole) if [ ! -s out.zul ] || [ "$(tail -c 1 out.zul | od -An -c | tr -d ' ')" != '\n' ] ||
              [ "$(head -c 4 out.zul)" = old ]; then problem+=" no whole last line;"; fi ;;
  esac
  if [ "$max_rss_kb" -gt 0 ] && [ "$rss_kb" -gt "$max_rss_kb" ]; then
    problem+=" peak memory ${rss_kb} kB;"
  fi
  if [ -n "$problem" ]; then
    echo "FAILED $name:$problem"
    failed=1
  else
    echo "ok     $name (peak memory ${rss_kb} kB)"
  fi
  cd ..
done
exit $failed
