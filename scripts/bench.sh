#!/usr/bin/env bash
# Times the full-text search, vorta-search, against GNU grep on a generated
# 50-year diary (about 40 MB of text), and one search of a 100-year diary of
# 5119-byte entries (about 190 MB) for its time and peak memory.
#
#   scripts/bench.sh [--runs N] [--no-large] [--keep-large] [--grep-vs-grep]
#
#   --runs N        timed runs of each command, the best kept (default 15)
#   --no-large      skip the 100-year diary
#   --keep-large    keep the 100-year diary in build/bench/ for the next run
#                   (it is deleted after the run otherwise: about 375 MB with
#                   its decoded copy)
#   --grep-vs-grep  run grep in vorta-search's place, to check the harness
#
# The diaries are generated under build/bench/ and kept there while the
# generator would write the same bytes (its --describe line). Prints the table
# of search_bench; exits non-zero only when something fails to build or run,
# never because of a figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

runs=15
large=1
keep_large=0
grep_vs_grep=0
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs takes a number}; shift 2 ;;
    --no-large) large=0; shift ;;
    --keep-large) keep_large=1; shift ;;
    --grep-vs-grep) grep_vs_grep=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench: unknown option $1 (see scripts/bench.sh --help)" >&2; exit 2 ;;
  esac
done

scripts/bootstrap.sh

logs=$root/build/logs
mkdir -p "$logs"
echo "== configure and build: host"
if ! cmake --preset host >"$logs/bench-configure.log" 2>&1; then
  tail -20 "$logs/bench-configure.log" >&2
  echo "bench: configuring the host tree failed (see $logs/bench-configure.log)" >&2
  exit 1
fi
if ! cmake --build --preset host -j2 >"$logs/bench-build.log" 2>&1; then
  grep -E 'error|Error' "$logs/bench-build.log" | head -20 >&2
  echo "bench: building the host tree failed (see $logs/bench-build.log)" >&2
  exit 1
fi

generator=$root/build/host/bench/make_bench_diary
search_bench=$root/build/host/bench/search_bench
vorta=$root/build/host/tools/vorta-search
if [ "$grep_vs_grep" -eq 0 ] && [ ! -x "$vorta" ]; then
  echo "bench: vorta-search is not built: $vorta is missing." >&2
  echo "bench: scripts/bench.sh --grep-vs-grep checks the harness with grep in its place." >&2
  exit 1
fi

work=$root/build/bench
mkdir -p "$work"

# make_diary FOLDER OPTIONS...: generates the diary unless FOLDER already holds
# one the generator describes the same way.
make_diary() {
  local folder=$1
  shift
  local want
  want=$("$generator" --describe "$@")
  if [ -f "$folder/generator.txt" ] && [ "$(cat "$folder/generator.txt")" = "$want" ]; then
    echo "== diary kept from an earlier run: $folder"
    return
  fi
  echo "== generating $folder"
  rm -rf "$folder"
  "$generator" "$@" "$folder"
  sync  # so that writing the new files back does not run during the timing
}

large_folder=$work/diary-100y-full
remove_large() {
  if [ "$large" -eq 1 ] && [ "$keep_large" -eq 0 ]; then rm -rf "$large_folder"; fi
}
trap remove_large EXIT

make_diary "$work/diary-50y" --years 50
args=(--diary "$work/diary-50y" --runs "$runs")
if [ "$large" -eq 1 ]; then
  make_diary "$large_folder" --years 100 --full
  args+=(--large "$large_folder")
fi
if [ "$grep_vs_grep" -eq 1 ]; then
  args+=(--grep-vs-grep)
else
  args+=(--vorta "$vorta")
fi

echo "== search_bench ${args[*]}"
echo
"$search_bench" "${args[@]}"
