#!/usr/bin/env bash
# quarvel-cli.exe under Wine gives the Linux build's answers on every shape of
# a corpus: the tables as JSON, the check's lines, the bytes of the split
# shapes (and their settings files) and of the pictures, with the exit codes.
# Wine needs a display for the pictures' OpenGL (make test-windows gives it
# a virtual one).
#   tests/windows/same_answers.sh WINDOWS_CLI [LINUX_CLI [CORPUS_DIR]]
# LINUX_CLI defaults to $QUARVEL_LINUX_CLI, CORPUS_DIR to $QUARVEL_CORPUS.
# Exits 77 (skipped) without a corpus or a Linux build to compare with, 1
# when an answer differs.
set -euo pipefail

windows_cli=${1:?usage: same_answers.sh WINDOWS_CLI [LINUX_CLI [CORPUS_DIR]]}
linux_cli=${2:-${QUARVEL_LINUX_CLI:-}}
corpus=${3:-${QUARVEL_CORPUS:-}}
if [[ -z $linux_cli || ! -x $linux_cli ]]; then
  echo "same_answers: no Linux quarvel-cli to compare with (make test-windows builds one)"
  exit 77
fi
if [[ -z $corpus || ! -d $corpus ]]; then
  echo "same_answers: QUARVEL_CORPUS is not set: no real shapes to compare"
  exit 77
fi
linux_cli=$(realpath "$linux_cli")
windows_cli=$(realpath "$windows_cli")
export WINEDEBUG=${WINEDEBUG:--all}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/shapes"
find "$corpus" -name '*.s' -type f -exec cp {} "$work/shapes/" \;
chmod -R u+w "$work/shapes"
cd "$work/shapes"
shapes=(*.s)
# A name outside ASCII, folder and file, as a modeller's route may have.
mkdir "Zürich Hbf"
cp "${shapes[0]}" "Zürich Hbf/Güterwagen.s"
shapes+=("Zürich Hbf/Güterwagen.s")

# Both read the shapes by the same relative names; what still differs is how
# each names a folder it made itself (Z:\...\ against /.../).
normalise() { sed -e 's#[A-Z]:\\#/#g' -e 's#\\#/#g' "$@"; }

failed=0
# One call per question and system, over every shape at once: Wine starts
# slowly. "@OUT@" in the arguments becomes a folder of each system's own.
ask() {  # name, then the arguments
  local name=$1 system status
  shift
  for system in linux windows; do
    local arguments=("${@//@OUT@/../$name-$system}") run=("$linux_cli")
    [[ $system == windows ]] && run=(wine "$windows_cli")
    status=0
    "${run[@]}" --lang en "${arguments[@]}" >"../$name.$system.out" 2>"../$name.$system.err" ||
      status=$?
    echo "exit status $status" >>"../$name.$system.out"
  done
  for stream in out err; do
    if ! diff <(normalise "../$name.linux.$stream") <(normalise "../$name.windows.$stream") \
      >"../$name.$stream.diff"; then
      echo "same_answers: $name differs on standard ${stream/err/error} (Linux <, Windows >):"
      head -20 "../$name.$stream.diff"
      failed=1
    fi
  done
  if [[ -d ../$name-linux || -d ../$name-windows ]] &&
    ! diff -r "../$name-linux" "../$name-windows" >"../$name.files.diff"; then
    echo "same_answers: $name writes other files or bytes:"
    head -20 "../$name.files.diff"
    failed=1
  fi
}

ask info --info --json "${shapes[@]}"
ask check --check "${shapes[@]}"
# With each shape's own plan (none here: one LOD, one sub-object), and with a
# set plan split within the vertex limit; compressed shapes stay compressed.
ask split-default --do generate --out-dir @OUT@ "${shapes[@]}"
ask split-plan --lods 3 --distances 100,500,2000 --auto-split --do generate \
  --out-dir @OUT@ "${shapes[@]}"
ask merged --points-tolerance 0.001 --normals-tolerance 0.01 \
  --do merge-points,merge-normals,fix-materials --format text --out-dir @OUT@ "${shapes[@]}"
# The pictures, drawn by the same software renderer through Wine's OpenGL.
ask pictures --render-png x.png --size 240x160 --out-dir @OUT@ "${shapes[@]}"
# A shape on standard output keeps its bytes (no CR before an LF byte).
ask standard-output --format binary -o - "${shapes[0]}"

count=$(ls ../split-plan-linux 2>/dev/null | wc -l)
if ((failed)); then
  echo "same_answers: the Windows build answers otherwise (${#shapes[@]} shapes)"
  exit 1
fi
echo "same_answers: the same answers on ${#shapes[@]} shapes ($count files split by plan)"
