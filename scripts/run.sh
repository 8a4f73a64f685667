#!/usr/bin/env bash
# Builds the journal and starts it under Wine from a demo installation:
# build/demo/ holds vorta.exe beside a DATA folder of sample entries.
#
# With a display (DISPLAY set) the journal opens there; close it to end.
# Without one it runs in a private Xvfb, a screenshot of its window is saved
# as build/demo/journal.png and the program is closed again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/bootstrap.sh
mkdir -p build/logs
echo "== building (logs in build/logs)"
cmake --preset host >build/logs/host-configure.log 2>&1
cmake --build --preset host --target make_demo_data >build/logs/host-build.log 2>&1 ||
  { tail -20 build/logs/host-build.log; exit 1; }
cmake --preset windows >build/logs/windows-configure.log 2>&1
cmake --build --preset windows --target vorta >build/logs/windows-build.log 2>&1 ||
  { tail -20 build/logs/windows-build.log; exit 1; }

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/DATA"
cp build/windows/bin/vorta.exe "$demo/"
build/host/tools/make_demo_data "$demo/DATA" "$(date +%Y)" "$(date +%-m)" "$(date +%-d)"

source scripts/wine-env.sh
user_display=${DISPLAY:-}
wine_env_init "$root/build/windows"
trap wine_env_stop EXIT

# The demo's own settings, written afresh each run: the journal near the top
# left corner and its calendar open beside it.
profile_dir=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tavelo-soft/vorta95
mkdir -p "$profile_dir"
printf '[WINDOW]\r\nX=20\r\nY=20\r\n[CAL_WINDOW]\r\nX=620\r\nY=20\r\nDisp=1\r\n' >"$profile_dir/vorta.INI"

if [ -n "$user_display" ]; then
  echo "== starting the journal on $user_display"
  wine_server_warm
  wine "$demo/vorta.exe" >"$demo/wine.log" 2>&1
  exit 0
fi

echo "== no display: starting the journal in a private Xvfb"
wine_display_start
wine_server_warm
wine "$demo/vorta.exe" >"$demo/wine.log" 2>&1 &
for _ in $(seq 1 50); do
  sleep 0.2
  if xwininfo -root -tree 2>/dev/null | grep -q '"ミルネ2000"'; then break; fi
done
sleep 1  # let it finish painting
# The journal and its calendar ("[YYYY年M月]") together: the box around both.
geometry=$(xwininfo -root -tree | grep -E '"ミルネ2000"|"\[[0-9]+年[0-9]+月\]"' |
  sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \5 \6/' |
  awk 'NR == 1 { l = $3; t = $4; r = $3 + $1; b = $4 + $2 }
       { if ($3 < l) l = $3; if ($4 < t) t = $4; if ($3 + $1 > r) r = $3 + $1; if ($4 + $2 > b) b = $4 + $2 }
       END { if (NR) printf "%dx%d+%d+%d", r - l, b - t, l, t }')
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$demo/journal.png"
echo "screenshot: $demo/journal.png"
