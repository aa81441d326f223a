#!/usr/bin/env bash
# End-to-end tests of torvane-cli: messages, exit codes, files written.
set -u
cli=$1
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
check "preview title" grep -q ">$work/track.nmea</text>" "$work/track_GGA.svg"
# A GPX log's picture is titled with the log as given, not with its CR LF copy.
printf '<gpx>\n<trkpt lat="1" lon="2">\n</trkpt>\n<trkpt lat="1" lon="2">\n</trkpt>\n</gpx>\n' > "$work/walk.gpx"
"$cli" preview "$work/walk.gpx" >/dev/null
check "gpx preview title" same "$(grep -c -e ">$work/walk.gpx</text>" -e "<title>$work/walk.gpx</title>" \
  "$work/walk_CRLF_GXT.svg")" 2

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

# No position to draw: preview writes nothing and exits 1, as convert does.
zero='$GPGGA,101530.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E'
printf '%s\r\n%s\r\n' "$zero" "$zero" > "$work/zero.nmea"
out=$("$cli" preview "$work/zero.nmea"); rc=$?
check "preview nothing to draw exit" same "$rc" 1
check "preview nothing to draw message" same "$(printf '%s\n' "$out" | tail -1)" "No position to draw: no preview written."
check "preview nothing to draw no file" test ! -e "$work/zero_GGA.svg"
"$cli" convert "$work/zero.nmea" >/dev/null; rc=$?
check "convert nothing written exit" same "$rc" 1
# An empty output name is a usage error before any work.
for cmd in convert preview; do
  "$cli" $cmd "$work/zero.nmea" -o "" >"$work/out" 2>"$work/err"; rc=$?
  check "$cmd empty -o exit" same "$rc" 2
  check "$cmd empty -o message" grep -q "^torvane-cli: -o takes a file name, not an empty one" "$work/err"
  check "$cmd empty -o no work" same "$(cat "$work/out")" ""
done

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
check "disk full leaves no temporary file" same "$(ls -A "$work" | grep -c -e tmp- -e '^\.tv')" 0
printf '<gpx>\n<trkpt lat="1" lon="2">\n</trkpt>\n<trkpt lat="1" lon="2">\n</trkpt>\n</gpx>\n' > "$work/hike.gpx"
mkdir "$work/hike_CRLF.gpx"
"$cli" convert "$work/hike.gpx" 2>"$work/err" >/dev/null; rc=$?
check "gpx copy exit" same "$rc" 2
check "gpx copy message" grep -q "Cannot write GPX copy $work/hike_CRLF.gpx: cannot create: " "$work/err"
for args in "convert" "convert --to svg x" "convert --altitude-add 1 --altitude-set 2 x" \
            "convert --decimal-comma --to kml x" "frobnicate x" "convert -o a b c" \
            "convert --decimal-comma --to gpx x" "convert --kml-time x" "convert --date 2024-02-30 x" \
            "convert --date 2024-2-01 x" "analyze --date 2024-02-01 x" "convert --simplify 5 x" \
            "convert --to gpx --simplify 0 x" "convert --to kml --split-day x" \
            "convert --to gpx --from 2024-06-01T00:00:00 x" "convert --to gpx --split-gap 0s x" \
            "convert --to gpx --max-points 0 x" "convert --split-gap 5m x" \
            "convert --to ovl --split-day x" "convert --to ovl --time-shift +01:00:00 x" \
            "convert --to kml --time-shift -00:00:30 x" \
            "convert --to gpx --from 2024-06-02T00:00:00Z --until 2024-06-01T23:59:59Z x"; do
  "$cli" $args >/dev/null 2>&1; rc=$?
  check "usage: $args" same "$rc" 2
done
# A dated output of a log without a date: written without times, with one
# line on standard error that names --date; with --date the times are there.
"$cli" convert "$work/track.nmea" --to gpx 2>"$work/err" >/dev/null; rc=$?
check "undated gpx exit" same "$rc" 0
check "undated gpx warning" same "$(grep -c -e '--date YYYY-MM-DD' "$work/err")" 1
check "undated gpx has no time" same "$(grep -c '<time>' "$work/track_GGA.gpx")" 0
"$cli" convert "$work/track.nmea" --to gpx --date 2024-02-29 --overwrite 2>"$work/err" >/dev/null
check "dated gpx no warning" same "$(cat "$work/err")" ""
check "dated gpx times" same "$(grep -c '<time>2024-02-29T10:15:30Z</time>' "$work/track_GGA.gpx")" 3
# Shaping by times needs dated positions: refused, the output kept; a
# simplification needs none.
"$cli" convert "$work/track.nmea" --to gpx --overwrite --split-day 2>"$work/err" >/dev/null; rc=$?
check "undated split exit" same "$rc" 2
check "undated split message" grep -q "have no date: the track cannot be cropped, shifted or split by its times. No output written." "$work/err"
check "undated split keeps output" same "$(grep -c '<time>2024-02-29T10:15:30Z</time>' "$work/track_GGA.gpx")" 3
"$cli" convert "$work/track.nmea" --to gpx --overwrite --simplify 1 >/dev/null 2>&1; rc=$?
check "undated simplify exit" same "$rc" 0
# --max-points never writes more than its number, on a wandering walk of
# 300 dated positions; fewer than the first and last position is refused.
LC_ALL=C awk 'BEGIN { srand(7); lat = 4730; lon = 830
  for (i = 0; i < 300; i++) {
    lat += rand() * 0.02 - 0.004; lon += rand() * 0.02 - 0.01
    printf "$GPRMC,10%02d%02d.00,A,%09.4f,N,%010.4f,E,0.0,0.0,010624,,,A*00\r\n", int(i / 60), i % 60, lat, lon
  } }' > "$work/walk.nmea"
