#!/usr/bin/env bash
# Builds both trees and runs every test: the portable core natively, the
# Windows programs and their tests under Wine in a private display.
# Ends with one line "N passed, N failed" and a non-zero status on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/bootstrap.sh || { echo "0 passed, 1 failed (bootstrap)"; exit 1; }

passed=0
failed=0
problems=()
mkdir -p build
logs=$root/build/logs
mkdir -p "$logs"

# ctest prints "NN% tests passed, F tests failed out of T".
count_results() {
  local log=$1 tree=$2 line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    problems+=("$tree: ctest gave no summary (see $log)")
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || problems+=("$tree: $bad failed (see $log)")
}

# What each failed test printed (ctest puts it after the test's result line),
# at most 60 lines a test, so that the reason shows without opening the log.
show_failures() {
  awk '/\*\*\*(Failed|Exception|Timeout)/ { out = 1; n = 0; print "---- " $0; next }
       /^ *Start +[0-9]+:|^ *[0-9]+\/[0-9]+ Test/ { out = 0 }
       /tests passed, [0-9]+ tests? failed/ { out = 0 }
       out && n++ < 60 { print "     " $0 }' "$1"
}

build_tree() {
  local preset=$1
  echo "== configure and build: $preset"
  if ! cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1; then
    tail -20 "$logs/$preset-configure.log"
    failed=$((failed + 1)); problems+=("$preset: configure failed (see $logs/$preset-configure.log)")
    return 1
  fi
  if ! cmake --build --preset "$preset" >"$logs/$preset-build.log" 2>&1; then
    grep -E 'error|Error' "$logs/$preset-build.log" | head -20
    failed=$((failed + 1)); problems+=("$preset: build failed (see $logs/$preset-build.log)")
    return 1
  fi
}

if build_tree host; then
  echo "== test: host"
  ctest --preset host 2>&1 | tee "$logs/host-test.log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*'
  count_results "$logs/host-test.log" host
  show_failures "$logs/host-test.log"
fi

if build_tree windows; then
  echo "== test: windows (under Wine)"
  launch_failures=$root/build/windows/wine/launch-failures.log
  rm -f "$launch_failures"
  (
    source scripts/wine-env.sh
    wine_env_init "$root/build/windows" || exit 1
    wine_display_start || exit 1
    trap wine_env_stop EXIT
    wine_server_warm
    # One idle program keeps Wine's desktop up for the whole run, so that each
    # test does not wait for it to start again; wine_env_stop ends it.
    idle=$root/build/windows/tests/e2e/fixture_app.exe
    if [ -f "$idle" ]; then wine "$idle" /idle >"$logs/idle.log" 2>&1 </dev/null & fi
    export VORTA_WINE_READY=1
    ctest --preset windows 2>&1
  ) | tee "$logs/windows-test.log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*'
  count_results "$logs/windows-test.log" windows
  show_failures "$logs/windows-test.log"
  if [ -s "$launch_failures" ]; then
    echo "== programs Wine failed to start and that were started again:"
    cat "$launch_failures"
  fi
fi

for p in "${problems[@]}"; do echo "problem: $p"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
