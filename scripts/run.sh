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
cp build/windows/journal/vorta.exe "$demo/"
build/host/tools/make_demo_data "$demo/DATA" "$(date +%Y)" "$(date +%-m)" "$(date +%-d)"

source scripts/wine-env.sh
user_display=${DISPLAY:-}
wine_env_init "$root/build/windows"
trap wine_env_stop EXIT

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
geometry=$(xwininfo -root -tree | grep '"ミルネ2000"' | head -1 |
  sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+(-?[0-9]+)\+(-?[0-9]+).*/\1x\2+\5+\6/')
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$demo/journal.png"
echo "screenshot: $demo/journal.png"
