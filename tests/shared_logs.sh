#!/usr/bin/env bash
# Runs a test over the real logs of the shared acceptance data, which lives
# outside the repository: the files of the named folders are appended to
# the command. Without them the test says so and counts as skipped (77), so
# the suite has the same tests in every clone.
#   shared_logs.sh TESTDATA_DIR FOLDER[,FOLDER...] -- COMMAND [ARG...]
set -u
dir=$1 folders=$2
shift 2
[ "${1:-}" = -- ] && shift
logs=()
for folder in ${folders//,/ }; do
  for f in "$dir/$folder"/*; do
    case $f in *_CRLF.gpx) continue ;; esac  # copies a conversion made
    [ -f "$f" ] && logs+=("$f")
  done
done
if [ ${#logs[@]} -eq 0 ]; then
  echo "no shared test data in $dir ($folders): skipped"
  exit 77
fi
exec "$@" "${logs[@]}"