for most in 2 3 10 77 299 300 1000; do
  "$cli" convert "$work/walk.nmea" --to gpx --overwrite --max-points "$most" >/dev/null 2>&1; rc=$?
  kept=$(grep -c '<trkpt' "$work/walk_RMC.gpx")
  check "max-points $most exit" same "$rc" 0
  check "max-points $most keeps at most $most ($kept)" [ "$kept" -le "$most" ]
done
check "max-points 1000 keeps all" same "$kept" 300
# The other outputs keep to it too: the table's lines, the KML time
# track's <when>s (as many as its path's lines), the overlay's points (as
# many as its "Punkte=" says).
for most in 3 77; do
  "$cli" convert "$work/walk.nmea" --overwrite --max-points "$most" -o "$work/walk.prn" >/dev/null 2>&1
  kept=$(wc -l < "$work/walk.prn")
  check "table max-points $most keeps at most $most ($kept)" [ "$kept" -le "$most" -a "$kept" -ge 2 ]
  "$cli" convert "$work/walk.nmea" --to kml --kml-time --overwrite --max-points "$most" -o "$work/walk.kml" >/dev/null 2>&1
  kept=$(grep -c '<when>' "$work/walk.kml")
  check "kml-time max-points $most keeps at most $most ($kept)" [ "$kept" -le "$most" -a "$kept" -ge 2 ]
  check "kml-time max-points $most path" same "$(grep -c '^  008\.' "$work/walk.kml")" "$kept"
  "$cli" convert "$work/walk.nmea" --to ovl --overwrite --max-points "$most" -o "$work/walk.ovl" >/dev/null 2>&1
  kept=$(grep -c '^XKoord' "$work/walk.ovl")
  check "ovl max-points $most keeps at most $most ($kept)" [ "$kept" -le "$most" -a "$kept" -ge 2 ]
  check "ovl max-points $most count" grep -q "^Punkte=$kept.\$" "$work/walk.ovl"
done
# A crop of a table needs dated positions as a GPX crop does.
"$cli" convert "$work/track.nmea" --overwrite --from 2024-02-29T00:00:00Z 2>"$work/err" >/dev/null; rc=$?
check "undated table crop exit" same "$rc" 2
check "undated table crop message" grep -q "have no date: the track cannot be cropped" "$work/err"
"$cli" convert "$work/walk.nmea" --to gpx --overwrite --max-points 1 2>"$work/err" >/dev/null; rc=$?
check "max-points 1 exit" same "$rc" 2
check "max-points 1 message" grep -q "cannot be kept to 1 positions: its pieces keep their first and last, 2 in all. No output written." "$work/err"
# A GPX time holds no year 0000: such a date is a usage error, the day
# after it is the first one written.
"$cli" convert "$work/track.nmea" --to gpx --date 0000-12-31 --overwrite >/dev/null 2>"$work/err"; rc=$?
check "year 0000 exit" same "$rc" 2
check "year 0000 message" grep -q -e "--date takes a date YYYY-MM-DD, not '0000-12-31'" "$work/err"
"$cli" convert "$work/track.nmea" --to gpx --date 0001-01-01 --overwrite >/dev/null 2>&1; rc=$?
check "first year exit" same "$rc" 0
check "first year times" same "$(grep -c '<time>0001-01-01T10:15:30Z</time>' "$work/track_GGA.gpx")" 3
schema=/usr/local/share/torvane/gpx11.xsd
[ -f "$schema" ] && check "first year valid" xmllint --noout --schema "$schema" "$work/track_GGA.gpx"
# One position: a GeoJSON Point.
printf '%s\r\n' "$gga" '$GPGGA,101531.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*63' > "$work/one.nmea"
"$cli" convert "$work/one.nmea" --to geojson --date 2024-02-29 >/dev/null 2>&1
check "geojson point" grep -q '"geometry":{"type":"Point","coordinates":\[8.5353833,47.3909333,432.5\]}' "$work/one_GGA.geojson"
check "geojson point reads" ogrinfo -ro -q "$work/one_GGA.geojson"
# Without arguments the usage goes to standard error as a usage error.
"$cli" >"$work/out" 2>"$work/err"; rc=$?
check "no arguments exit" same "$rc" 2
check "no arguments usage on stderr" grep -q "^Usage:" "$work/err"
check "no arguments nothing on stdout" same "$(cat "$work/out")" ""
# An unknown option is named as such, also one that looks like a file.
"$cli" convert -dash.nmea 2>"$work/err" >/dev/null; rc=$?
check "dash file exit" same "$rc" 2
check "dash file named" grep -q "unknown option '-dash.nmea'" "$work/err"
"$cli" convert "$work/track.nmea" --bogus 2>"$work/err" >/dev/null; rc=$?
check "last unknown option exit" same "$rc" 2
check "last unknown option named" grep -q "unknown option '--bogus'" "$work/err"
# Messages that cannot be written make the call fail.
if [ -w /dev/full ]; then
  "$cli" convert "$work/track.nmea" --overwrite >/dev/full 2>"$work/err"; rc=$?
  check "lost messages exit" same "$rc" 2
  "$cli" --help >/dev/full 2>/dev/null; rc=$?
  check "lost help exit" same "$rc" 2
