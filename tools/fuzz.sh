#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each of them
# for the given number of seconds (default 60), one after the other.  Each run
# starts from a copy of its seed corpus in tests/fuzz/corpus/<target>; the
# corpus it grows and anything it finds stay in build-fuzz/, never in the
# repository.  Prints the executions and findings per target and in total;
# exits non-zero when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${1:-60}
ONLY=${2:-} # optional: run just this target (number_text, settings_text, beep_list, key_names)
BUILD=build-fuzz
CC_BIN=${FUZZ_CC:-clang-14}
CXX_BIN=${FUZZ_CXX:-clang++-14}

CC=$CC_BIN CXX=$CXX_BIN cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSORVANE_FUZZ=ON -DSORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_targets -j 2 >/dev/null

TARGETS=(number_text settings_text beep_list key_names)
[ -n "$ONLY" ] && TARGETS=("$ONLY")

WORK="$BUILD/fuzz-runs"
total_execs=0
total_findings=0
rows=()
for t in "${TARGETS[@]}"; do
  corpus="$WORK/$t/corpus"
  artifacts="$WORK/$t/artifacts"
  rm -rf "$WORK/$t"
  mkdir -p "$corpus" "$artifacts"
  cp tests/fuzz/corpus/"$t"/* "$corpus"/
  log="$WORK/$t/log.txt"
  echo "fuzzing $t for ${SECONDS_PER_TARGET}s ..."
  set +e
  "$BUILD/fuzz/fuzz_$t" "$corpus" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" -max_len=8192 -timeout=10 -rss_limit_mb=2048 >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  execs=${execs:-0}
  findings=$(find "$artifacts" -type f | wc -l)
  if [ "$rc" -ne 0 ] && [ "$findings" -eq 0 ]; then
    findings=1 # the run ended abnormally without leaving an input behind
  fi
  if [ "$findings" -ne 0 ]; then
    echo "  $t: see $log and $artifacts"
    grep -m3 -E "ERROR|property broken|runtime error" "$log" || true
  fi
  total_execs=$((total_execs + execs))
  total_findings=$((total_findings + findings))
  rows+=("$(printf '%-16s %14s %9s' "$t" "$execs" "$findings")")
done

printf '%-16s %14s %9s\n' target executions findings
for r in "${rows[@]}"; do echo "$r"; done
printf '%-16s %14s %9s\n' total "$total_execs" "$total_findings"
[ "$total_findings" -eq 0 ]
