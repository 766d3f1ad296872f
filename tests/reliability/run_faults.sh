#!/usr/bin/env bash
# Runs the real programs under the faults that only a process meets: a file-size limit,
# a full device, a small device that a run fills, an object file locked by another
# process, answers redirected from the object file itself, an object file that is
# standard output, endless and huge answer lines, names as long as a folder takes, and
# signals at a question and during a long write; and the object file's fate after a
# failed or a whole run, as a plain file, a link, a file with two links, in a folder
# without write permission. Each case states the first error line, the exit status and
# what the object file must hold afterwards.
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
wait_for_prompt() {  # waits until the transcript FILE shows the first question after the name
  for _ in $(seq 200); do
    grep -q 'Enter horn aperture' "$1" 2> /dev/null && return 0
    sleep 0.05
  done
  return 1
}
long_name() {  # a file name of $1 bytes, ending in .zul
  printf 'n%.0s' $(seq $(($1 - 4)))
  printf '.zul'
}
typed_then_signal() {  # types a spline wall's first answers, then sends SIGNAL at a question
  mkfifo slow
  env --default-signal "$spline" < slow > first.out 2>&1 &
  local pid=$!
  exec 3> slow
  printf '0\nout.zul\n' >&3
  wait_for_prompt first.out || return 99
  kill -s "$1" "$pid"
  wait "$pid"
  local status=$?
  exec 3>&-
  return $status
}
signal_while_writing() {  # sends SIGNAL while a spline wall of 20 million points is written
  answers 20000000 > a.txt
  env --default-signal "$spline" a.txt <<< $'1\n' > /dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 200); do
    [ -n "$(find . -name '.out.zul.*' -size +1M)" ] && break
    sleep 0.05
  done
  kill -s "$1" "$pid"
  wait "$pid"
}
small_device() {  # runs a spline wall of $2 points on a tmpfs of 8 KB and $1 inodes
  mkdir small
  unshare -rm bash -c "mount -t tmpfs -o size=8k,nr_inodes=$1 tmpfs small && cd small &&
    echo old > out.zul && answers $2 > ../a.txt && run \$spline ../a.txt; status=\$?;
    cp out.zul ..; ls -A > ../device; exit \$status"
}

