#!/usr/bin/env bash
# Starts build/win64/Kestor.exe under Wine, in the persistent prefix build/run/prefix, with build/run/
# as its start-up directory (its list files land there). With a display the program simply runs there.
# Without one, a virtual display is started, the main window is opened from the tray once it is up,
# and a screenshot is saved to build/run/kestor.png; the program then runs on, invisibly, until it
# exits or Ctrl-C ends it (Ctrl-C also ends the prefix's Wine processes and the virtual display).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
run_dir=$root/build/run
wine=/usr/lib/wine/wine64
driver=$root/build/win64/kdriver.exe

export WINEPREFIX=$run_dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 TZ=${TZ:-Asia/Shanghai}
mkdir -p "$run_dir"

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number and writes it to the descriptor once it accepts clients.
  exec {fd}< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
  read -r -u "$fd" _ xvfb_pid
  read -r -t 20 -u "$fd" display_number || { echo "run: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$display_number
  echo "run: no DISPLAY, using Xvfb on $DISPLAY"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: making the Wine prefix $WINEPREFIX (once, about 15 s)"
  "$wine" wineboot -i >/dev/null 2>&1
  wineserver -w
fi

cd "$run_dir"
"$wine" "$root/build/win64/Kestor.exe" >>"$run_dir/wine.log" 2>&1 &
kestor_pid=$!
echo "run: Kestor.exe started (Wine output in build/run/wine.log)"

if [ -n "$xvfb_pid" ]; then
  drv() { "$wine" "$driver" "$@"; }
  if drv wait-window Kestor --has-tab --timeout 60000 >/dev/null; then
    # The sheet hides itself after a moment; a double-click on the tray icon shows it again.
    drv post Kestor 0x40A 101 0x203 --has-tab  # WM_USER+10, the icon's callback; WM_LBUTTONDBLCLK
    drv wait-window Kestor --has-tab --visible --timeout 10000 >/dev/null || true
    sleep 1  # let the pages paint before the picture is taken
  else
    echo "run: the main window did not appear; the screenshot shows what is there" >&2
  fi
  # import, not xwd -root: xwd pieces Wine's windows together one by one and shows a window that lies
  # inside a bigger one of the same program as a black rectangle.
  /usr/bin/import -silent -window root "$run_dir/kestor.png"
  echo "run: screenshot saved to build/run/kestor.png; Ctrl-C ends the program"
fi

wait "$kestor_pid" || true