else
  echo "skipped: /dev/full is not writable here"
fi
# Line breaks in overlay values would add lines and sections: refused.
for opt in --ovl-map-name --ovl-width; do
  for value in $'X\r\nCenterLat=0\r\n[Evil]' $'X\rY' $'X\nY'; do
    "$cli" convert "$work/track.nmea" --to ovl -o "$work/evil.ovl" $opt "$value" 2>"$work/err" >/dev/null; rc=$?
    check "$opt line break exit" same "$rc" 2
    check "$opt line break message" grep -q -- "$opt takes text without line breaks" "$work/err"
    check "$opt line break no output" test ! -e "$work/evil.ovl"
  done
done
# A map name holding "Punkte" keeps its line; only the count is corrected.
"$cli" convert "$work/track.nmea" --to ovl -o "$work/map.ovl" --ovl-map-name 'Karte Punkte 1:25000' >/dev/null; rc=$?
check "punkte map name exit" same "$rc" 0
check "punkte map name kept" grep -q $'^MapName=Karte Punkte 1:25000\r$' "$work/map.ovl"
check "punkte one count" same "$(grep -c '^Punkte=' "$work/map.ovl")" 1

# Outputs that are links or the input itself are refused; nothing is touched.
printf 'untouched' > "$work/victim"
ln -s "$work/victim" "$work/link.prn"
"$cli" convert "$work/track.nmea" -o "$work/link.prn" --overwrite 2>"$work/err" >/dev/null; rc=$?
check "link output exit" same "$rc" 2
check "link output message" grep -q "Cannot write output file $work/link.prn: cannot create: it is a symbolic link." "$work/err"
check "link output kept" test -L "$work/link.prn"
check "link target kept" same "$(cat "$work/victim")" "untouched"
cp "$work/track.nmea" "$work/lnk.nmea"
cp "$work/track.nmea" "$work/two.nmea"
ln -s "$work/victim" "$work/lnk_GGA.prn"
"$cli" convert "$work/lnk.nmea" "$work/two.nmea" --overwrite 2>"$work/err" >/dev/null; rc=$?
check "link default name exit" same "$rc" 2
check "link default name kept" test -L "$work/lnk_GGA.prn"
check "link default name others written" test -s "$work/two_GGA.prn"
check "link default target kept" same "$(cat "$work/victim")" "untouched"
cp "$work/hike.gpx" "$work/lhike.gpx"
ln -s "$work/victim" "$work/lhike_CRLF.gpx"
"$cli" convert "$work/lhike.gpx" 2>"$work/err" >/dev/null; rc=$?
check "link gpx copy exit" same "$rc" 2
check "link gpx copy kept" test -L "$work/lhike_CRLF.gpx"
check "link gpx target kept" same "$(cat "$work/victim")" "untouched"
cp "$work/track.nmea" "$work/self.nmea"
ln "$work/self.nmea" "$work/self-hard.nmea"
cp "$work/hike.gpx" "$work/selfhike.gpx"
ln "$work/selfhike.gpx" "$work/selfhike-hard.gpx"
cp "$work/selfhike.gpx" "$work/hike.keep"
# Every command, with and without --overwrite; the GPX file itself and its copy too.
for row in "self.nmea|self.nmea" "self.nmea|./self.nmea" "self.nmea|self-hard.nmea" \
           "selfhike.gpx|selfhike.gpx" "selfhike.gpx|selfhike-hard.gpx" "selfhike.gpx|selfhike_CRLF.gpx"; do
  IFS='|' read -r in out <<<"$row"
  case $in in *.gpx) keep=$work/hike.keep ;; *) keep=$work/track.nmea ;; esac
  for cmd in "convert" "convert --overwrite" "convert --to kml --overwrite" "preview" "preview --overwrite"; do
    "$cli" $cmd "$work/$in" -o "$work/$out" 2>"$work/err" >/dev/null </dev/null; rc=$?
    check "input as output exit ($cmd $out)" same "$rc" 2
    check "input as output message ($cmd $out)" grep -q "Cannot write output file $work/$out: it is the input file." "$work/err"
    check "input as output kept ($cmd $out)" cmp -s "$work/$in" "$keep"
  done
done

# A close that fails once the output has its name: the message says so.
# (Under the address sanitizer the preloaded library cannot come first.)
if [ -n "${2:-}" ] && ! ldd "$cli" 2>/dev/null | grep -q libasan; then
  for row in "convert|track_GGA.prn|Cannot write output file" "convert --to ovl|track_GGA.ovl|Could not correct the point count of" \
             "preview|track_GGA.svg|Cannot write output file"; do
    IFS='|' read -r cmd name opening <<<"$row"
    printf 'previous' > "$work/$name"
    CLOSE_FAILS_FOR="$work/$name" LD_PRELOAD="$2" "$cli" $cmd "$work/track.nmea" --overwrite >/dev/null 2>"$work/err"; rc=$?
    check "failed close exit ($cmd)" same "$rc" 2
    check "failed close message ($cmd)" grep -q "^torvane-cli: $opening $work/$name: cannot write: .*\. The file now holds the new output, but its last write could not be confirmed\.$" "$work/err"
    check "failed close replaced ($cmd)" test "$(cat "$work/$name")" != previous
  done
fi

