#!/usr/bin/env bash
# Runs the real hornwall_view on broken object files, on outputs that clash or that
# cannot be written (a missing folder, a full device, a full console, standard output by
# another name, a file without write permission or with a second link), on a run that a
# signal ends, and on hostile files of about a megabyte that a careless reader would take
# quadratic time or unbounded messages over (or a careless margin search, many windows); and hornwall_design's answers file on the
# same outputs. Each case states the first line of stderr, the exit status and what must
# hold afterwards; every run's peak memory is bounded.
#
# usage: run_view_faults.sh HORNWALL_VIEW HORNWALL_DESIGN SOURCE_DIR MAX_RSS_KB
#        (MAX_RSS_KB 0: no memory check)
set -u
view=$(realpath "$1")
design=$(realpath "$2")
source_dir=$(realpath "$3")
max_rss_kb=$4
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1
export LC_ALL=C

# The object files of the cases, written into the case's folder before it runs.
sound_wall() {  # a profile of two nodes
  printf 'w   circular_symmetric_horn_exterior\n(\n  length_unit      : mm,\n'
  printf '  nodes             : table\n    (\n        0.   10.\n        -5.   12.\n    )\n)\n'
}
profile_head() {  # the head of profile $1, up to its first node row
  printf '%s   circular_symmetric_horn_exterior\n(\n  length_unit      : mm,\n' "$1"
  printf '  nodes             : table\n    (\n'
}
cut_inside_a_number() {  # thickcorr-single.zul, cut after 5.9 of its last row's 5.9000E+01
  local example=$source_dir/examples/thickcorr-single.zul
  local last_row
  last_row=$(grep -n '5\.9000E+01$' "$example" | tail -n 1 | cut -d: -f1)
  head -n $((last_row - 1)) "$example"
  sed -n "${last_row}p" "$example" | sed 's/5\.9000E+01$/5.9/' | tr -d '\n'
}
many_undefined() {  # one value of 85 000 references to names that no variable defines
  printf 'A  real_variable\n(\n  value            : "0'
  seq 0 84999 | awk '{ printf "+REF(U%d)", $1 }'
  printf '"\n)\n\n'
  sound_wall
}
long_chain() {  # V0 references V1, ... V15998 references V15999, which references them all
  local last=15999
  seq 0 $((last - 1)) |
    awk '{ printf "V%d  real_variable\n(\n  value : \"REF(V%d)\"\n)\n\n", $1, $1 + 1 }'
  printf 'V%d  real_variable\n(\n  value : "0' "$last"
  seq 0 $((last - 1)) | awk '{ printf "+REF(V%d)", $1 }'
  printf '"\n)\n\n'
  sound_wall
}
long_name() {  # a profile named by 100 000 bytes whose 3 000 rows reference nothing defined
  profile_head "$(head -c 100000 /dev/zero | tr '\0' n)"
  seq 3000 | awk '{ printf "        \"REF(Q)\"   1.\n" }'
  printf '    )\n)\n'
}
zigzag() {  # 60 000 nodes that zigzag between z = 0 and z = -1, every segment crossing most
  profile_head w
  seq 0 59999 |
    awk '{ if ($1 % 2 == 0) printf "  0. %.4f\n", 10 + $1 * 0.001;
           else printf "  -1. %.4f\n", 100 - $1 * 0.001 }'
  printf '    )\n)\n'
}
long_wall() {  # a profile of 400 000 nodes, which takes a while to check
  profile_head w
  seq 0 399999 | awk '{ printf "  -%d. 10.\n", $1 }'
  printf '    )\n)\n'
}
signal_while_checking() {  # sends SIGNAL once the viewer's hidden picture is there
  env --default-signal "$view" -q long.zul &
  local pid=$!
  for _ in $(seq 500); do
    [ -n "$(find . -name '.long.zul.svg.*')" ] && break
    sleep 0.01
  done
  kill -s "$1" "$pid"
  wait "$pid"
}
deep_fins() {  # 16 000 fins of distinct heights from 100 to 160 mm: each opens many windows
  profile_head w
  printf '        0.   50.\n'
  seq 0 15999 | awk '{ z = -(1 + 2 * $1); h = 150 + 60 * $1 / 16000;
    printf "  %d. 50.\n  %d. %.6f\n  %.1f %.6f\n  %.1f 50.\n", z, z, h, z - 0.5, h, z - 0.5 }'
  printf '        -32002.   50.\n    )\n)\n'
}
corr_design() {  # designs a corr wall for 10-12 GHz into the answers file $1
  "$design" corr --band 10:12 --aperture-radius 60 --final-radius 20 --length 150 -o "$1"
}