# name # command (run in a fresh folder holding out.zul = "old") # first stderr line #
# status # what must hold afterwards, one or more of: old (out.zul unchanged), typed (the
# typed answers kept), whole (new, ending with a whole line), complete (the whole wall),
# absent (no out.zul), mode=NNN (out.zul's permission bits), link (out.zul is still a
# symbolic link), shared (second.zul is still a link of out.zul), same (out.zul is the
# file it was, written in place), user (skipped as root, whom permissions do not bind),
# device (the small device holds out.zul alone), mount (skipped where no user namespace
# may mount a file system), transcript (the transcript holds the questions).
# After every case no hidden file (a run's temporary) may be left in the folder.
cases=(
  "file-size limit # answers 200000 > a.txt; ulimit -f 64; run \$spline a.txt # severe (38): error during write, unit 43, file out.zul # 1 # old"
  "file-size limit, a file with two links # ln out.zul second.zul; answers 200000 > a.txt; ulimit -f 64; run \$spline a.txt # severe (38): error during write, unit 43, file out.zul # 1 # whole shared same"
  "file-size limit, a folder without write permission # answers 200000 > a.txt; chmod a-w .; ulimit -f 64; run \$spline a.txt # severe (38): error during write, unit 43, file out.zul # 1 # whole same user"
  "file-size limit on the console # answers 9 | sed \"1s,.*,/dev\$(printf '/%.0s' {1..1500})null,\" > a.txt; ulimit -f 1; run \$spline a.txt > transcript # severe (38): error during write, unit 6, file stdout # 1 # old"
  "full device # answers 9 | sed 1s,.*,/dev/full, > a.txt; run \$spline a.txt # severe (38): error during write, unit 43, file /dev/full # 1 # old"
  "locked by another run # answers 9 > a.txt; flock out.zul \$spline a.txt <<< \$'1\\n' # severe (30): open failure, unit 43, file out.zul # 1 # old"
  "answers redirected from the object file # { echo 0; answers 9; } > out.zul; cp out.zul typed; \$spline < out.zul # severe (30): open failure, unit 43, file out.zul # 1 # typed"
  "endless name line # run \$spline /dev/zero # severe (43): file name specification error, unit 43, file  # 1 # old"
  "endless number # run \$thickcorr /dev/zero # severe (59): list-directed I/O syntax error, unit 50, file /dev/zero # 1 # old"
  "huge comment # run \$spline <(huge_comment 64) # # 0 # complete"
  "huge number # huge_number 16 > a.txt; run \$spline a.txt # severe (64): input conversion error, unit 50, file a.txt # 1 # old"
  "a failed run keeps a complete file # answers 9 > a.txt; run \$spline a.txt; chmod 640 out.zul; answers 9 | sed 6s/100/1OO/ > b.txt; run \$spline b.txt # severe (59): list-directed I/O syntax error, unit 50, file b.txt # 1 # complete mode=640"
  "a failed run on a new name # rm out.zul; answers 9 | sed 6s/100/1OO/ > a.txt; run \$spline a.txt # severe (59): list-directed I/O syntax error, unit 50, file a.txt # 1 # absent"
  "a whole run keeps the mode # chmod 604 out.zul; answers 9 > a.txt; run \$spline a.txt # # 0 # complete mode=604"
  "a whole run on a new name # rm out.zul; answers 9 > a.txt; umask 027; run \$spline a.txt # # 0 # complete mode=640"
  "a symbolic link # mkdir real; mv out.zul real/; ln -s real/out.zul out.zul; answers 9 > a.txt; run \$spline a.txt # # 0 # complete link"
  "a failed run through a symbolic link # mkdir real; mv out.zul real/; ln -s real/out.zul out.zul; answers 9 | sed 6s/100/1OO/ > a.txt; run \$spline a.txt # severe (59): list-directed I/O syntax error, unit 50, file a.txt # 1 # old link"
  "a file with two links # ln out.zul second.zul; answers 9 > a.txt; run \$spline a.txt # # 0 # complete shared same"
  "a folder without write permission # answers 9 > a.txt; chmod a-w .; run \$spline a.txt # # 0 # complete same user"
  "a name of 255 bytes, a failed run # n=\$(long_name 255); mv out.zul \$n; answers 9 | sed \"1s/.*/\$n/; 6s/100/1OO/\" > a.txt; run \$spline a.txt; status=\$?; mv \$n out.zul; exit \$status # severe (59): list-directed I/O syntax error, unit 50, file a.txt # 1 # old same"
  "a name of 248 bytes, a failed run # n=\$(long_name 248); mv out.zul \$n; answers 9 | sed \"1s/.*/\$n/; 6s/100/1OO/\" > a.txt; run \$spline a.txt; status=\$?; mv \$n out.zul; exit \$status # severe (59): list-directed I/O syntax error, unit 50, file a.txt # 1 # old same"
  "a name of 255 bytes, a whole run # n=\$(long_name 255); mv out.zul \$n; answers 9 | sed \"1s/.*/\$n/\" > a.txt; run \$spline a.txt; status=\$?; mv \$n out.zul; exit \$status # # 0 # complete"
  "a small device that the new file fills # small_device 3 2000 # severe (38): error during write, unit 43, file out.zul # 1 # old device mount"
  "a small device without an inode for the new file # small_device 2 9 # severe (30): open failure, unit 43, file out.zul # 1 # old device mount"
  "the object file is standard output # answers 9 | sed 1s,.*,/dev/stdout, > a.txt; run \$spline a.txt > transcript # severe (30): open failure, unit 43, file /dev/stdout # 1 # old transcript"
  "SIGINT at a typed question on a new name # rm out.zul; typed_then_signal INT # # 130 # absent"
  "SIGHUP at a typed question # typed_then_signal HUP # # 129 # old"
  "SIGTERM while a long wall is written # signal_while_writing TERM # # 143 # old"
  "SIGPIPE from another process while a long wall is written # signal_while_writing PIPE # # 141 # old"
  "a new name held by another run # rm out.zul; mkfifo slow; { run \$spline slow > first.out 2>&1 & }; exec 3> slow; echo out.zul >&3; wait_for_prompt first.out; answers 9 > a.txt; run \$spline a.txt; status=\$?; exec 3>&-; wait; exit \$status # severe (30): open failure, unit 43, file out.zul # 1 # absent"
)

