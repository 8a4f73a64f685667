#!/usr/bin/env bash
# Screenshots for the README: runs the life-cycle test (setup from the release
# folder, the journal with its calendar, the search, the password, the help
# viewer, uninst) under Wine and turns its captures into PNG files in
# build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/bootstrap.sh
mkdir -p build/logs
cmake --preset windows >build/logs/windows-configure.log 2>&1
cmake --build --preset windows --target lifecycle_e2e_test >build/logs/screenshots-build.log 2>&1 ||
  { tail -20 build/logs/screenshots-build.log; exit 1; }

out=$root/build/screenshots
rm -rf "$out"
mkdir -p "$out"
source scripts/wine-env.sh
wine_env_init "$root/build/windows"
wine_display_start
trap wine_env_stop EXIT
wine_server_warm
E2E_CAPTURE_DIR=$out wine build/windows/tests/e2e/lifecycle_e2e_test.exe >build/logs/screenshots-run.log 2>&1 ||
  { tail -30 build/logs/screenshots-run.log; exit 1; }
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"/*.png
