#!/usr/bin/env bash
# Simplify against GPSBabel's simplify filter with the cross-track error, at
# the same distance, on real logs: one row per file and distance with the
# positions each reads, the positions each keeps and our share of theirs.
#
#   simplify_compare.sh [--at-most RATIO] COUNTER METRES FILE...
#
# COUNTER is torvane_simplify_count. With --at-most, exit status 1 when we
# keep more than RATIO times GPSBabel's positions of a file that both read
# alike (the same number of positions, at least 20). GPSBabel reads IGC, GPX and NMEA files
# (an IGC file's pressure altitude track where it has one, as
# gpsbabel_compare.sh does). Files either cannot read are left out. Exit
# status 77 (skipped) when gpsbabel is not installed.
set -uo pipefail
export TZ=UTC
limit=
if [ "${1:-}" = --at-most ]; then limit=$2; shift 2; fi
if [ $# -lt 3 ]; then
  echo "usage: $0 [--at-most RATIO] COUNTER METRES FILE..." >&2
  exit 2
fi
counter=$1; metres=$2; shift 2
command -v gpsbabel >/dev/null || { echo "gpsbabel not installed: skipped"; exit 77; }
km=$(LC_ALL=C awk -v m="$metres" 'BEGIN { printf "%.6f", m / 1000 }')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
sums=(0 0 0)  # over the files both read alike: positions, GPSBabel's, ours

rows() {  # the data rows of a unicsv file
  if [ -f "$1" ]; then awk 'NR > 1 && NF' "$1" | wc -l; else echo 0; fi
}

echo "Simplify at $metres m (GPSBabel: -x simplify,crosstrack,error=${km}k)"
printf '| %-40s | %8s | %8s | %8s | %8s | %6s |\n' file "in, ours" "in, GB" GPSBabel ours ratio
printf '|%s|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..42})" ---------- ---------- ---------- ---------- --------
for input in "$@"; do
  name=$(basename "$input")
  case "$name" in
    *.[iI][gG][cC]) format=igc ;;
    *.[gG][pP][xX]) format=gpx ;;
    *) format=nmea ;;
  esac
  mkdir -p "$work/$name.d"
  cp "$input" "$work/$name.d/$name"  # the analysis may write a GPX copy beside it
  read -r ourIn ourKept _ < <("$counter" "$work/$name.d/$name" "$metres" 2>/dev/null) || continue
  [ "$ourIn" = unrecognised ] && continue
  select=()
  if [ $format = igc ]; then
    gpsbabel -t -i igc -f "$input" -x track,name=PRESALTTRK -o unicsv -F "$work/all.csv" 2>/dev/null
    [ "$(rows "$work/all.csv")" -gt 0 ] && select=(-x track,name=PRESALTTRK)
  fi
  gpsbabel -t -i $format -f "$input" "${select[@]}" -o unicsv -F "$work/all.csv" 2>/dev/null || continue
  gpsbabel -t -i $format -f "$input" "${select[@]}" -x simplify,crosstrack,error="${km}k" \
    -o unicsv -F "$work/kept.csv" 2>/dev/null || continue
  theirIn=$(rows "$work/all.csv"); theirKept=$(rows "$work/kept.csv")
  rm -f "$work/all.csv" "$work/kept.csv"
  [ "$theirIn" -gt 0 ] && [ "$ourIn" -gt 0 ] || continue
  ratio=$(LC_ALL=C awk -v a="$ourKept" -v b="$theirKept" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
  printf '| %-40s | %8d | %8d | %8d | %8d | %6s |\n' "$name" "$ourIn" "$theirIn" "$theirKept" "$ourKept" "$ratio"
  if [ "$ourIn" -eq "$theirIn" ] && [ "$ourIn" -ge 20 ]; then
    sums=($((sums[0] + ourIn)) $((sums[1] + theirKept)) $((sums[2] + ourKept)))
    if [ -n "$limit" ] && awk -v a="$ourKept" -v b="$theirKept" -v r="$limit" 'BEGIN { exit !(a > r * b) }'; then
      echo "FAIL $name: $ourKept kept, more than $limit times GPSBabel's $theirKept"
      status=1
    fi
  fi
done
echo "Files both read alike (at least 20 positions): ${sums[0]} positions, GPSBabel keeps ${sums[1]}, we keep ${sums[2]}"
exit $status
