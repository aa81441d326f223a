#!/usr/bin/env bash
# Many small logs in one convert call: converted several at once (as many as
# the processors this test may use) and one after another (on one
# processor), the outputs, messages and exit status are the same.
#   batch_test.sh CLI LOGGEN [FILES]
set -u
cli=$(realpath "$1") loggen=$(realpath "$2") files=${3:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/logs"
kinds=(nmea-mix gga rmc igc gpx)
for i in $(seq "$files"); do
  kind=${kinds[$((i % ${#kinds[@]}))]}
  case $kind in igc) ext=igc ;; gpx) ext=gpx ;; *) ext=nmea ;; esac
  "$loggen" "$kind" $((20 + i % 50)) > "$work/logs/log$i.$ext"
done
printf 'nothing to see here\r\n' > "$work/logs/notes.txt"      # not recognised: exit 1
mkdir "$work/logs/folder.nmea"                                  # not readable: exit 2
list=("$work"/logs/*)

run() {  # run NAME [taskset ...]: converts every log into a copy of the folder, twice
  local name=$1; shift
  cp -r "$work/logs" "$work/$name"
  local args=()
  for f in "${list[@]}"; do args+=("$work/$name/${f##*/}"); done
  # The second call replaces every output the first wrote.
  for _ in 1 2; do
    "$@" "$cli" convert "${args[@]}" --to gpx --overwrite >> "$work/$name.out" 2>> "$work/$name.err"
    echo $? >> "$work/$name.status"
  done
  sed -i "s|$work/$name|DIR|g" "$work/$name.out" "$work/$name.err"
}
run one taskset -c 0
run many

failed=0
check() { if "$@"; then :; else echo "FAILED: $*"; failed=1; fi; }
check cmp -s "$work/one.status" "$work/many.status"
check cmp -s "$work/one.out" "$work/many.out"
check cmp -s "$work/one.err" "$work/many.err"
check diff -r "$work/one" "$work/many"
check [ "$(cat "$work/many.status")" = "$(printf '2\n2')" ]
check [ "$(grep -c 'data sets written' "$work/many.out")" = $((2 * files)) ]
[ "$failed" = 0 ] && echo "batch of $files files: the same at once as one after another"
exit "$failed"
