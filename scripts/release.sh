#!/usr/bin/env bash
# Builds the Windows programs in release mode and assembles what a Windows
# user downloads:
#
#   build/release/mirune2000/          setup.exe vorta.exe vorta.hlp vorta.cnt
#                                      readme.txt uninst.exe
#   build/release/mirune2000-2.05c.zip that folder, zipped
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/bootstrap.sh
mkdir -p build/logs
echo "== building the release (logs in build/logs)"
cmake --preset windows >build/logs/release-configure.log 2>&1 ||
  { tail -20 build/logs/release-configure.log; exit 1; }
cmake --build --preset windows --target release >build/logs/release-build.log 2>&1 ||
  { tail -20 build/logs/release-build.log; exit 1; }
grep -E "Release (folder|zip)" build/logs/release-build.log | sed 's/^-- //'
