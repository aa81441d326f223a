#!/usr/bin/env bash
# End-to-end tests of torvane-cli: messages, exit codes, files written.
set -u
cli=$1
top=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passed=0

check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAILED: $name"; fi
}
same() { [ "$1" = "$2" ] || { printf 'expected: %q\n     got: %q\n' "$2" "$1"; return 1; }; }

gga='$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E'
printf '%s\r\n%s\r\n' "$gga" "$gga" > "$work/track.nmea"

# analyze prints the message area's text, then type and counts.
out=$("$cli" analyze "$work/track.nmea"); rc=$?
check "analyze exit" same "$rc" 0
check "analyze text" same "$(printf '%s\n' "$out" | head -3)" "NMEA GPGGA data found. 
Select options then press START. 
Data type: GPGGA"

# convert writes beside the input and reports the count.
out=$("$cli" convert "$work/track.nmea"); rc=$?
check "convert exit" same "$rc" 0
check "convert message" same "$(printf '%s\n' "$out" | tail -2)" "2 GPGGA data sets written to file $work/track_GGA.prn.
Chose a new file for processing or exit the program."
check "table bytes" same "$(od -An -c "$work/track_GGA.prn" | tr -s ' ' | head -1)" " 0 3 6 9 3 0 . 0 0 4 7 . 3"

# An existing output is not replaced without --overwrite; nothing is touched.
printf 'keep me' > "$work/track_GGA.prn"
out=$("$cli" convert "$work/track.nmea" 2>"$work/err" </dev/null); rc=$?
check "refusal exit" same "$rc" 2
check "refusal text" grep -q "Move existing file to another directory and try again!" "$work/err"
check "refusal keeps file" same "$(cat "$work/track_GGA.prn")" "keep me"
"$cli" convert "$work/track.nmea" --overwrite >/dev/null; rc=$?
check "overwrite exit" same "$rc" 0
check "overwrite replaces" same "$(wc -l < "$work/track_GGA.prn")" 2

# analyze --summary adds the figures; preview draws a valid, renderable SVG
# beside the input, named like the table, and keeps an existing one.
out=$(LC_ALL=de_DE.UTF-8 "$cli" analyze --summary "$work/track.nmea"); rc=$?
check "summary exit" same "$rc" 0
check "summary figures" same "$(printf '%s\n' "$out" | grep -E '^(records|length_m|lat_min|alt_max):')" "records: 2
length_m: 0
lat_min: 47.390933
alt_max: 432.5"
"$cli" preview "$work/track.nmea" >/dev/null; rc=$?
check "preview exit" same "$rc" 0
check "preview well-formed" xmllint --noout "$work/track_GGA.svg"
check "preview renders" rsvg-convert -o "$work/track_GGA.png" "$work/track_GGA.svg"
"$cli" preview "$work/track.nmea" >/dev/null 2>&1 </dev/null; rc=$?
check "preview refusal" same "$rc" 2

# On a terminal the command asks; No is the default answer.
if command -v script >/dev/null; then
  printf 'keep me' > "$work/track_GGA.prn"
  printf '\n' | script -qec "'$cli' convert '$work/track.nmea'" /dev/null > "$work/out"; rc=$?
  check "terminal default is No" same "$(cat "$work/track_GGA.prn")" "keep me"
  check "terminal asks" grep -q "Output file exists! Overwrite?" "$work/out"
  printf 'y\n' | script -qec "'$cli' convert '$work/track.nmea'" /dev/null > "$work/out"; rc=$?
  check "terminal yes replaces" same "$(wc -l < "$work/track_GGA.prn")" 2
fi

# -o names the output; KML and OVL documents.
"$cli" convert "$work/track.nmea" --to kml -o "$work/walk.kml" >/dev/null; rc=$?
check "kml -o exit" same "$rc" 0
check "kml placemark follows -o" grep -q "<name>walk.kml</name>" "$work/walk.kml"
# Names with markup and Latin-1 bytes still give well-formed UTF-8 XML.
"$cli" convert "$work/track.nmea" --to kml --overwrite --kml-name $'Fish & <Chips> "\xe9t\xe9"' \
  --kml-description $'a\x01b \xc3\xa9' --kml-color blue --kml-extrude 0 --kml-tessellate 1 --kml-absolute >/dev/null
