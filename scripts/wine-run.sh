#!/usr/bin/env bash
# Runs a Windows program under our Wine environment: ctest's emulator for the
# windows tree. Inside scripts/test.sh the environment is already up; run by
# hand, this brings it up for the one program and takes it down afterwards.
#
# Now and then Wine fails to start a program at all: it ends at once with an
# error and the program has written nothing. Such a start is tried again (at
# most twice) and written to launch-failures.log in the Wine folder, which
# scripts/test.sh shows at the end of its run. A program that started and
# failed is never run again: every test program writes its first lines before
# it runs a test.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

out=$(mktemp) err=$(mktemp)
cleanup() { rm -f "$out" "$err"; }
if [ -z "${VORTA_WINE_READY:-}" ]; then
  wine_env_init "${VORTA_WINDOWS_BUILD:-$VORTA_ROOT/build/windows}" || exit 1
  wine_display_start || exit 1
  cleanup() { rm -f "$out" "$err"; wine_env_stop; }
  wine_server_warm
fi
trap cleanup EXIT

for attempt in 1 2 3; do
  start=$(date +%s%N)
  # Both streams go on to the caller as they come and are kept to be looked at.
  wine "$@" 2> >(tee "$err" >&2) | tee "$out"
  rc=${PIPESTATUS[0]}
  wait
  if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 3 ]; then break; fi
  {
    echo "$(date -u +%FT%TZ) exit $rc after $(( ($(date +%s%N) - start) / 1000000 )) ms, no output: $*"
    sed 's/^/  stderr: /' "$err"
  } >>"$WINE_BASE/launch-failures.log"
  echo "wine-run: the program did not start (exit $rc); starting it again" >&2
done
exit "$rc"