# Short of memory: one line naming the file, exit 2, the previous output
# kept, no temporary file; short of a thread alone, one pass does the work.
# (The sanitizers need more.)
if ! ldd "$cli" 2>/dev/null | grep -q libasan; then
  mkdir "$work/mem"
  for i in $(seq 30000); do printf '%s\r\n' "$gga"; done > "$work/mem/big.nmea"  # two parts at once
  for cmd in "convert --overwrite" "convert --to kml --overwrite" "analyze --summary" "preview --overwrite"; do
    for mb in 8 12 16 20 24; do
      printf 'previous' > "$work/mem/big_GGA.prn"; printf 'previous' > "$work/mem/big_GGA.kml"
      printf 'previous' > "$work/mem/big_GGA.svg"
      (ulimit -v $((mb * 1024)); exec "$cli" $cmd "$work/mem/big.nmea") >/dev/null 2>"$work/err"; rc=$?
      if [ "$rc" != 0 ]; then
        check "memory $cmd ${mb}M exit" same "$rc" 2
        check "memory $cmd ${mb}M message" grep -q "^torvane-cli: Cannot process input file $work/mem/big.nmea: .*\. No output written\.$" "$work/err"
        check "memory $cmd ${mb}M one line" same "$(wc -l < "$work/err")" 1
        check "memory $cmd ${mb}M previous kept" same "$(cat "$work/mem/big_GGA.prn" "$work/mem/big_GGA.kml" "$work/mem/big_GGA.svg")" "previouspreviousprevious"
      fi
      check "memory $cmd ${mb}M no temporary file" same "$(ls -A "$work/mem" | grep -c '^\.tv')" 0
    done
  done
fi

# Two inputs of one batch with one output: the second is skipped, with or
# without --overwrite (the file there is the first one's, not the user's).
cp "$work/track.nmea" "$work/a.x.nmea"
{ cat "$work/track.nmea"; cat "$work/track.nmea"; } > "$work/a.y.nmea"
for overwrite in --overwrite ""; do
  rm -f "$work/a_GGA.prn"
  "$cli" convert "$work/a.x.nmea" "$work/a.y.nmea" $overwrite 2>"$work/err" >/dev/null </dev/null; rc=$?
  check "same output in batch exit $overwrite" same "$rc" 2
  check "same output in batch message $overwrite" same "$(cat "$work/err")" "torvane-cli: Output file $work/a_GGA.prn was written from another input of this call; $work/a.y.nmea is skipped."
  check "same output in batch keeps first $overwrite" same "$(wc -l < "$work/a_GGA.prn")" 2
done

# Beyond the file size limit: the ordinary failure, not a death by SIGXFSZ.
printf 'previous' > "$work/long_GGA.prn"
(ulimit -f 32; exec "$cli" convert "$work/long.nmea" --overwrite) 2>"$work/err" >/dev/null; rc=$?
check "file size limit exit" same "$rc" 2
check "file size limit message" grep -q "Cannot write output file $work/long_GGA.prn: cannot write: " "$work/err"
check "file size limit keeps previous" same "$(cat "$work/long_GGA.prn")" "previous"

# A replaced file keeps its permission bits.
for mode in 444 600 640; do
  printf 'old' > "$work/mode_GGA.prn"; chmod "$mode" "$work/mode_GGA.prn"
  cp "$work/track.nmea" "$work/mode.nmea"
  "$cli" convert "$work/mode.nmea" --overwrite >/dev/null 2>&1
  check "mode $mode kept" same "$(stat -c %a "$work/mode_GGA.prn")" "$mode"
done

# Disk full while copying a GPX file of more than one block.
if [ "$(id -u)" = 0 ] && mkdir -p "$work/small" && mount -t tmpfs -o size=2m tmpfs "$work/small" 2>/dev/null; then
  { printf '<gpx>\n'; for i in $(seq 25000); do printf '<trkpt lat="53.1" lon="8.8">\n<ele>5</ele>\n</trkpt>\n'; done; printf '</gpx>\n'; } > "$work/small/t.gpx"
  "$cli" convert "$work/small/t.gpx" 2>"$work/err" >/dev/null; rc=$?
  check "disk full gpx exit" same "$rc" 2
  check "disk full gpx message" grep -q "Cannot write GPX copy $work/small/t_CRLF.gpx: cannot write: " "$work/err"
  check "disk full gpx not a change" test "$(grep -c 'changed while' "$work/err")" = 0
  check "disk full gpx nothing left" same "$(ls "$work/small")" "t.gpx"
  umount "$work/small"
else
  echo "skipped: disk full on a small tmpfs (needs root and mount)"
fi