answers 9 > reference.answers
run "$spline" reference.answers > /dev/null 2>&1
complete_wall=$(cat out.zul)
rm -f out.zul reference.answers

failed=0
for entry in "${cases[@]}"; do
  IFS='#' read -r name command expected status checks <<< "$entry"
  name=${name% } command=${command# } expected=${expected# } status=${status// /}
  expected=${expected% }
  if [[ " $checks " == *" user "* ]] && [ "$(id -u)" -eq 0 ]; then
    echo "skip   $name (permissions do not bind root)"
    continue
  fi
  if [[ " $checks " == *" mount "* ]] && ! unshare -rm true 2> /dev/null; then
    echo "skip   $name (no user namespace may mount here)"
    continue
  fi
  chmod -R u+w run 2> /dev/null
  rm -rf run && mkdir run && cd run || exit 1
  printf 'old\n' > out.zul
  inode=$(stat -c %i out.zul)
  export -f answers huge_comment huge_number run wait_for_prompt long_name typed_then_signal \
    signal_while_writing small_device
  /usr/bin/time -f '%M' -o ../rss env spline="$spline" thickcorr="$thickcorr" \
    bash -c "$command" > /dev/null 2> ../stderr
  actual_status=$?
  chmod u+w .
  first_line=$(head -n 1 ../stderr | tr -d '\0')
  rss_kb=$(tail -n 1 ../rss)
  problem=""
  [ "$actual_status" = "$status" ] || problem+=" status $actual_status, not $status;"
  [[ "$first_line" == "$expected"* ]] || problem+=" first error line '${first_line:0:120}';"
  for check in $checks; do
    case $check in
      old) [ "$(cat out.zul)" = old ] || problem+=" the object file changed;" ;;
      typed) cmp -s out.zul typed || problem+=" the typed answers changed;" ;;
      complete) [ "$(cat out.zul)" = "$complete_wall" ] || problem+=" the wall is not complete;" ;;
      whole) if [ ! -s out.zul ] || [ "$(tail -c 1 out.zul | od -An -c | tr -d ' ')" != '\n' ] ||
                [ "$(head -c 4 out.zul)" = old ]; then problem+=" no whole last line;"; fi ;;
      absent) [ ! -e out.zul ] || problem+=" out.zul exists;" ;;
      mode=*) mode=$(stat -L -c %a out.zul)
              [ "$mode" = "${check#mode=}" ] || problem+=" mode $mode, not ${check#mode=};" ;;
      link) [ -L out.zul ] || problem+=" out.zul is no longer a link;" ;;
      shared) [ out.zul -ef second.zul ] || problem+=" second.zul is no longer out.zul;" ;;
      same) [ "$(stat -c %i out.zul)" = "$inode" ] || problem+=" out.zul was replaced;" ;;
      device) [ "$(cat device)" = out.zul ] || problem+=" the device holds $(cat device);" ;;
      transcript) grep -q 'Enter zul file addition' transcript ||
                    problem+=" the transcript is lost;" ;;
      user | mount) ;;
      *) problem+=" unknown check $check;" ;;
    esac
  done
  left=$(find . -name '.*' ! -name . | tr '\n' ' ')
  [ -z "$left" ] || problem+=" left behind: $left;"
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