# name # setup (in a fresh folder holding s.zul, a sound object file) # command (timed)
# # first stderr line (a glob pattern) # status # what must hold afterwards, one or more of:
# files=A,B,... (the folder holds exactly these, hidden ones included: no temporary is
# left), old=FILE (FILE still holds "old picture"), link=FILE (FILE is still a symbolic
# link), same=A,B (A and B are still one file), mode=FILE,NNN (FILE's permission bits),
# seconds=N (the run took less than N seconds), bounded (less than 64 KiB of stderr),
# notes=N (N note lines of findings not shown), note=WORD (a note ends with WORD), user
# (skipped as root, whom permissions do not bind).
cases=(
  "a file cut inside a number # cut_inside_a_number > cut.zul # \$view -q cut.zul # cut.zul:146: error: file ends inside node 126 of 'horn_exterior' # 1 # files=cut.zul,cut.zul.svg,s.zul notes=0"
  "an unclosed quote at the end # { cat s.zul; printf '\"garbage'; } > q.zul # \$view -q q.zul # q.zul:333: error: expected the name of an object, found an unclosed quote # 1 # files=q.zul,q.zul.svg,s.zul"
  "a file without profile # printf 'A  real_variable\n(\n  value : 1\n)\n' > v.zul # \$view -q v.zul # v.zul:1: error: the file holds no profile # 1 # files=s.zul,v.zul,v.zul.svg"
  "picture and table named two ways # : # \$view ./s.zul --table s.zul.svg # hornwall_view: the picture and the table cannot both go to 's.zul.svg' # 2 # files=s.zul"
  "a picture that is no SVG # : # \$view s.zul -o x.png # usage: hornwall_view \[OPTIONS\] FILE # 2 # files=s.zul"
  "a table in a missing folder # printf 'old picture\n' > old.svg # \$view -q -o old.svg --table missing/t.csv s.zul # hornwall_view: cannot write 'missing/t.csv': No such file or directory # 2 # files=old.svg,s.zul old=old.svg"
  "a table in a missing folder, the picture in a folder without write permission # mkdir pics; printf 'old picture\n' > pics/old.svg; chmod a-w pics # \$view -q -o pics/old.svg --table missing/t.csv s.zul # hornwall_view: cannot write 'missing/t.csv': No such file or directory # 2 # files=pics,s.zul old=pics/old.svg user"
  "a picture on a full device # ln -s /dev/full pic.svg # \$view -q -o pic.svg --table t.csv s.zul # hornwall_view: cannot write 'pic.svg': No space left on device # 2 # files=pic.svg,s.zul link=pic.svg"
  "a table on a full device # printf 'old picture\n' > old.svg # \$view -q -o old.svg --table /dev/full s.zul # hornwall_view: cannot write '/dev/full': No space left on device # 2 # files=old.svg,s.zul old=old.svg"
  "the summary to a full console # printf 'old picture\n' > old.svg # \$view -o old.svg s.zul > /dev/full # hornwall_view: cannot write to standard output # 2 # files=old.svg,s.zul old=old.svg"
  "a table to a full console # printf 'old picture\n' > old.svg # \$view -q -o old.svg --table - s.zul > /dev/full # hornwall_view: cannot write to standard output # 2 # files=old.svg,s.zul old=old.svg"
  "a report on a full device # printf 'old picture\n' > old.svg # \$view -q -o old.svg --json /dev/full s.zul # hornwall_view: cannot write '/dev/full': No space left on device # 2 # files=old.svg,s.zul old=old.svg"
  "a drawing on a full device # printf 'old picture\n' > old.svg; ln -s /dev/full d.dxf # \$view -q -o old.svg --dxf d.dxf s.zul # hornwall_view: cannot write 'd.dxf': No space left on device # 2 # files=d.dxf,old.svg,s.zul old=old.svg link=d.dxf"
  "a drawing to a full console # printf 'old picture\n' > old.svg # \$view -q -o old.svg --dxf - s.zul > /dev/full # hornwall_view: cannot write to standard output # 2 # files=old.svg,s.zul old=old.svg"
  "a report to a full console # printf 'old picture\n' > old.svg # \$view -q -o old.svg --json - s.zul > /dev/full # hornwall_view: cannot write to standard output # 2 # files=old.svg,s.zul old=old.svg"
  "the report to standard output by name # : # \$view --json /dev/stdout s.zul > out.txt # hornwall_view: the report cannot go to '/dev/stdout', which is standard output: give --json - # 2 # files=out.txt,s.zul"
  "the corrugations to standard output by name # : # \$view --corrugations /dev/stdout s.zul > out.txt # hornwall_view: the corrugations cannot go to '/dev/stdout', which is standard output: give --corrugations - # 2 # files=out.txt,s.zul"
  "the picture to standard output through a link # ln -s /dev/stdout pic.svg # \$view -o pic.svg s.zul > out.txt # hornwall_view: the picture cannot go to 'pic.svg', which is standard output # 2 # files=out.txt,pic.svg,s.zul"
  "a picture without write permission # printf 'old picture\n' > old.svg; chmod a-w old.svg # \$view -q -o old.svg s.zul # hornwall_view: cannot write 'old.svg': Permission denied # 2 # files=old.svg,s.zul old=old.svg user"
  "a picture with a second link # printf 'old picture\n' > old.svg; ln old.svg other.svg # \$view -q -o old.svg s.zul # # 0 # files=old.svg,other.svg,s.zul same=old.svg,other.svg"
  "a picture of 0640 # printf 'old picture\n' > old.svg; chmod 640 old.svg # \$view -q -o old.svg s.zul # # 0 # files=old.svg,s.zul mode=old.svg,640"
  "SIGTERM while the wall is checked # long_wall > long.zul # signal_while_checking TERM # # 143 # files=long.zul,s.zul"
  "SIGINT while the wall is checked # long_wall > long.zul # signal_while_checking INT # # 130 # files=long.zul,s.zul"
  "the design's report to a full console # printf 'old picture\n' > a.answers # corr_design a.answers > /dev/full # hornwall_design: cannot write to standard output # 2 # files=a.answers,s.zul old=a.answers"
  "the design's answers to standard output by name # : # corr_design /dev/stdout > out.txt # hornwall_design: the answers cannot go to '/dev/stdout', which is standard output: give -o - # 2 # files=out.txt,s.zul"
  "design answers without write permission # printf 'old picture\n' > a.answers; chmod a-w a.answers # corr_design a.answers # hornwall_design: cannot write 'a.answers': Permission denied # 2 # files=a.answers,s.zul old=a.answers user"
  "design answers with a second link # printf 'old picture\n' > a.answers; ln a.answers b.answers # corr_design a.answers # # 0 # files=a.answers,b.answers,s.zul same=a.answers,b.answers"
  "many undefined references # many_undefined > u.zul # \$view -q u.zul # u.zul:1: error: reference to undefined variable 'U0' in variable 'A' # 1 # files=s.zul,u.zul,u.zul.svg seconds=5 bounded notes=1 note=variable"
  "a chain closed by its last member # long_chain > c.zul # \$view -q c.zul # c.zul:1: error: variables 'V0', 'V1', 'V2', 'V3', 'V4' and 15995 more reference each other in a cycle # 1 # files=c.zul,c.zul.svg,s.zul seconds=5 bounded notes=0"
  "a long profile name on failing rows # long_name > n.zul # \$view -q n.zul # n.zul:6: error: reference to undefined variable 'Q' in z of node 1 of 'nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn...' # 1 # files=n.zul,n.zul.svg,s.zul seconds=5 bounded notes=1 note=variable"
  "deep fins of distinct heights against two bands # deep_fins > d.zul # \$view -q --band 10:12 --band 17:20 --json d.json d.zul # # 0 # files=d.json,d.zul,d.zul.svg,s.zul seconds=5 bounded"
  "a zigzag wall crossing itself # zigzag > z.zul # \$view -q z.zul # z.zul:8: warning: node 3 of 'w' runs back towards the aperture: z rises from -1 to 0 # 1 # files=s.zul,z.zul,z.zul.svg seconds=5 bounded notes=2 note=itself note=aperture"
)