# Under a user of its own (permission bits do not stop root).
if [ "$(id -u)" = 0 ] && command -v useradd >/dev/null && command -v setpriv >/dev/null; then
  user="tvtest$$"
  if useradd -M -r -s /usr/sbin/nologin "$user" 2>/dev/null; then
    as_user() { setpriv --reuid="$user" --regid="$user" --clear-groups "$@"; }
    mkdir "$work/u"; cp "$work/track.nmea" "$work/u/t.nmea"; chown -R "$user" "$work/u"; chmod 755 "$work"
    chmod 0 "$work/u/t.nmea"
    as_user "$cli" convert "$work/u/t.nmea" 2>"$work/err" >/dev/null; rc=$?
    check "user: unreadable input exit" same "$rc" 2
    chmod 644 "$work/u/t.nmea"; chmod 555 "$work/u"
    as_user "$cli" convert "$work/u/t.nmea" 2>"$work/err" >/dev/null; rc=$?
    check "user: read-only directory exit" same "$rc" 2
    check "user: read-only directory message" grep -q "Cannot write output file $work/u/t_GGA.prn: cannot create: " "$work/err"
    chmod 755 "$work/u"; printf 'old' > "$work/u/t_GGA.prn"; chmod 444 "$work/u/t_GGA.prn"
    as_user "$cli" convert "$work/u/t.nmea" --overwrite >/dev/null 2>&1; rc=$?
    check "user: read-only file replaced" same "$rc" 0
    check "user: read-only mode kept" same "$(stat -c %a "$work/u/t_GGA.prn")" 444
    check "user: output owned by the user" same "$(stat -c %U "$work/u/t_GGA.prn")" "$user"
    userdel "$user" 2>/dev/null
  else
    echo "skipped: tests as a non-root user (useradd failed)"
  fi
else
  echo "skipped: tests as a non-root user (need root, useradd and setpriv)"
fi

# Several files: each as by a fresh program; the worst result counts.
printf '%s\r\n' "$gga" > "$work/one.nmea"
"$cli" convert "$work/track.nmea" "$work/one.nmea" "$work/note.txt" --overwrite >/dev/null; rc=$?
check "batch exit" same "$rc" 1

# Other satellite systems: a hint without --any-talker, converted with it.
gn='$GNGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*70'
printf '%s\r\n%s\r\n' "$gn" "$gn" > "$work/gn.nmea"
out=$("$cli" analyze "$work/gn.nmea" 2>"$work/err"); rc=$?
check "other talkers exit" same "$rc" 1
check "other talkers message unchanged" same "$(printf '%s\n' "$out" | head -1)" "Could not recognize data in selected file  $work/gn.nmea."
check "other talkers hint" same "$(cat "$work/err")" "Hint: this file holds position sentences of other satellite systems or without a checksum; --any-talker converts them."
"$cli" convert --any-talker "$work/gn.nmea" --overwrite >/dev/null; rc=$?
check "any talker converts" same "$(wc -l < "$work/gn_GGA.prn")" 2
# With --any-talker: GLL of any talker; RMC with the navigational status
# field of NMEA 4.10 (13 commas) too, but not with 14; without it 12 at most.
rmc12='$GPRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A*7A'
for row in "GNGLL,4723.4560,N,00832.1230,E,101530.00,A,A*70|--any-talker|gn_GLL.prn|2" \
           "${rmc12#\$}|--any-talker|gn_RMC.prn|2" "${rmc12%\*7A},V*7A|--any-talker|gn_RMC.prn|2" \
           "${rmc12%\*7A},V,X*7A|--any-talker|gn_RMC.prn|0" "${rmc12%\*7A},V*7A||gn_RMC.prn|0"; do
  IFS='|' read -r sentence flag out want <<<"$row"
  printf '$%s\r\n$%s\r\n' "$sentence" "$sentence" > "$work/gn.nmea"
  rm -f "$work/$out"
  "$cli" convert $flag "$work/gn.nmea" --overwrite >/dev/null 2>&1
  check "any talker: $sentence $flag" same "$(cat "$work/$out" 2>/dev/null | wc -l)" "$want"
done
# With --any-talker the sentence, not the line: a phone's prefix and time
# stamp, binary bytes with commas before it; GGA altitudes of one or two
# characters; UTF-16 with its byte-order mark. Without it, none of these.
phone="NMEA,${gga},1649760913000"
binary=$'\xb5\x62\x01,\x07,'"$gga"
short='$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,-2,M,48.0,M,,*6E'
for row in "$phone|--any-talker|2" "$phone||0" "$binary|--any-talker|2" "$binary||0" \
           "$short|--any-talker|2" "$short||0"; do
  IFS='|' read -r line flag want <<<"$row"
  printf '%s\r\n%s\r\n' "$line" "$line" > "$work/phone.nmea"
  rm -f "$work/phone_GGA.prn"
  "$cli" convert $flag "$work/phone.nmea" --overwrite >/dev/null 2>"$work/err"
  check "sentence alone: ${line:0:12} $flag" same "$(cat "$work/phone_GGA.prn" 2>/dev/null | wc -l)" "$want"
  # Without the option, the run's hint says what it would give.
  hint=$([ "$want" = 0 ] && echo "Hint: --any-talker reads 2 more positions (sentences of other satellite systems or inside longer lines as in a phone's log, short altitudes, UTF-16 text).")
  check "sentence alone: hint ${line:0:12} $flag" same "$(grep '^Hint' "$work/err")" "$hint"
done

