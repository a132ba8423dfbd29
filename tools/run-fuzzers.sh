#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build for the given number of seconds,
# starting from the seed corpus in fuzz/corpus/<target>. New inputs go to a
# working corpus in the build folder, so the repository's seeds stay as they
# are; a crash leaves its reproducer there and fails the run.
set -euo pipefail
BUILD=${1:?fuzz build folder}
SECONDS_EACH=${2:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in matfile parser; do
  work="$BUILD/fuzz-corpus/$target"
  mkdir -p "$work" "$BUILD/fuzz-findings/$target"
  echo "== fuzz_$target for ${SECONDS_EACH}s"
  if ! "$BUILD/bin/fuzz_$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=4096 \
      -artifact_prefix="$BUILD/fuzz-findings/$target/" -print_final_stats=1 \
      "$work" "$ROOT/fuzz/corpus/$target" 2>"$BUILD/fuzz-$target.log"; then
    status=1
    tail -40 "$BUILD/fuzz-$target.log"
  fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+ *DONE" "$BUILD/fuzz-$target.log" || true
done
exit $status
