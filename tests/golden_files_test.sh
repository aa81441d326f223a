#!/usr/bin/env bash
# Converts the small logs in tests/golden/ with each output type and option
# set below and compares every output, byte for byte, with its expected file
# in tests/expected/. The expected files are written out by hand from the
# conversion rules (a summary's figures from their counting rules); they
# are not the program's output blessed after the fact.
# On a difference the first differing line is shown, CR as ^M and the line
# end as $ (a line without $ has no LF after it).
# A FIT log is written as text (NAME.fittext); FIT_FROM_TEXT makes its
# bytes, NAME.fit, which is what is converted.
#   golden_files_test.sh CLI TESTS_DIR FIT_FROM_TEXT
set -u
cli=$(realpath "$1") tests=$(realpath "$2") fit_from_text=$(realpath "$3")
inputs=$tests/golden expected=$tests/expected
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# expected file        input        options
cases='
gga.prn                gga.nmea
gga-keep.prn           gga.nmea     --keep-zero-positions
gga-comma.prn          gga.nmea     --decimal-comma
gga.kml                gga.nmea     --to kml
gga-keep-add.kml       gga.nmea     --to kml --keep-zero-positions --altitude-add 12.5
gga.ovl                gga.nmea     --to ovl
gga-keep.ovl           gga.nmea     --to ovl --keep-zero-positions
gll.prn                gll.nmea
gll-keep.prn           gll.nmea     --keep-zero-positions
gll-set.kml            gll.nmea     --to kml --altitude-set 250
gll.ovl                gll.nmea     --to ovl
rmc.prn                rmc.nmea
rmc-add.kml            rmc.nmea     --to kml --altitude-add 100
rmc-keep.ovl           rmc.nmea     --to ovl --keep-zero-positions
igc.prn                flight.igc
igc-keep-add.prn       flight.igc   --keep-zero-positions --altitude-add 100
igc-set-comma.prn      flight.igc   --altitude-set -3.25 --decimal-comma
igc.kml                flight.igc   --to kml
igc.ovl                flight.igc   --to ovl
gpx.prn                hike.gpx
gpx-keep-add.prn       hike.gpx     --keep-zero-positions --altitude-add 10
gpx.kml                hike.gpx     --to kml
gpx.ovl                hike.gpx     --to ovl
dated-gga.gpx          dated-gga.nmea     --to gpx
dated-gga-date.gpx     dated-gga.nmea     --to gpx --date 2024-02-28
dated-epochs.gpx       dated-epochs.nmea  --to gpx
dated-zda.gpx          dated-zda.nmea     --to gpx
dated-flight.gpx       dated-flight.igc   --to gpx
dated-hike.gpx         dated-hike.gpx     --to gpx
dated-rmc.geojson      dated-rmc.nmea     --to geojson
dated-rmc.kml          dated-rmc.nmea     --to kml --kml-time
dated-partial.gpx      dated-partial.gpx  --to gpx
dated-partial.geojson  dated-partial.gpx  --to geojson
dated-partial.prn      dated-partial.gpx
dated-noon.gpx         dated-noon.nmea    --to gpx --date 2024-02-28
dated-last.gpx         dated-last.nmea    --to gpx
dated-flights.gpx      dated-flights.igc  --to gpx
dated-flights.kml      dated-flights.igc  --to kml --kml-time
shape-gap.gpx          shape-walk.nmea    --to gpx --split-gap 5m
shape-day.gpx          shape-walk.nmea    --to gpx --split-day
shape-simplify.gpx     shape-walk.nmea    --to gpx --simplify 5
shape-crop.gpx         shape-walk.nmea    --to gpx --from 2024-06-01T00:00:00Z --until 2024-06-01T02:12:30+02:00
shape-shift-day.gpx    shape-walk.nmea    --to gpx --split-day --time-shift +00:01:30
shape-order.gpx        shape-walk.nmea    --to gpx --simplify 5 --until 2024-06-01T00:12:30Z --from 2024-06-01T00:00:00Z
shape-max.gpx          shape-walk.nmea    --to gpx --max-points 3
shape-max-gap.gpx      shape-walk.nmea    --to gpx --max-points 4 --split-gap 5m
shape-gap.geojson      shape-walk.nmea    --to geojson --split-gap 5m
ride.gpx               ride.fittext       --to gpx
ride.geojson           ride.fittext       --to geojson
ride.kml               ride.fittext       --to kml --kml-time
ride-gap.geojson       ride.fittext       --to geojson --split-gap 5m
ride-gap.kml           ride.fittext       --to kml --kml-time --split-gap 5m
watch.gpx              watch.gpx          --to gpx
watch.geojson          watch.gpx          --to geojson
laps.gpx               laps.tcx           --to gpx
laps.prn               laps.tcx
shape-gap.kml          shape-walk.nmea    --to kml --kml-time --split-gap 5m
shape-day.kml          shape-walk.nmea    --to kml --kml-time --split-day
shape-simplify.kml     shape-walk.nmea    --to kml --kml-time --simplify 5
shape-path.kml         shape-walk.nmea    --to kml --simplify 5
shape-simplify.ovl     shape-walk.nmea    --to ovl --simplify 5
shape-crop.prn         shape-walk.nmea    --from 2024-06-01T00:00:00Z --until 2024-06-01T00:12:30Z --time-shift +01:00:00
'