# Hints below a run that wrote nothing or less than half of what the
# analysis counted, each where its option gives more, and only there;
# sentences without a checksum under --any-talker; --fix-only.
zero='$GPGGA,101530.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E'
nofix='$GPGGA,101531.00,4723.4560,N,00832.1230,E,0,07,1.2,432.5,M,48.0,M,,*6E'
bare='$GPGGA,101530.00,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,'
rmcv='$GPRMC,101530.00,V,4723.4560,N,00832.1230,E,0.5,54.7,230394,,,A*68'
gllv='$GPGLL,4723.4560,N,00832.1230,E,101530.00,V,A*63'
igc0='B1015304723456N00832123EA0000000450'
for row in "$zero $zero $gga||0|Hint: 2 positions at 0,0 were eliminated; --keep-zero-positions writes them." \
           "$zero $zero $gga|--keep-zero-positions|0|" "$zero $gga $gga||0|" \
           "$bare $bare||1|Hint: this file holds position sentences of other satellite systems or without a checksum; --any-talker converts them." \
           "$bare $bare|--any-talker|0|" \
           "$gga $nofix||0|" "$gga $nofix|--fix-only|0|" "$nofix $nofix|--fix-only|1|" \
           "$rmcv $rmcv||0|" "$rmcv $rmcv|--fix-only|1|" "$gllv $gllv|--fix-only|1|" \
           "HFDTE150807 $igc0 $igc0||0|Hint: every fix has pressure altitude 0; --igc-gnss-altitude writes the GNSS altitudes the fixes record." \
           "HFDTE150807 $igc0 $igc0|--igc-gnss-altitude|0|" "HFDTE150807 $igc0 ${igc0/0000000/0000100}||0|"; do
  IFS='|' read -r lines flag want hint <<<"$row"
  case $lines in HF*) name=hint.igc ;; *) name=hint.nmea ;; esac
  printf '%s\r\n' $lines > "$work/$name"
  "$cli" convert $flag "$work/$name" --any-recorder --overwrite -o "$work/hint.out" >/dev/null 2>"$work/err"; rc=$?
  check "hint: $lines $flag: exit" same "$rc" "$want"
  check "hint: $lines $flag" same "$(grep '^Hint' "$work/err")" "$hint"
done

# --report accounts for every line, after the analysis or the run.
printf '%s\r\n' "$gga" "$zero" "$nofix" '$GPGGA,1015,4723.4560,N,00832.1230,E,1,07,1.2,432.5,M,48.0,M,,*6E' \
  '$GPGSV,3,1,12' "NMEA,$gga,1" "$gga" "$gga" "$gga" "$gga" "$gga" > "$work/account.nmea"
