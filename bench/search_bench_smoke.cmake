# Runs search_bench once through on tiny diaries, with grep in vorta-search's
# place, and checks that it names the missing program when vorta-search is
# not there.
#   cmake -D GENERATOR=... -D SEARCH_BENCH=... -D WORK=... -P search_bench_smoke.cmake
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${GENERATOR}" --start 2024-01-01 --days 45 "${WORK}/small"
                RESULT_VARIABLE status OUTPUT_QUIET)
execute_process(COMMAND "${GENERATOR}" --start 2024-01-01 --days 5 --full "${WORK}/full"
                RESULT_VARIABLE status2 OUTPUT_QUIET)
if(NOT status EQUAL 0 OR NOT status2 EQUAL 0)
  message(FATAL_ERROR "make_bench_diary failed: ${status} ${status2}")
endif()

execute_process(COMMAND "${SEARCH_BENCH}" --grep-vs-grep --runs 1 --diary "${WORK}/small" --large "${WORK}/full"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "search_bench --grep-vs-grep exited with ${status}")
endif()
# Six rows (three strings, two modes) with figures and hit counts read from
# grep's output, and the two runs of the large diary.
string(REGEX MATCHALL "\n[^ \n]+ +(byte-exact|folded) +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9,]+ +[0-9,]+ +[0-9,]+" rows "${out}")
list(LENGTH rows row_count)
string(REGEX MATCHALL "one run [^\n]* MB/s, peak RSS [0-9,]+ KB, [0-9,]+ hits" large_runs "${out}")
list(LENGTH large_runs large_count)
if(NOT row_count EQUAL 6 OR NOT large_count EQUAL 2)
  message(FATAL_ERROR "expected 6 rows and 2 large runs, found ${row_count} and ${large_count}")
endif()

execute_process(COMMAND "${SEARCH_BENCH}" --vorta "${WORK}/no-such/vorta-search" --runs 1 --diary "${WORK}/small"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "vorta-search not found at ${WORK}/no-such/vorta-search")
  message(FATAL_ERROR "a missing vorta-search gave status ${status} and: ${out}${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
