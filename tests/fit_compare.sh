#!/usr/bin/env bash
# Compares our reading of FIT files with fit-file-parser's (installed by
# scripts/install-deps into web/tests/node_modules) and GPSBabel's; see
# fit_compare.mjs. Skipped (77) without Node.js or fit-file-parser.
#   fit_compare.sh NODE_MODULES CLI FIT...
set -u
modules=$1
command -v node >/dev/null || { echo "no node: skipped"; exit 77; }
[ -f "$modules/fit-file-parser/package.json" ] || { echo "no fit-file-parser in $modules: skipped"; exit 77; }
exec node "$(dirname "$0")/fit_compare.mjs" "$@"
