#!/usr/bin/env bash
# Real clients read the measurements we write: the GPX of the golden FIT
# ride (tests/golden/ride.fittext) and of the watch's GPX passes xmllint
# with the GPX 1.1 schema and GPSBabel reads each point's heart rate and
# cadence back (none where the log had none); ogrinfo reads the GeoJSON
# with its heart-rate array, and the KML time track is well-formed and
# opens in ogrinfo. A reader that is not installed skips the test (77).
#   measures_readback_test.sh CLI FIT_FROM_TEXT TESTS_DIR
set -u
cli=$1 fit_from_text=$2 tests=$3
schema=${TORVANE_GPX_SCHEMA:-/usr/local/share/torvane/gpx11.xsd}
for tool in gpsbabel ogrinfo xmllint; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
[ -f "$schema" ] || { echo "no GPX 1.1 schema at $schema: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passed=0
result() { if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAILED: $2"; fi; }

"$fit_from_text" "$tests/golden/ride.fittext" "$work/ride.fit" || { echo "FAILED: cannot make ride.fit"; exit 1; }
cp "$tests/golden/watch.gpx" "$work/watch.gpx"

# "heart rate,cadence" of each point as GPSBabel reads them from a GPX.
babel_measures() {
  gpsbabel -t -i gpx -f "$1" -o unicsv -F - 2>/dev/null |
    awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
             { print (col["Heartrate"] ? $col["Heartrate"] : "") "," (col["Cadence"] ? $col["Cadence"] : "") }'
}

check() {
  local name=$1 wanted=$2 heart=$3
  for type in gpx geojson; do
    "$cli" convert "$work/$name" --to "$type" --overwrite -o "$work/out.$type" >/dev/null 2>"$work/err" ||
      { result 1 "$name $type: $(cat "$work/err")"; return; }
  done
  xmllint --noout --schema "$schema" "$work/out.gpx" 2>"$work/err"; result $? "$name: GPX schema: $(head -3 "$work/err")"
  got=$(babel_measures "$work/out.gpx" | tr '\n' ' ')
  [ "$got" = "$wanted" ]; result $? "$name: GPSBabel read heart rate,cadence \"$got\", not \"$wanted\""
  ogrinfo -ro -al -q "$work/out.geojson" > "$work/ogr" 2>"$work/err"; result $? "$name: ogrinfo GeoJSON: $(head -3 "$work/err")"
  grep -q "\"heart\": \[ $heart \]" "$work/ogr"; result $? "$name: ogrinfo read no heart array [ $heart ] from the GeoJSON"
}
check ride.fit "120,80 ,82 130, 128, 131,90 132, " "120, null, 130, 128, 131, 132"
check watch.gpx "131,84 133,85 ,86 , " "131, 133, null, null"

"$cli" convert "$work/ride.fit" --to kml --kml-time -o "$work/time.kml" >/dev/null 2>"$work/err" ||
  result 1 "ride.fit kml-time: $(cat "$work/err")"
xmllint --noout "$work/time.kml" 2>"$work/err"; result $? "time KML: xmllint: $(head -3 "$work/err")"
test "$(ogrinfo -ro -al -q "$work/time.kml" 2>/dev/null | grep -c '^OGRFeature')" -eq 2
result $? "time KML: ogrinfo read another number of placemarks than 2"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
