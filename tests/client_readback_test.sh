#!/usr/bin/env bash
# Real clients read what torvane-cli writes: every KML passes xmllint, and
# GPSBabel reads our KML and OVL back with the coordinates of our Table
# output of the same log, within the decimals written. The dated outputs
# too: the GPX passes xmllint with the GPX 1.1 schema (TORVANE_GPX_SCHEMA,
# by default where scripts/install-deps puts it), GPSBabel and GDAL's
# ogrinfo read its points back (with their times when the log is dated),
# ogrinfo reads the GeoJSON, GPSBabel reads the KML time track with a time
# for each of its points (and, split into pieces, as a gx:MultiTrack that
# ogrinfo reads as one line a piece); every time ends in "Z" and no <when>
# follows a <gx:coord>. With
# --skip-unrecognised a log that is not recognised is only converted, which
# must end normally.
#   client_readback_test.sh [--skip-unrecognised] CLI LOG...
set -u
skip_unrecognised=0
if [ "${1:-}" = --skip-unrecognised ]; then skip_unrecognised=1; shift; fi
cli=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passed=0
schema=${TORVANE_GPX_SCHEMA:-/usr/local/share/torvane/gpx11.xsd}
if [ ! -f "$schema" ]; then echo "FAILED: no GPX 1.1 schema at $schema (scripts/install-deps puts it there)"; exit 1; fi
result() { if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAILED: $2"; fi; }

# lat lon pairs of the points GPSBabel reads from FILE in FORMAT, one per line.
babel_points() {
  gpsbabel -i "$1" -f "$2" -o gpx -F - 2>/dev/null |
    sed -n 's/.*<\(trkpt\|rtept\|wpt\) lat="\([^"]*\)" lon="\([^"]*\)".*/\2 \3/p'
}

# Compares two files of "lat lon" lines: same count, each value within 0.6e-7.
same_points() {
  awk 'NR == FNR { lat[NR] = $1; lon[NR] = $2; n = NR; next }
       { m = FNR; d1 = lat[FNR] - $1; d2 = lon[FNR] - $2;
         if (d1 < 0) d1 = -d1; if (d2 < 0) d2 = -d2;
         if (d1 > 6e-8 || d2 > 6e-8) { print "point " FNR ": " lat[FNR] " " lon[FNR] " vs " $1 " " $2; bad = 1; exit } }
       END { if (!bad && n != m) { print "points: " n " vs " m; bad = 1 } exit bad }' "$1" "$2"
}

# Every time in FILE (GPX <time>, KML <when>, GeoJSON strings) ends in "Z".
all_times_utc() {
  ! grep -Eo '<(time|when)>[^<]*</|"[0-9]{4}-[0-9]{2}-[0-9]{2}T[^"]*"' "$1" | grep -Ev 'Z(</|")$' | grep -q .
}

# The GPX, GeoJSON and KML time track of the log in $input.
check_dated_outputs() {
  local type points timed
  for type in gpx geojson; do
    "$cli" convert "$input" --to "$type" --overwrite >/dev/null 2>"$work/err" || { result 1 "$name $type: $(cat "$work/err")"; return; }
  done
  "$cli" convert "$input" --to kml --kml-time --overwrite -o "$work/time.kml" >/dev/null 2>"$work/err" ||
    { result 1 "$name kml-time: $(cat "$work/err")"; return; }
  local gpx geojson
  gpx=$(ls "$base"_*.gpx | grep -v '_CRLF\.gpx$')
  geojson=$(ls "$base"_*.geojson)
  points=$(wc -l < "$work/table.pts")
  timed=$(grep '<trkpt' "$gpx" | grep -c '<time>')  # a GPX log may time only some of its points

  xmllint --noout --schema "$schema" "$gpx" 2>"$work/err"; result $? "$name: GPX schema: $(head -3 "$work/err")"
  babel_points gpx "$gpx" > "$work/gpx.pts"
  same_points "$work/table.pts" "$work/gpx.pts" > "$work/diff"; result $? "$name: GPX read back: $(cat "$work/diff")"
  if [ "$timed" -gt 0 ]; then
    # GPSBabel keeps each point's time; the metadata time is one more.
    test "$(gpsbabel -t -i gpx -f "$gpx" -o gpx -F - | grep -c '<time>')" -ge "$timed"
    result $? "$name: GPSBabel read the GPX points without their times"
  fi
  test "$(ogrinfo -ro -al -q "$gpx" track_points 2>/dev/null | grep -c '^OGRFeature')" -eq "$points"
  result $? "$name: ogrinfo read another number of GPX track points than $points"
  if [ "$timed" -gt 0 ]; then
    test "$(ogrinfo -ro -al -q "$gpx" track_points 2>/dev/null | grep -Ec '^  time \(DateTime\) = [0-9]{4}/')" -eq "$timed"
    result $? "$name: ogrinfo read GPX track points without their times"
  fi
  ogrinfo -ro -al -q "$geojson" >/dev/null 2>"$work/err"; result $? "$name: ogrinfo GeoJSON: $(head -3 "$work/err")"
  test "$(ogrinfo -ro -al -q "$geojson" 2>/dev/null | grep -c '^OGRFeature')" -eq 1
  result $? "$name: ogrinfo read no track feature from the GeoJSON"

  xmllint --noout "$work/time.kml" 2>"$work/err"; result $? "$name: xmllint time KML: $(head -3 "$work/err")"
  awk '/<gx:coord>/ { coord = 1 } /<when>/ && coord { bad = 1 } END { exit bad }' "$work/time.kml"
  result $? "$name: a <when> follows a <gx:coord>"
  local whens
  whens=$(grep -c '<when>' "$work/time.kml")
  test "$whens" -eq "$(grep -c '<gx:coord>' "$work/time.kml")"; result $? "$name: as many <when> as <gx:coord>"
  if [ "$whens" -gt 0 ]; then
    test "$(gpsbabel -t -i kml -f "$work/time.kml" -o gpx -F - | grep -c '<time>')" -ge "$whens"
    result $? "$name: GPSBabel read the KML time track without its times"
  fi
  if [ "$whens" -gt 0 ]; then
    # Split where the log pauses for more than 10 s: a gx:MultiTrack, read by
    # xmllint, GPSBabel (with its times) and ogrinfo (one line a piece).
    "$cli" convert "$input" --to kml --kml-time --split-gap 10s --overwrite -o "$work/pieces.kml" >/dev/null 2>"$work/err"
    result $? "$name kml-time split: $(cat "$work/err")"
    xmllint --noout "$work/pieces.kml" 2>"$work/err"; result $? "$name: xmllint split KML: $(head -3 "$work/err")"
    test "$(grep -c '<when>' "$work/pieces.kml")" -eq "$whens"; result $? "$name: the split KML lost a <when>"
    test "$(gpsbabel -t -i kml -f "$work/pieces.kml" -o gpx -F - | grep -c '<time>')" -ge "$whens"
    result $? "$name: GPSBabel read the split KML time track without its times"
    test "$(ogrinfo -ro -al -q "$work/pieces.kml" 2>/dev/null | grep '^  MULTILINESTRING' | tr -cd , | wc -c)" -eq $((whens - 1))
    result $? "$name: ogrinfo read another number of positions than $whens from the split KML time track"
  fi
  for f in "$gpx" "$geojson" "$work/time.kml" "$work/pieces.kml"; do
    [ -f "$f" ] || continue
    all_times_utc "$f"; result $? "$name: a time without Z in $(basename "$f")"
  done
}

for log in "$@"; do
  name=$(basename "$log")
  cp "$log" "$work/$name"  # analysis of a GPX file writes its copy beside it: never beside the original
  input="$work/$name"
  if [ "$skip_unrecognised" -eq 1 ] && ! "$cli" analyze "$input" >/dev/null 2>&1; then
    # Not recognised: converting it still ends normally (exit status 0 or 1).
    "$cli" convert "$input" --overwrite >/dev/null 2>&1
    result $(($? > 1)) "$name: convert of an unrecognised log"
    rm -f "$work"/*
    continue
  fi
  base="$work/${name%%.*}"
  for type in table kml ovl; do
    "$cli" convert "$input" --to "$type" --overwrite >/dev/null 2>"$work/err" || { result 1 "$name $type: $(cat "$work/err")"; continue; }
  done
  table=$(ls "$base"_*.prn)
  kml=$(ls "$base"_*.kml)
  ovl=$(ls "$base"_*.ovl)
  awk '{ print $2, $3 }' "$table" > "$work/table.pts"
  test -s "$work/table.pts"; result $? "$name: the table holds no points"

  xmllint --noout "$kml" 2>"$work/err"; result $? "$name: xmllint: $(head -3 "$work/err")"
  babel_points kml "$kml" > "$work/kml.pts"
  same_points "$work/table.pts" "$work/kml.pts" > "$work/diff"; result $? "$name: KML read back: $(cat "$work/diff")"
  if [ "$(wc -l < "$work/table.pts")" -le 2000 ]; then
    babel_points ggv_ovl "$ovl" > "$work/ovl.pts"
  else
    # GPSBabel's overlay reader takes time quadratic in the points; read big ones here.
    tr -d '\r' < "$ovl" | awk -F= '/^XKoord/ { lon = $2 } /^YKoord/ { print $2, lon }' > "$work/ovl.pts"
  fi
  same_points "$work/table.pts" "$work/ovl.pts" > "$work/diff"; result $? "$name: OVL read back: $(cat "$work/diff")"
  check_dated_outputs
  rm -f "$work"/*
done

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