out=$("$cli" analyze --report "$work/account.nmea")
check "report" same "$(printf '%s\n' "$out" | sed -n '/^Lines of/,$p')" "Lines of $work/account.nmea: 11
        6  became positions (lines 1, 7, 8, 9, 10, ...)
        1  positions without a fix (quality 0), written (line 3)
        1  positions at 0,0, eliminated (\"Eliminate \"Zero\" positions\") (line 2)
        1  GGA sentences with too few or too many commas (line 6)
        1  GGA sentences whose time is too short (line 4)
        1  lines of other kinds (line 5)"
out=$("$cli" convert --report --fix-only "$work/account.nmea" --overwrite)
check "report after a run" same "$(printf '%s\n' "$out" | grep -c 'left out')" 1
for mark in le be; do
  if [ $mark = le ]; then printf '\xff\xfe'; else printf '\xfe\xff'; fi > "$work/utf16.nmea"
  printf '%s\r\n%s\r\n' "$gga" "$gga" | iconv -f ASCII -t "UTF-16${mark^^}" >> "$work/utf16.nmea"
  rm -f "$work/utf16_GGA.prn"
  "$cli" convert "$work/utf16.nmea" --overwrite >/dev/null 2>&1; rc=$?
  check "UTF-16 $mark as bytes" same "$rc" 1
  "$cli" convert --any-talker "$work/utf16.nmea" --overwrite >/dev/null; rc=$?
  check "UTF-16 $mark as text" same "$rc $(od -An -c "$work/utf16_GGA.prn" | tr -s ' ' | head -1)" \
    "0  0 3 6 9 3 0 . 0 0 4 7 . 3"
done

# A flight app's IGC file (its date line the only header line): a hint
# without --any-recorder, converted with it; without a date line or an A
# record, neither.
printf 'HFDTEDATE:150807,01\r\nB1015304723456N00832123EA0043200450\r\nB1015354723460N00832130EA0043500452\r\n' \
  > "$work/app.igc"
out=$("$cli" analyze "$work/app.igc" 2>"$work/err"); rc=$?
check "few IGC headers exit" same "$rc" 1
check "few IGC headers message unchanged" same "$(printf '%s\n' "$out" | head -1)" "Could not recognize data in selected file  $work/app.igc."
check "few IGC headers hint" same "$(cat "$work/err")" "Hint: this file holds IGC fixes but too few header lines; --any-recorder converts them."
out=$("$cli" analyze --any-recorder "$work/app.igc" 2>"$work/err"); rc=$?
check "any recorder analyses" same "$rc$(printf '%s\n' "$out" | head -1)$(cat "$work/err")" "0IGC data found. "
"$cli" convert --any-recorder "$work/app.igc" --overwrite >/dev/null; rc=$?
check "any recorder converts" same "$rc $(wc -l < "$work/app_IGC.prn")" "0 2"
sed -i 's/^HFDTEDATE/HFPLTPILOT/' "$work/app.igc"
"$cli" analyze --any-recorder "$work/app.igc" >/dev/null 2>"$work/err"; rc=$?
check "any recorder needs a date line or an A record" same "$rc $(cat "$work/err")" "1 "

# Checksums: a wrong one is skipped altogether, also keeping zero positions,
# in each data type.
gll='$GPGLL,4723.4560,N,00832.1230,E,101530.00,A,A*63'
rmc='$GPRMC,101530.00,A,4723.4560,N,00832.1230,E,0.5,54.7,071226,,,A*67'
for row in "$gga|6F|GGA" "$gll|64|GLL" "$rmc|68|RMC"; do
  IFS='|' read -r sentence wrong kind <<<"$row"
  printf '%s\r\n%s\r\n%s\r\n' "$sentence" "${sentence%??}$wrong" "$sentence" > "$work/ck.nmea"
  "$cli" convert --verify-checksums --keep-zero-positions "$work/ck.nmea" --overwrite >/dev/null
  check "checksum skips ($kind)" same "$(wc -l < "$work/ck_$kind.prn")" 2
  "$cli" convert --verify-checksums "$work/ck.nmea" --overwrite >/dev/null
  check "checksum skips, eliminating ($kind)" same "$(wc -l < "$work/ck_$kind.prn")" 2
  "$cli" convert --keep-zero-positions "$work/ck.nmea" --overwrite >/dev/null
  check "checksum off keeps ($kind)" same "$(wc -l < "$work/ck_$kind.prn")" 3
done

# A run without a data set leaves an existing output as it was, and makes none.
printf '$GPGGA,1015%s.00,,,,,0,00,,,M,,M,,*%s\r\n' 30 4E 31 4F 32 4C 33 4D 34 4A > "$work/nopos.nmea"
out=$("$cli" convert "$work/nopos.nmea" --overwrite); rc=$?
check "no data sets exit" same "$rc" 1
check "no data sets message" same "$out" "$(printf 'NMEA GPGGA data found. \nSelect options then press START. \nCould not recognize/process input data. ')"
check "no data sets no file" test ! -e "$work/nopos_GGA.prn"
echo old > "$work/nopos_GGA.prn"
out=$("$cli" convert "$work/nopos.nmea" --overwrite); rc=$?
check "no data sets keeps exit" same "$rc" 1
check "no data sets keeps message" same "$(printf '%s\n' "$out" | tail -1)" \
  "Could not recognize/process input data. The existing file $work/nopos_GGA.prn is kept as it was."
check "no data sets keeps file" same "$(cat "$work/nopos_GGA.prn")" "old"
# Altitudes: a number in plain decimal notation within -1000..1000.
for value in 1000 -1000 999.5 +12; do
  "$cli" convert "$work/track.nmea" --overwrite --altitude-set "$value" >/dev/null 2>&1; rc=$?
  check "altitude $value taken" same "$rc" 0
done
for value in 1e9 1000.5 -1000.01 -99999 abc 1e2 inf ""; do
  "$cli" convert "$work/track.nmea" --overwrite --altitude-set "$value" >/dev/null 2>"$work/err"; rc=$?
  check "altitude '$value' refused" same "$rc" 2
  check "altitude '$value' names the range" grep -q "within -1000..1000, not '$value'" "$work/err"
done
# The GPX copy replaces a file of its name only when it holds that very copy, or with --overwrite.
printf '<gpx>\n<trkpt lat="47.1" lon="8.5">\n</trkpt>\n<trkpt lat="47.2" lon="8.6">\n</trkpt>\n</gpx>\n' > "$work/own.gpx"
printf 'my notes\r\n' > "$work/own_CRLF.gpx"
for command in convert analyze preview; do
  "$cli" $command "$work/own.gpx" >/dev/null 2>"$work/err" </dev/null; rc=$?
  check "gpx copy refused by $command" same "$rc" 2
  check "gpx copy refusal names it ($command)" grep -q "Output file exists: $work/own_CRLF.gpx" "$work/err"
  check "gpx copy kept by $command" same "$(cat "$work/own_CRLF.gpx")" $'my notes\r'
done
"$cli" analyze "$work/own.gpx" --overwrite >/dev/null; rc=$?
check "gpx copy replaced with --overwrite" same "$rc" 0
check "gpx copy written" same "$(head -c 5 "$work/own_CRLF.gpx")" "<gpx>"
"$cli" convert "$work/own.gpx" </dev/null >/dev/null 2>&1; rc=$?
check "gpx copy that holds the copy replaced without a word" same "$rc" 0
# The same with a copy made in two parts and compared while written: one
# byte changed near its end, or one byte more, is another file.
LC_ALL=C awk 'BEGIN { print "<gpx><trk><trkseg>"; for (i = 0; i < 30000; i++) printf "<trkpt lat=\"47.%05d\" lon=\"8.%05d\"></trkpt>\n", i, i; print "</trkseg></trk></gpx>" }' > "$work/long.gpx"
"$cli" analyze "$work/long.gpx" --overwrite >/dev/null 2>&1
"$cli" analyze "$work/long.gpx" </dev/null >/dev/null 2>&1; rc=$?
check "long gpx copy that holds the copy replaced without a word" same "$rc" 0
cp "$work/long_CRLF.gpx" "$work/long.copy"
printf '\n' >> "$work/long_CRLF.gpx"
"$cli" analyze "$work/long.gpx" </dev/null >/dev/null 2>&1; rc=$?
check "long gpx copy with a byte more kept" same "$rc" 2
sed '$ s/gpx>/gpX>/' "$work/long.copy" > "$work/long_CRLF.gpx"
"$cli" analyze "$work/long.gpx" </dev/null >/dev/null 2>&1; rc=$?
check "long gpx copy with its last line changed kept" same "$rc" 2
check "long gpx copy kept as it was" grep -q "gpX>" "$work/long_CRLF.gpx"

# A simplified track keeps few positions by design: no hint, and no pass
# over the log to look for one; with nothing kept the hint stands.
LC_ALL=C awk 'BEGIN { for (i = 0; i < 300; i++) printf "$GPGGA,10%02d%02d.00,4723.%04d,N,00832.1230,E,1,08,0.9,432.5,M,48.0,M,,*00\r\n", i / 60, i % 60, i * 7;
  for (i = 0; i < 10; i++) printf "$GPGGA,110000.00,0000.0000,N,00000.0000,E,1,08,0.9,432.5,M,48.0,M,,*00\r\n" }' > "$work/zeros.nmea"
