#!/usr/bin/env bash
# Real clients read what torvane-cli writes: every KML passes xmllint, and
# GPSBabel reads our KML and OVL back with the coordinates of our Table
# output of the same log, within the decimals written. With
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
  rm -f "$work"/*
done

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
