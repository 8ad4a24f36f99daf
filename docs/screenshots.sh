#!/usr/bin/env bash
# The README's pictures of the window: a release build is installed into a
# temporary prefix and started under a virtual display on shapes of the
# corpus, once in German and once in English, and each picture is saved into
# docs/ beside this script.
#   docs/screenshots.sh [BUILD_DIR]   (default build/package; `make screenshots`
#                                      builds it and installs the tools)
# Needs Xvfb, xdotool and ImageMagick, and QUARVEL_CORPUS naming the corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build/package}")
corpus="${QUARVEL_CORPUS:?QUARVEL_CORPUS must name the folder of the corpus shapes}"
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (make screenshots installs it)" >&2; exit 1; }
done

work=$(mktemp -d -t quarvel.XXXXXX)
display=:${QUARVEL_SCREENSHOT_DISPLAY:-99}
xvfb=
window_pid=
cleanup() {
  [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The installed layout: the window reads its language file from the prefix
# and the language chosen from the configuration folder, which this run owns.
cmake --install "$build" --prefix "$work/usr" >/dev/null
export XDG_CONFIG_HOME="$work/config" HOME="$work" DISPLAY="$display"
mkdir -p "$XDG_CONFIG_HOME/quarvel"
# Copies, so that nothing the window writes beside a shape reaches the corpus.
for shape in unionstop.s upsz845624.s; do cp "$corpus/$shape" "$work/"; done

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!

# Waits up to 30 s for a visible window whose name matches $1; prints its id.
wait_for() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  echo "screenshots: no window \"$1\" appeared" >&2
  exit 1
}

# The windows the program shows, by id, each with its geometry:
# "ID WIDTH HEIGHT X Y", the widest (the main window) first.
windows_shown() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$window_pid" 2>/dev/null || true); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    # Qt's own helper windows are a few pixels wide.
    [ "$WIDTH" -lt 100 ] || echo "$id $WIDTH $HEIGHT $X $Y"
  done | sort -k2,2nr
}

# picture LANGUAGE SHAPE PAGE NAME: the window in LANGUAGE with SHAPE open on
# its PAGE-th tab (0 the first), saved as docs/NAME.png.
picture() {
  local language=$1 shape=$2 page=$3 name=$4 window= width height x y
  printf '[Languages]\r\nLanguage=%s\r\n' "$language" >"$XDG_CONFIG_HOME/quarvel/Quarvel_L.INI"
  (cd "$work" && exec "$work/usr/bin/quarvel") >"$work/window.log" 2>&1 &
  window_pid=$!
  for _ in $(seq 300); do
    window=$(windows_shown | head -1 | cut -d' ' -f1)
    [ -z "$window" ] || break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "screenshots: the window did not appear" >&2; exit 1; }
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+o
  wait_for '^(Open|Öffnen)$' >/dev/null
  xdotool type --delay 5 "$work/$shape"
  xdotool key Return
  wait_for "\\[ ${shape//./\\.} \\]" >/dev/null
  sleep 1
  # A shape that raises a message makes no picture for the README.
  if [ "$(windows_shown | wc -l)" != 1 ]; then
    echo "screenshots: opening $shape showed a message" >&2
    exit 1
  fi
  # Ctrl+Tab turns the pages once the focus is on one of them: the element
  # table's empty part, whatever the captions' widths in this language.
  xdotool mousemove --window "$window" 150 300 click 1
  for _ in $(seq "$page"); do xdotool key ctrl+Tab; done
  sleep 2
  # From the screen, not by the window's id: `import` given a window that
  # has gone waits for a click instead.
  read -r _ width height x y <<<"$(windows_shown | head -1)"
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$work/$name.png"
  # In fewer colours: small enough for the repository.
  convert "$work/$name.png" -strip -colors 192 "PNG8:$here/$name.png"
  kill "$window_pid"
  wait "$window_pid" 2>/dev/null || true
  window_pid=
  echo "docs/$name.png"
}

picture Deutsch unionstop.s 0 window-de
picture English upsz845624.s 3 view-en
picture English unionstop.s 2 settings-en
