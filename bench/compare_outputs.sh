#!/usr/bin/env bash
# Checks that two builds of quarvel-cli write the same bytes for every shape of
# a corpus: exit code, standard output and error, and every file a run leaves.
#   bench/compare_outputs.sh OLD_CLI NEW_CLI [CORPUS_DIR]
# CORPUS_DIR defaults to $QUARVEL_CORPUS; COMPARE_TIMEOUT (seconds, default
# 120) bounds each run. Exits 1 when any run differs, 2 on wrong usage.
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
  sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
old_cli=$(realpath "$1")
new_cli=$(realpath "$2")
corpus=${3:-${QUARVEL_CORPUS:-}}
corpus=${corpus%/}
[[ -x $old_cli && -x $new_cli ]] || { echo "compare_outputs: OLD_CLI and NEW_CLI must be executables" >&2; exit 2; }
[[ -n $corpus && -d $corpus ]] || { echo "compare_outputs: no corpus folder (give CORPUS_DIR or set QUARVEL_CORPUS)" >&2; exit 2; }
limit=${COMPARE_TIMEOUT:-120}

# The printout needs Qt without a screen; an empty config folder keeps a
# user's own settings from reaching one build and not the other.
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

if ! command -v pdftotext >/dev/null || ! command -v pdfinfo >/dev/null; then
  echo "compare_outputs: installing poppler-utils for the PDF comparison" >&2
  sudo=$([[ $(id -u) == 0 ]] || echo sudo)
  $sudo apt-get update -qq >/dev/null
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends poppler-utils >/dev/null
fi

# The verbs come from the old build's own usage text, so a renamed or added
# command shows up as a difference instead of being silently skipped.
verbs_of() { { "$1" --help 2>/dev/null || true; } | sed -n 's/^ *--do CMD.*: *//p' | tr -d ' '; }
verbs=$(verbs_of "$old_cli")
[[ -n $verbs ]] || { echo "compare_outputs: no --do verbs in $old_cli --help" >&2; exit 2; }
help_differs=0
if [[ $(verbs_of "$new_cli") != "$verbs" ]]; then
  echo "--help: verbs differ: old '$verbs', new '$(verbs_of "$new_cli")'"
  help_differs=1
fi

cases=(generate lods-split)
declare -A args=(
  [generate]='--do generate -o out.s'
  [lods-split]='--lods 3 --distances 100,500,2000 --auto-split --force-limit --do generate -o out.s'
  [all-verbs]="--do $verbs -o out.s"
  [info-json]='--info --json'
  [check]='--check'
  [print-pdf]='--print-pdf out.pdf'
  [in-place]='--do generate --in-place'
  # A plan saved beside the shape, then read back by the next runs.
  [settings]='--lods 2 --distances 300,2000 --auto-split --force-limit --in-place ;; --info --json ;; --print-pdf out.pdf'
)
IFS=, read -ra verb_list <<<"$verbs"
for verb in "${verb_list[@]}"; do
  [[ $verb == generate ]] && continue
  cases+=("$verb")
  args[$verb]="--do $verb -o out.s"
done
cases+=(all-verbs info-json check print-pdf in-place settings)