export -f sound_wall profile_head cut_inside_a_number many_undefined long_chain long_name zigzag \
  long_wall signal_while_checking corr_design deep_fins
export source_dir view design
failed=0
for entry in "${cases[@]}"; do
  IFS='#' read -r name setup command expected status checks <<< "$entry"
  name=${name% } setup=${setup# } command=${command# } expected=${expected# } status=${status// /}
  expected=${expected% }
  if [[ " $checks " == *" user "* ]] && [ "$(id -u)" -eq 0 ]; then
    echo "skip   $name (permissions do not bind root)"
    continue
  fi
  chmod -R u+w run 2> /dev/null
  rm -rf run && mkdir run && cd run || exit 1
  cp "$source_dir/examples/spline.zul" s.zul
  bash -c "$setup"
  /usr/bin/time -f '%e %M' -o ../cost env view="$view" bash -c "$command" > /dev/null 2> ../stderr
  actual_status=$?
  first_line=$(head -n 1 ../stderr)
  read -r seconds rss_kb < <(tail -n 1 ../cost)
  problem=""
  [ "$actual_status" = "$status" ] || problem+=" status $actual_status, not $status;"
  # shellcheck disable=SC2053  # the expected line is a pattern
  [[ "$first_line" == $expected ]] || problem+=" first error line '${first_line:0:160}';"
  for check in $checks; do
    case $check in
      files=*) listing=$(ls -A | paste -sd, -)
               [ "$listing" = "${check#files=}" ] || problem+=" the folder holds $listing;" ;;
      old=*) [ -f "${check#old=}" ] && [ ! -L "${check#old=}" ] &&
               [ "$(cat "${check#old=}")" = "old picture" ] || problem+=" ${check#old=} changed;" ;;
      link=*) [ -L "${check#link=}" ] || problem+=" ${check#link=} is no longer a link;" ;;
      same=*) IFS=, read -r one other <<< "${check#same=}"
              [ "$one" -ef "$other" ] || problem+=" $one and $other are no longer one file;" ;;
      mode=*) IFS=, read -r file mode <<< "${check#mode=}"
              [ "$(stat -c %a "$file")" = "$mode" ] || problem+=" $file is $(stat -c %a "$file");" ;;
      seconds=*) awk -v s="$seconds" -v most="${check#seconds=}" 'BEGIN { exit !(s < most) }' ||
                   problem+=" took ${seconds} s;" ;;
      bounded) size=$(wc -c < ../stderr)
               [ "$size" -lt 65536 ] || problem+=" ${size} bytes of messages;" ;;
      notes=*) notes=$(grep -c '^[^ ]*: note: ' ../stderr)
               [ "$notes" = "${check#notes=}" ] || problem+=" ${notes} notes;" ;;
      note=*) grep -q "^[^ ]*: note: .* ${check#note=}\$" ../stderr ||
                problem+=" no note ending in '${check#note=}';" ;;
      user) ;;
      *) problem+=" unknown check $check;" ;;
    esac
  done
  if [ "$max_rss_kb" -gt 0 ] && [ "$rss_kb" -gt "$max_rss_kb" ]; then
    problem+=" peak memory ${rss_kb} kB;"
  fi
  if [ -n "$problem" ]; then
    echo "FAILED $name:$problem"
    failed=1
  else
    echo "ok     $name (peak memory ${rss_kb} kB, ${seconds} s)"
  fi
  cd ..
done
exit $failed
