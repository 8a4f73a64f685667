#!/usr/bin/env bash
# Runs a Windows program under our Wine environment: ctest's emulator for the
# windows tree. Inside scripts/test.sh the environment is already up; run by
# hand, this brings it up for the one program and takes it down afterwards.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ -z "${VORTA_WINE_READY:-}" ]; then
  wine_env_init "${VORTA_WINDOWS_BUILD:-$VORTA_ROOT/build/windows}" || exit 1
  wine_display_start || exit 1
  trap wine_env_stop EXIT
  wine_server_warm
fi

wine "$@"
exit $?