declare -A wall_us=([old]=0 [new]=0)
# Runs one build on a fresh copy of the shape, once per " ;; "-separated
# step of the case; leaves run dir, the last rc, stdout and stderr (temp dir
# and build folder replaced by placeholders) under $work/$side.
run_one() {
  local side=$1 cli=$2 shape=$3 case=$4 dir start
  rm -rf "${work:?}/$side"
  mkdir -p "$work/$side"
  dir=$(mktemp -d "$work/$side/run.XXXXXX")
  # Shapes are usually writable where users keep them, whatever the corpus's modes.
  cp "$shape" "$dir/"
  chmod u+w "$dir/$(basename "$shape")"
  local -a extra
  local step steps=${args[$case]}
  : >"$work/$side/out.raw"
  : >"$work/$side/err.raw"
  start=${EPOCHREALTIME/./}
  while [[ -n $steps ]]; do
    step=${steps%% ;; *}
    [[ $step == "$steps" ]] && steps='' || steps=${steps#* ;; }
    read -ra extra <<<"$step"
    (cd "$dir" && exec timeout "$limit" "$cli" "$(basename "$shape")" "${extra[@]}") \
      >>"$work/$side/out.raw" 2>>"$work/$side/err.raw" </dev/null && echo 0 >"$work/$side/rc" || echo $? >"$work/$side/rc"
  done
  wall_us[$side]=$((wall_us[$side] + ${EPOCHREALTIME/./} - start))
  local quoted_dir quoted_bin
  quoted_dir=$(printf '%s' "$dir" | sed 's/[][\.*^$/]/\\&/g')
  quoted_bin=$(printf '%s' "$(dirname "$cli")" | sed 's/[][\.*^$/]/\\&/g')
  for stream in out err; do
    sed -e "s/$quoted_dir/<TMP>/g" -e "s/$quoted_bin/<BIN>/g" "$work/$side/$stream.raw" >"$work/$side/$stream"
  done
  mv "$dir" "$work/$side/dir"
}

# A printout carries the moment it was made, in its metadata and in each
# page's header, so two runs a second apart never match byte for byte; the
# text as laid out, that stamp masked, and the page count still prove the
# same printout.
pdf_text() {
  pdftotext -layout "$1" - 2>&1 |
    sed -E 's/[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}(:[0-9]{2})?/<DATE>/g'
}
same_pdf_content() {
  cmp -s <(pdf_text "$1") <(pdf_text "$2") &&
    [[ $(pdfinfo "$1" 2>/dev/null | grep '^Pages:') == "$(pdfinfo "$2" 2>/dev/null | grep '^Pages:')" ]]
}

mapfile -t shapes < <(find "$corpus" -type f -name '*.s' | LC_ALL=C sort)
[[ ${#shapes[@]} -gt 0 ]] || { echo "compare_outputs: no *.s in $corpus" >&2; exit 2; }
runs=0 identical=0 pdf_normalised=0
for shape in "${shapes[@]}"; do
  label=${shape#"$corpus"/}
  for case in "${cases[@]}"; do
    run_one old "$old_cli" "$shape" "$case"
    run_one new "$new_cli" "$shape" "$case"
    runs=$((runs + 1))
    what=()
    read -r rc_old <"$work/old/rc"
    read -r rc_new <"$work/new/rc"
    [[ $rc_old == "$rc_new" ]] || what+=("exit $rc_old vs $rc_new")
    [[ $rc_old == 124 || $rc_new == 124 ]] && what+=("timed out after ${limit}s")
    cmp -s "$work/old/out" "$work/new/out" || what+=(stdout)
    cmp -s "$work/old/err" "$work/new/err" || what+=(stderr)
    files_old=$(cd "$work/old/dir" && find . -mindepth 1 -printf '%y %m %P\n' | LC_ALL=C sort)
    files_new=$(cd "$work/new/dir" && find . -mindepth 1 -printf '%y %m %P\n' | LC_ALL=C sort)
    if [[ $files_old != "$files_new" ]]; then
      only=$({ diff <(echo "$files_old") <(echo "$files_new") || true; } |
        sed -n 's/^< /old only: /p; s/^> /new only: /p' | paste -sd, -)
      what+=("files ${only//,/, }")
    fi
    while read -r type _ name; do
      [[ $type == f && -f $work/new/dir/$name ]] || continue
      cmp -s "$work/old/dir/$name" "$work/new/dir/$name" && continue
      if [[ $name == *.pdf ]] && same_pdf_content "$work/old/dir/$name" "$work/new/dir/$name"; then
        echo "$label  $case: $name bytes differ (time stamp); same pdftotext -layout text and pdfinfo page count"
        pdf_normalised=$((pdf_normalised + 1))
      else
        what+=("$name")
      fi
    done <<<"$files_old"
    if [[ ${#what[@]} -eq 0 ]]; then
      identical=$((identical + 1))
    else
      joined=$(IFS=';'; echo "${what[*]}")
      printf '%s  %s: %s\n' "$label" "$case" "${joined//;/; }"
    fi
  done
done

differ=$((runs - identical))
printf 'compare_outputs: wall time old %d.%03d s, new %d.%03d s\n' \
  $((wall_us[old] / 1000000)) $((wall_us[old] / 1000 % 1000)) $((wall_us[new] / 1000000)) $((wall_us[new] / 1000 % 1000))
((pdf_normalised == 0)) || echo "compare_outputs: $pdf_normalised PDF(s) differing in bytes were compared by text (time stamp masked) and page count"
echo "compare_outputs: ${#shapes[@]} shapes x ${#cases[@]} cases = $runs runs, $identical identical, $differ differing"
((differ == 0 && help_differs == 0))