# Prints the first line where `actual` differs from `wanted`.
first_difference() {
  cat -A "$1" > "$work/wanted.visible"
  cat -A "$2" > "$work/actual.visible"
  awk 'FILENAME == ARGV[1] { e[FNR] = $0; ne = FNR; next }
       { a[FNR] = $0; na = FNR }
       END {
         n = ne > na ? ne : na
         for (i = 1; i <= n; i++) {
           if (i > ne || i > na || e[i] != a[i]) {
             printf "  first difference in line %d\n", i
             printf "    expected: %s\n", i <= ne ? e[i] : "(end of file)"
             printf "    got:      %s\n", i <= na ? a[i] : "(end of file)"
             exit
           }
         }
       }' "$work/wanted.visible" "$work/actual.visible"
}

passed=0 failed=0
# Compares `actual` with the expected file `name`.
compare() {
  local name=$1 actual=$2
  if [ ! -f "$actual" ]; then
    echo "FAIL $name: no output was written"
    failed=$((failed + 1))
  elif cmp -s "$expected/$name" "$actual"; then
    passed=$((passed + 1))
  else
    echo "FAIL $name differs from tests/expected/$name"
    first_difference "$expected/$name" "$actual"
    failed=$((failed + 1))
  fi
}

# Each case's messages and exit status, the folders named IN and OUT, after
# a line "== NAME (exit N)"; compared whole with tests/expected/messages.
: > "$work/messages"
while read -r name input options; do
  [ -n "$name" ] || continue
  rm -rf "$work/run" "$work/out" && mkdir "$work/run" "$work/out"
  case $input in
    *.fittext) "$fit_from_text" "$inputs/$input" "$work/run/${input%.fittext}.fit"; input=${input%.fittext}.fit ;;
    *) cp "$inputs/$input" "$work/run/" ;;
  esac
  # shellcheck disable=SC2086 # the options are words
  "$cli" convert "$work/run/$input" $options -o "$work/out/$name" > "$work/said" 2>&1
  status=$?
  { echo "== $name (exit $status)"; sed -e "s|$work/run|IN|g" -e "s|$work/out|OUT|g" "$work/said"; } >> "$work/messages"
  compare "$name" "$work/out/$name" || true
  case $input in
    *.gpx) compare "${input%.gpx}_CRLF.gpx" "$work/run/${input%.gpx}_CRLF.gpx" ;;
  esac
done <<< "$cases"
compare messages "$work/messages"

# The figures of analyze --summary, each counted by its rule, of a track
# made to be checked by hand (tests/golden/README.md works them out).
for input in climb-walk.gpx; do
  rm -rf "$work/run" && mkdir "$work/run"
  cp "$inputs/$input" "$work/run/"
  "$cli" analyze "$work/run/$input" --summary 2>&1 | sed -e "s|$work/run|IN|g" > "$work/run/summary"
  compare "${input%.*}.summary" "$work/run/summary"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