"$cli" convert "$work/zeros.nmea" --overwrite --to gpx --simplify 1000 >/dev/null 2>"$work/err"
check "no hint for a simplified track" test "$(grep -c Hint "$work/err")" = 0
"$cli" convert "$work/zeros.nmea" --overwrite --to gpx --from 2030-01-01T00:00:00Z --date 2024-01-01 >/dev/null 2>"$work/err"
check "hint where nothing is kept" grep -q "Hint: 10 positions at 0,0 were eliminated" "$work/err"

# Bash completion: a file name with blanks is one word; each command's options are offered.
completion="$(dirname "$cli")/packaging/torvane-cli.bash"
check "completion made beside the program" test -r "$completion"
if [ -r "$completion" ]; then
  (
    # shellcheck source=/dev/null
    . "$completion"
    cd "$work" && : > "my track.nmea"
    COMP_WORDS=(torvane-cli convert "my"); COMP_CWORD=2; _torvane_cli
    [ "${#COMPREPLY[@]}" -eq 1 ] && [ "${COMPREPLY[0]}" = "my track.nmea" ] || exit 1
    COMP_WORDS=(torvane-cli preview "--"); COMP_CWORD=2; _torvane_cli
    offered=" ${COMPREPLY[*]} "
    for option in --overwrite --any-talker --verify-checksums --keep-zero-positions --altitude-set --output; do
      [[ "$offered" == *" $option "* ]] || exit 1
    done
    # Every option the usage lists is offered to some command, and values where it has a list.
    COMP_WORDS=(torvane-cli convert "--"); COMP_CWORD=2; _torvane_cli
    offered=" ${COMPREPLY[*]} "
    COMP_WORDS=(torvane-cli analyze "--"); COMP_CWORD=2; _torvane_cli
    offered+=" ${COMPREPLY[*]} "
    COMP_WORDS=(torvane-cli "--"); COMP_CWORD=1; _torvane_cli
    offered+=" ${COMPREPLY[*]} "
    for option in $("$cli" --help | grep -oE '(^|[ [])--[a-z][a-z0-9-]+' | tr -d ' [' | sort -u); do
      [[ "$offered" == *" $option "* ]] || { echo "not offered: $option"; exit 1; }
    done
    COMP_WORDS=(torvane-cli convert --to ""); COMP_CWORD=3; _torvane_cli
    [ "${COMPREPLY[*]}" = "table kml ovl gpx geojson" ] || exit 1
  ) </dev/null
  check "completion: names with blanks, preview's options" same "$?" 0
fi

# The manual (its options made from the table of options) says preview
# takes each of these, and preview takes each.
manual="$(dirname "$cli")/packaging/torvane-cli.1"
if [ -r "$manual" ]; then
  # The entry of option $1, from the line after its ".TP" to the next, backslashes dropped.
  manual_entry() {
    local line after_tp=0 in_entry=0
    while IFS= read -r line; do
      line=${line//\\/}
      if [ "$line" = ".TP" ] || [[ "$line" == .[SP]* ]]; then
        after_tp=$([ "$line" = ".TP" ] && echo 1 || echo 0); in_entry=0; continue
      fi
      if [ "$after_tp" -eq 1 ] && [[ "$line" == *"fB$1fR"* ]]; then in_entry=1; fi
      after_tp=0
      if [ "$in_entry" -eq 1 ]; then printf '%s\n' "$line"; fi
    done <"$manual"
  }
  for option in --overwrite --any-talker --verify-checksums --igc-gnss-altitude --keep-zero-positions \
                --altitude-add --altitude-set; do
    check "manual lists preview $option" grep -q -e "^Commands:.*fBpreviewfR" <<<"$(manual_entry "$option")"
  done
  "$cli" preview "$work/track.nmea" -o "$work/opts.svg" --overwrite --any-talker --verify-checksums \
    --igc-gnss-altitude --keep-zero-positions --altitude-add 5 >/dev/null; rc=$?
  check "preview takes the options the manual lists" same "$rc" 0
fi

# On a disk that one pass fits on, a log read in two parts at once fits
# too: the parts' files need more room at once (the later part's is held
# while it is appended), and where they do not fit, one pass writes the
# table. (Only where a small file system can be mounted: as root.)
disk="$work/disk"
mkdir -p "$disk"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=1200k tmpfs "$disk" 2>/dev/null; then
  for _ in $(seq 21500); do printf '%s\r\n' "$gga"; done > "$work/big.nmea"
  "$cli" convert "$work/big.nmea" -o "$work/big_onepass.prn" >/dev/null
  out=$("$cli" convert "$work/big.nmea" -o "$disk/big.prn" 2>&1); rc=$?
  check "nearly full disk: exit" same "$rc" 0
  check "nearly full disk: the one pass's table" cmp -s "$disk/big.prn" "$work/big_onepass.prn"
  check "nearly full disk: nothing else left" same "$(ls -A "$disk")" "big.prn"
  umount "$disk"
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
