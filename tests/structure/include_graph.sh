#!/usr/bin/env bash
# The folders of src/ as layers: prints which folders each one includes and
# fails when an arrow runs back up. The core (everything below the window
# model) never includes the window model, the Qt window or the command line;
# the command line drives the session, never the window model; the window's
# string grids stay in the window model.
set -euo pipefail
src="${1:-$(dirname "$0")/../../src}"
cd "$src"

core="common format shape ports plan assignment cleanup generation settings simtools document ui session view"
status=0

includes_of() {  # the folders the files of folder $1 include, one per line
  grep -ho '#include "[a-z]*/' "$1"/*.h "$1"/*.cpp 2>/dev/null |
    sed 's/#include "//; s#/$##' | grep -vx "$1" | sort -u || true
}

refuse() {  # folder, forbidden include pattern, why
  local hits
  hits=$(grep -n "#include \"$2" "$1"/*.h "$1"/*.cpp 2>/dev/null || true)
  if [ -n "$hits" ]; then
    echo "include_graph: $1 must not include $2 ($3):"
    echo "$hits" | sed 's/^/  /'
    status=1
  fi
}

for folder in */; do
  folder=${folder%/}
  echo "$folder -> $(includes_of "$folder" | tr '\n' ' ')"
done

for folder in $core; do
  [ -d "$folder" ] || continue
  for upper in form/ app/ cli/; do refuse "$folder" "$upper" "the core stays below its clients"; done
done
refuse cli form/ "the command line drives the session"
# The pages of the printout are the one piece of the Qt side the command line
# links, as its PDF printer.
for file in cli/*.h cli/*.cpp; do
  grep -n '#include "app/' "$file" | grep -v '"app/PdfPrinter.h"' |
    sed "s#^#include_graph: cli must not include app/ except the PDF printer: $file:#" |
    grep . && status=1
done

[ "$status" = 0 ] && echo "include_graph: no arrow runs back up"
exit "$status"
