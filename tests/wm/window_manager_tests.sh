#!/usr/bin/env bash
# The main window as a window manager sees it: placement kept exactly from
# one start to the next (decorated or not, maximised or not), a failed start
# that maps no window but its message, full paths in the recent list.
# Runs on a display of its own (Xvfb) with openbox, the way a person meets it.
#
# usage: window_manager_tests.sh VELMOR_BINARY SAMPLE_PICTURE
set -uo pipefail
[ -n "${VELMOR_WM_TRACE:-}" ] && { exec 9>"$VELMOR_WM_TRACE"; BASH_XTRACEFD=9; set -x; }

if [ -z "${VELMOR_WM_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" env VELMOR_WM_DISPLAY=1 "$0" "$@"
fi

VELMOR="$(realpath "$1")"
SAMPLE="$(realpath "$2")"
WORK="$(mktemp -d)"
CONF="$WORK/cfg/Tolvane/Velmor.conf"
export XDG_CONFIG_HOME="$WORK/cfg"
export NO_AT_BRIDGE=1
failures=0 passes=0 wm_pid="" app_pid="" watch_pid=""

cleanup() {
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL [$case_name]: $*"; case_ok=0; }
expect_eq() { [ "$2" = "$3" ] || fail "$1: expected '$3', got '$2'"; }

start_wm() {
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  echo "openbox did not start"; exit 1
}
stop_wm() { kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null; wm_pid=""; sleep 0.2; }

# seed LEFT TOP WIDTH HEIGHT ZOOM: a settings file as a previous session left it.
seed() {
  rm -rf "$WORK/cfg"; mkdir -p "$(dirname "$CONF")"
  [ $# -eq 0 ] && return 0
  printf 'WinLeft=%s\nWinTop=%s\nWinWidth=%s\nWinHeight=%s\nWinZoom=%s\nDlgRight=1\n' "$@" > "$CONF"
}
setting() { sed -n "s/^$1=//p" "$CONF" 2>/dev/null | head -1; }
stored_rect() { echo "$(setting WinLeft) $(setting WinTop) $(setting WinWidth) $(setting WinHeight)"; }

# Records what the screen sees; mapped_windows then lists the windows mapped
# (not override-redirect) with the size each had when it mapped.
watch_maps() {
  xev -root -event substructure > "$WORK/events" 2>/dev/null &
  watch_pid=$!
  sleep 0.3
}
stop_watch() { sleep 0.2; kill "$watch_pid" 2>/dev/null; wait "$watch_pid" 2>/dev/null; watch_pid=""; }
mapped_windows() {
  awk '
    function window_id() { match($0, /, window 0x[0-9a-f]+/); return substr($0, RSTART + 9, RLENGTH - 9) }
    /^ConfigureNotify/ { getline; id = window_id(); match($0, /width [0-9]+, height [0-9]+/)
                         split(substr($0, RSTART, RLENGTH), f, /[ ,]+/); size[id] = f[2] "x" f[4] }
    /^MapNotify/ { getline; if ($0 ~ /override NO/) { id = window_id(); print id, size[id] } }' "$WORK/events"
}

launch() {
  "$VELMOR" "$@" >"$WORK/stderr" 2>&1 &
  app_pid=$!
}
# The main frame's client window, once visible.
main_window() {
  local w
  for _ in $(seq 200); do
    w="$(xdotool search --onlyvisible --pid "$app_pid" --name ' - ヴェルモア$' 2>/dev/null | head -1)"
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.05
  done
  return 1
}
# The window's outer rectangle "LEFT TOP WIDTH HEIGHT", decorations included.
outer_rect() {
  local info ext l=0 r=0 t=0 b=0 x y w h
  info="$(xwininfo -id "$1" 2>/dev/null)"
  x="$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")"
  y="$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
  w="$(sed -n 's/^ *Width: *//p' <<<"$info")"
  h="$(sed -n 's/^ *Height: *//p' <<<"$info")"
  ext="$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')"
  [ -n "$ext" ] && IFS=, read -r l r t b <<<"$ext"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# Waits until the rectangle stops changing (the window manager has done).
settled_rect() {
  local last="" now
  for _ in $(seq 60); do
    now="$(outer_rect "$1")"
    [ "$now" = "$last" ] && { echo "$now"; return 0; }
    last="$now"; sleep 0.15
  done
  echo "$now"
}
# Closes the window as a person does: Alt+F4 through the window manager
# (SIGTERM, as at logout, when there is none).
close_app() {
  if [ -n "$wm_pid" ]; then
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
  else
    kill -TERM "$app_pid"
  fi
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$app_pid" 2>/dev/null; then fail "the program did not end on close"; kill -KILL "$app_pid"; fi
  wait "$app_pid" 2>/dev/null
  app_pid=""
}
is_maximised() { xprop -id "$1" _NET_WM_STATE | grep -q '_NET_WM_STATE_MAXIMIZED_VERT.*_NET_WM_STATE_MAXIMIZED_HORZ\|_NET_WM_STATE_MAXIMIZED_HORZ.*_NET_WM_STATE_MAXIMIZED_VERT'; }

run_case() {
  case_name="$1"; shift
  case_ok=1
  "$@"
  if [ "$case_ok" -eq 1 ]; then echo "ok   [$case_name]"; passes=$((passes + 1)); else failures=$((failures + 1)); fi
  [ -n "$app_pid" ] && { kill -KILL "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; app_pid=""; }
}

# --- placement ---------------------------------------------------------------

# Start, close, start: the same outer rectangle each time, and that is what is stored.
round_trip() {
  local expected="$1" first second w
  launch; w="$(main_window)" || { fail "no main window"; return; }
  first="$(settled_rect "$w")"
  [ -z "$expected" ] || expect_eq "first start" "$first" "$expected"
  close_app "$w"
  expect_eq "stored after first start" "$(stored_rect)" "$first"
  launch; w="$(main_window)" || { fail "no main window at the second start"; return; }
  second="$(settled_rect "$w")"
  expect_eq "second start" "$second" "$first"
  close_app "$w"
  expect_eq "stored after second start" "$(stored_rect)" "$first"
}

# Moved and resized by the person: the new rectangle comes back.
moved_and_resized() {
  local w moved
  launch; w="$(main_window)" || { fail "no main window"; return; }
  settled_rect "$w" >/dev/null
  xdotool windowmove "$w" 150 120 windowsize "$w" 700 520
  moved="$(settled_rect "$w")"
  close_app "$w"
  expect_eq "stored after the move" "$(stored_rect)" "$moved"
  launch; w="$(main_window)" || { fail "no main window at the second start"; return; }
  expect_eq "next start" "$(settled_rect "$w")" "$moved"
  close_app "$w"
}

# A maximised start maps maximised, keeps the normal rectangle for later and
# gives it back when the person restores the window.
maximised_start() {
  local w rect x y
  watch_maps
  launch; w="$(main_window)" || { fail "no main window"; stop_watch; return; }
  rect="$(settled_rect "$w")"
  stop_watch
  is_maximised "$w" || fail "not maximised"
  expect_eq "sizes at mapping" "$(mapped_windows | awk '{print $2}')" "1600x1200"
  close_app "$w"
  expect_eq "stored while maximised" "$(stored_rect) $(setting WinZoom)" "300 200 640 480 1"
  launch; w="$(main_window)" || { fail "no main window at the second start"; return; }
  settled_rect "$w" >/dev/null
  # A double click on the title bar restores the window (openbox's default).
  read -r x y _ <<<"$(outer_rect "$w")"
  xdotool mousemove $((x + 400)) $((y + 8)) click --repeat 2 --delay 80 1
  sleep 0.3
  is_maximised "$w" && fail "still maximised after the double click"
  expect_eq "restored" "$(settled_rect "$w")" "300 200 640 480"
  close_app "$w"
  expect_eq "stored after restoring" "$(stored_rect) $(setting WinZoom)" "300 200 640 480 0"
}

# --- failed start ------------------------------------------------------------

# The message is the one window that ever maps; the program then ends.
failed_start() {
  local arg="$1" w status
  watch_maps
  launch "$arg"
  for _ in $(seq 200); do
    w="$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | head -1)"
    [ -n "$w" ] && break; sleep 0.05
  done
  [ -n "$w" ] || { fail "no message appeared"; stop_watch; return; }
  sleep 0.3
  xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q DIALOG || fail "the visible window is not the message"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the message"
  wait "$app_pid"; status=$?; app_pid=""
  stop_watch
  [ "$status" -ne 0 ] || fail "exit status 0 after a failed start"
  expect_eq "windows mapped" "$(mapped_windows | wc -l | tr -d ' ')" "1"
}

# --- recent list -------------------------------------------------------------

# A relative argument is stored as the full path.
relative_path() {
  local w
  mkdir -p "$WORK/pictures"
  cp "$SAMPLE" "$WORK/pictures/cat.png"
  ( cd "$WORK" && exec "$VELMOR" pictures/cat.png >"$WORK/stderr" 2>&1 ) &
  app_pid=$!
  w="$(main_window)" || { fail "no main window"; return; }
  close_app "$w"
  expect_eq "recent file 1" "$(sed -n 's/^File1=//p' "$CONF")" "$WORK/pictures/cat.png"
}

# --- the cases ---------------------------------------------------------------

start_wm
seed;                              run_case "default place, decorated" round_trip ""
seed 100 80 800 600 0;             run_case "stored place, decorated" round_trip "100 80 800 600"
seed 0 0 1024 768 0;               run_case "top-left corner, decorated" round_trip "0 0 1024 768"
seed 100 80 800 600 0;             run_case "moved and resized" moved_and_resized
seed 300 200 640 480 1;            run_case "maximised start" maximised_start
seed;                              run_case "missing picture" failed_start "$WORK/none.png"
printf 'not a picture\n' > "$WORK/notes.png"
seed;                              run_case "not a picture" failed_start "$WORK/notes.png"
seed;                              run_case "relative path" relative_path
stop_wm
seed 100 80 800 600 0;             run_case "stored place, no window manager" round_trip "100 80 800 600"

echo "window manager tests: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
