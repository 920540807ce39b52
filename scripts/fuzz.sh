#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, clang) into build/fuzz and runs
# them, one after another.
#
#   fuzz.sh [seconds-per-target] [target ...]
#       runs each target for that long (default 600) over its seeds
#       (tests/fuzz/corpus/<target>) and the corpus it has grown so far
#       (build/fuzz/corpus/<target>); prints executions, coverage (cov, ft
#       of libFuzzer's final stats) and any finding, which is kept in
#       build/fuzz/artifacts/<target>/.
#   fuzz.sh --smoke [target ...]
#       a short fixed run of each (the seeds, then 2000 mutations), nothing
#       kept; what the test command runs.
#
# Targets: fuzz_dib fuzz_menu fuzz_text fuzz_launch fuzz_cleanup. The exit
# status is non-zero when a target found something or could not run.
# MENU_SKIP_BUILD=1 skips the build; MENU_BUILD_ROOT moves build/.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${MENU_BUILD_ROOT:-$ROOT/build}
JOBS=${MENU_JOBS:-2}
TREE=$BUILD/fuzz
TARGETS=(fuzz_dib fuzz_menu fuzz_text fuzz_launch fuzz_cleanup)
SMOKE_RUNS=2000

smoke=0
seconds=600
if [ "${1:-}" = "--smoke" ]; then
  smoke=1
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${TARGETS[@]}")

build() {
  mkdir -p "$BUILD"
  echo "== build fuzz"
  if ! cmake -S "$ROOT" -B "$TREE" -DCMAKE_BUILD_TYPE=Debug -DMENU_FUZZ=ON -DMENU_TESTS=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$TREE.configure.log" 2>&1; then
    tail -n 20 "$TREE.configure.log"
    echo "fuzz: configuring failed (log: $TREE.configure.log)"
    return 1
  fi
  if ! cmake --build "$TREE" --target fuzzers -- -j"$JOBS" >"$TREE.build.log" 2>&1; then
    grep -E 'error:|undefined reference' "$TREE.build.log" | sort -u | head -n 20 || true
    echo "fuzz: building failed (log: $TREE.build.log)"
    return 1
  fi
}

# final_stats LOG: "execs cov ft" from libFuzzer's closing lines.
final_stats() {
  local log=$1 execs cov ft
  execs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  cov=$(sed -n 's/^#[0-9]*.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  ft=$(sed -n 's/^#[0-9]*.* cov: \([0-9]*\) ft: \([0-9]*\).*/\2/p' "$log" | tail -n 1)
  echo "${execs:-0} ${cov:-?} ${ft:-?}"
}

# run_target TARGET: one run; prints one result line, fails on a finding.
run_target() {
  local name=$1 exe=$TREE/tests/fuzz/$1 seeds=$ROOT/tests/fuzz/corpus/$1
  local corpus artifacts log status=0 limit execs cov ft
  if [ ! -x "$exe" ]; then
    echo "$name: not built"
    return 1
  fi
  if [ "$smoke" -eq 1 ]; then
    corpus=$(mktemp -d "/tmp/$name-corpus.XXXXXX")
    artifacts=$corpus/
    log=$TREE/$name-smoke.log
    timeout --kill-after=10 300 "$exe" -runs=$SMOKE_RUNS -seed=1 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$corpus" "$seeds" </dev/null >"$log" 2>&1 || status=$?
  else
    corpus=$TREE/corpus/$name
    artifacts=$TREE/artifacts/$name/
    log=$TREE/$name.log
    mkdir -p "$corpus" "$artifacts"
    # libFuzzer ends on its own after max_total_time; the timeout only
    # catches a run that does not.
    limit=$((seconds + 120))
    timeout --kill-after=30 "$limit" "$exe" -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$artifacts" "$corpus" "$seeds" \
      </dev/null >"$log" 2>&1 || status=$?
  fi
  read -r execs cov ft < <(final_stats "$log")
  if [ "$status" -ne 0 ]; then
    echo "$name: FAILED after $execs executions (status $status, log: $log)"
    grep -E '^==[0-9]+==ERROR|^fuzz: |^SUMMARY|Test unit written to|^artifact_prefix' "$log" | head -n 8 || true
    [ "$smoke" -eq 0 ] || rm -rf "$corpus"
    return 1
  fi
  if [ "$smoke" -eq 1 ]; then
    echo "$name: ok, $execs executions, cov $cov ft $ft"
    rm -rf "$corpus"
  else
    echo "$name: ok, $seconds s, $execs executions, cov $cov ft $ft," \
      "corpus $(find "$corpus" -type f | wc -l) files"
  fi
}

if [ -z "${MENU_SKIP_BUILD:-}" ]; then
  build || exit 1
fi
failed=0
for name in "${targets[@]}"; do
  run_target "$name" || failed=$((failed + 1))
done
[ "$failed" -eq 0 ]