check "kml options well-formed" xmllint --noout "$work/track_GGA.kml"
check "kml escaped name" grep -q "<name>Fish &amp; &lt;Chips&gt; &quot;été&quot;</name>" "$work/track_GGA.kml"
check "kml description" grep -q "<description>ab é</description>" "$work/track_GGA.kml"
check "kml colour" grep -q "<color>ffffaa00</color>" "$work/track_GGA.kml"
check "kml flags" grep -q "<extrude> 0</extrude>" "$work/track_GGA.kml"
check "kml absolute" grep -q "<altitudeMode>absolute</altitudeMode>" "$work/track_GGA.kml"
"$cli" convert "$work/track.nmea" --to ovl --ovl-color blue --ovl-width 3 >/dev/null; rc=$?
check "ovl exit" same "$rc" 0
check "ovl colour" grep -q $'^Col=3\r$' "$work/track_GGA.ovl"
check "ovl width" grep -q $'^Size=103\r$' "$work/track_GGA.ovl"
check "ovl corrected count" grep -q $'^Punkte=2\r$' "$work/track_GGA.ovl"

# Not recognised: message, exit 1, no output.
printf 'hello\r\n' > "$work/note.txt"
out=$("$cli" convert "$work/note.txt"); rc=$?
check "unrecognised exit" same "$rc" 1
check "unrecognised message" same "$out" "Could not recognize data in selected file  $work/note.txt."
check "unrecognised no output" test ! -e "$work/note_.prn"

# Files that cannot be read or written; usage errors.
"$cli" convert "$work/missing.nmea" 2>"$work/err" >/dev/null; rc=$?
check "missing exit" same "$rc" 2
check "missing names file" grep -q "missing.nmea" "$work/err"
"$cli" convert "$work" 2>/dev/null >/dev/null; rc=$?
check "directory exit" same "$rc" 2
printf 'x' > "$work/blocker"
"$cli" convert "$work/track.nmea" -o "$work/blocker/out.prn" 2>"$work/err" >/dev/null; rc=$?
check "unwritable exit" same "$rc" 2
check "unwritable message" grep -q "Cannot write output file $work/blocker/out.prn" "$work/err"
mkdir "$work/adir"
"$cli" convert "$work/track.nmea" -o "$work/adir" 2>"$work/err" >/dev/null; rc=$?
check "output directory exit" same "$rc" 2
# (the reason after "cannot create:" is the system's, in the user's language)
check "output directory message" grep -q "^torvane-cli: Cannot write output file $work/adir: cannot create: " "$work/err"
mkfifo "$work/fifo"
timeout 20 "$cli" convert "$work/track.nmea" -o "$work/fifo" 2>"$work/err" >/dev/null; rc=$?
check "output fifo exit" same "$rc" 2
check "output fifo kept" test -p "$work/fifo"
timeout 20 "$cli" analyze "$work/fifo" 2>"$work/err" >/dev/null; rc=$?
check "input fifo refused at once" same "$rc" 2
check "input fifo message" grep -q "fifo: not a regular file" "$work/err"
for i in $(seq 2000); do printf '%s\r\n' "$gga"; done > "$work/long.nmea"
printf 'previous' > "$work/long_GGA.prn"
(ulimit -f 32; trap '' XFSZ; "$cli" convert "$work/long.nmea" --overwrite) 2>"$work/err" >/dev/null; rc=$?
check "disk full exit" same "$rc" 2
check "disk full message" grep -q "Cannot write output file $work/long_GGA.prn: cannot write: " "$work/err"
check "disk full keeps previous" same "$(cat "$work/long_GGA.prn")" "previous"
check "disk full leaves no temporary file" same "$(ls "$work" | grep -c tmp-)" 0
printf '<gpx>\n<trkpt lat="1" lon="2">\n</trkpt>\n<trkpt lat="1" lon="2">\n</trkpt>\n</gpx>\n' > "$work/hike.gpx"
mkdir "$work/hike_CRLF.gpx"
"$cli" convert "$work/hike.gpx" 2>"$work/err" >/dev/null; rc=$?
check "gpx copy exit" same "$rc" 2
check "gpx copy message" grep -q "Cannot write GPX copy $work/hike_CRLF.gpx: cannot create: " "$work/err"
for args in "" "convert" "convert --to svg x" "convert --altitude-add 1 --altitude-set 2 x" \
            "convert --decimal-comma --to kml x" "frobnicate x" "convert -o a b c"; do
  "$cli" $args >/dev/null 2>&1; rc=$?
  if [ -z "$args" ]; then check "no arguments shows help" same "$rc" 0; else check "usage: $args" same "$rc" 2; fi
done

# Several files: each as by a fresh program; the worst result counts.
printf '%s\r\n' "$gga" > "$work/one.nmea"
"$cli" convert "$work/track.nmea" "$work/one.nmea" "$work/note.txt" --overwrite >/dev/null; rc=$?
check "batch exit" same "$rc" 1

# The real logs of the acceptance data convert without a crash.
shared="$top/../shared/testdata/nmea"
if [ -d "$shared" ]; then
  for f in "$shared"/*; do
    cp "$f" "$work/log.nmea"
    "$cli" convert "$work/log.nmea" --overwrite >/dev/null 2>&1; rc=$?
    check "testdata $(basename "$f")" test "$rc" -le 1
  done
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
