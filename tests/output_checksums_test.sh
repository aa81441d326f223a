#!/usr/bin/env bash
# Converts generated logs of every kind to every output type (with and
# without options) and compares SHA-256 sums of the outputs with the
# committed ones, so that no change to the converter alters a byte unnoticed.
#   output_checksums_test.sh CLI LOGGEN SUMS_FILE [--update]
set -u
cli=$(realpath "$1") loggen=$(realpath "$2") sums=$(realpath -m "$3") update=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$loggen" nmea-mix 3000 > mix.nmea
"$loggen" gga 1000 > gga.nmea
"$loggen" gll 1000 > gll.nmea
"$loggen" rmc 1000 > rmc.nmea
"$loggen" igc 2000 > flight.igc
"$loggen" gpx 1000 > hike.gpx

for log in mix.nmea gga.nmea gll.nmea rmc.nmea flight.igc hike.gpx; do
  for type in table kml ovl; do
    "$cli" convert "$log" --to "$type" --overwrite >/dev/null 2>&1
    "$cli" convert "$log" --to "$type" --keep-zero-positions --altitude-add 12.5 -o "keep-$log.$type" >/dev/null 2>&1
  done
  "$cli" convert "$log" --decimal-comma --altitude-set -3.25 -o "comma-$log.prn" >/dev/null 2>&1
done
rm -f ./*.nmea ./*.igc hike.gpx
sha256sum $(ls | sort) > actual.sums 2>/dev/null
sed -i '/ actual.sums$/d' actual.sums

if [ "$update" = --update ]; then
  cp actual.sums "$sums"
  echo "updated $sums"
  exit 0
fi
if diff -u "$sums" actual.sums; then
  echo "$(wc -l < actual.sums) passed, 0 failed"
else
  echo "0 passed, 1 failed"
  exit 1
fi
