#!/usr/bin/env bash
# Compares the Table that torvane-cli writes for an IGC or GPX file with
# GPSBabel's reading of the same file (track points only, unicsv output).
#
#   gpsbabel_compare.sh [--strict] CLI FILE...
#
# Points are paired in order. A pair matches when latitude and longitude agree
# to GPSBabel's last written decimal (6), allowing for our rounding at 7
# decimals: |ours - theirs| <= 0.55e-6 degrees. Our points without a partner
# and GPSBabel points we do not write (for example fixes flagged "V") are
# counted, as are pairs whose whole seconds or altitudes differ and pairs
# where GPSBabel has no time or altitude at all (we carry the previous
# point's value over, or write 0).
#
# Prints one summary line per file. Exit status 1 when a conversion crashed
# or failed; with --strict also when any of our points is unpaired, a time or
# altitude differs, or GPSBabel has points other than an IGC file's "V" fixes.
# Exit status 77 (skipped) when gpsbabel is not installed.
set -uo pipefail
export TZ=UTC

strict=0
if [ "${1:-}" = "--strict" ]; then strict=1; shift; fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [--strict] CLI FILE..." >&2
  exit 2
fi
cli=$1; shift
command -v gpsbabel >/dev/null || { echo "gpsbabel not installed: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

for input in "$@"; do
  name=$(basename "$input")
  dir="$work/$name.d"
  mkdir -p "$dir"
  cp "$input" "$dir/$name"
  case "$name" in
    *.[iI][gG][cC]) format=igc ;;
    *) format=gpx ;;
  esac

  "$cli" convert "$dir/$name" --to table -o "$dir/ours.prn" --overwrite >"$dir/cli.log" 2>&1
  rc=$?
  if [ $rc -gt 1 ]; then
    echo "FAIL $name: torvane-cli exit status $rc: $(tr '\r\n' '  ' <"$dir/cli.log")"
    status=1
    continue
  fi
  [ -f "$dir/ours.prn" ] || : >"$dir/ours.prn"

  if [ $format = igc ]; then
    gpsbabel -t -i igc -f "$input" -x track,name=PRESALTTRK -o unicsv -F "$dir/theirs.csv" 2>"$dir/babel.log"
    if [ -f "$dir/theirs.csv" ] && [ "$(wc -l <"$dir/theirs.csv")" -le 1 ]; then  # no pressure altitude track
      gpsbabel -t -i igc -f "$input" -o unicsv -F "$dir/theirs.csv" 2>"$dir/babel.log"
    fi
    vfixes=$(awk 'substr($0,1,1)=="B" && substr($0,25,1)=="V"' "$input" | wc -l)
  else
    gpsbabel -t -i gpx -f "$input" -o unicsv -F "$dir/theirs.csv" 2>"$dir/babel.log"
    vfixes=0
  fi
  if [ ! -f "$dir/theirs.csv" ]; then
    echo "note $name: ours $(grep -c . "$dir/ours.prn"), GPSBabel cannot read the file: $(sort -u "$dir/babel.log" | tr '\n' ' ')"
    [ $strict = 1 ] && status=1
    continue
  fi

  awk -v name="$name" -v strict=$strict -v vfixes="$vfixes" -v ours="$dir/ours.prn" '
    # A decimal text as an integer in units of 10^-decimals.
    function scaled(text, decimals,    sign, parts, n, fraction) {
      sign = 1
      if (substr(text, 1, 1) == "-") { sign = -1; text = substr(text, 2) }
      n = split(text, parts, ".")
      fraction = n > 1 ? parts[2] : ""
      fraction = substr(fraction "0000000000", 1, decimals)
      return sign * ((parts[1] + 0) * 10 ^ decimals + (fraction + 0))
    }
    function abs(x) { return x < 0 ? -x : x }
    function seconds(text,    p) {
      split(text, p, ":")
      return p[1] * 3600 + p[2] * 60 + int(p[3])
    }
    function near(i, j) {
      return abs(olat[i] - tlat[j] * 10) <= 5 && abs(olon[i] - tlon[j] * 10) <= 5
    }
    BEGIN { FS = "," }
    { sub(/\r$/, "") }
    NR == 1 {
      for (c = 1; c <= NF; ++c) column[$c] = c
      next
    }
    {
      ++nt
      tlat[nt] = scaled($(column["Latitude"]), 6)
      tlon[nt] = scaled($(column["Longitude"]), 6)
      talt[nt] = ("Altitude" in column) ? $(column["Altitude"]) : ""
      ttime[nt] = ("Time" in column) ? $(column["Time"]) : ""
    }
    END {
      while ((getline line < ours) > 0) {
        sub(/\r$/, "", line)
        if (line == "") continue
        split(line, f, " ")
        ++no
        otime[no] = int(f[1]); olat[no] = scaled(f[2], 7); olon[no] = scaled(f[3], 7); oalt[no] = f[4] + 0
      }
      i = 1; j = 1
      while (i <= no) {
        k = j
        while (k <= nt && k < j + 200 && !near(i, k)) ++k
        if (k > nt || k >= j + 200) { ++ourOnly; ++i; continue }
        theirOnly += k - j
        ++paired
        if (ttime[k] == "") ++timeMissing
        else if (seconds(ttime[k]) != otime[i]) ++timeDiff
        if (talt[k] == "") ++altMissing
        else if (abs(talt[k] - oalt[i]) > 0.0501) ++altDiff
        ++i; j = k + 1
      }
      theirOnly += nt - j + 1
      printf "%s %s: ours %d, GPSBabel %d, paired %d, only ours %d, only GPSBabel %d (V fixes %d), " \
        "time differs %d, altitude differs %d, no time in GPSBabel %d, no altitude in GPSBabel %d\n", \
        (strict && (ourOnly || timeDiff || altDiff || theirOnly != vfixes || paired == 0)) ? "FAIL" : "ok  ", \
        name, no, nt, paired, ourOnly + 0, theirOnly + 0, vfixes, timeDiff + 0, altDiff + 0, timeMissing + 0, \
        altMissing + 0
      if (strict && (ourOnly || timeDiff || altDiff || theirOnly != vfixes || paired == 0)) exit 1
    }' "$dir/theirs.csv" || status=1
done
exit $status
