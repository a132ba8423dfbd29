#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build for the given number of seconds,
# starting from the seed corpus in fuzz/corpus/<target>. New inputs go to a
# working corpus in the build folder, so the repository's seeds stay as they
# are; a finding leaves its reproducer in fuzz-findings/<target> and fails
# the run (with FUZZ_ALLOW_TIMEOUT=1, as CI runs it, an input that is only
# slow is reported without failing). Each target's executions are printed at its end.
set -euo pipefail
BUILD=$(realpath "${1:?fuzz build folder}")  # absolute: a target may change its folder
SECONDS_EACH=${2:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in matfile shell server sources; do
  work="$BUILD/fuzz-corpus/$target"
  found="$BUILD/fuzz-findings/$target"
  mkdir -p "$work" "$found"
  # The shell target gives up root for an unprivileged user: its folders
  # must stay writable for it.
  chmod a+rwx "$work" "$found"
  # A target's dictionary (fuzz/<target>.dict), when it has one: the names
  # and shapes its inputs are made of.
  dict=()
  [ -f "$ROOT/fuzz/$target.dict" ] && dict=(-dict="$ROOT/fuzz/$target.dict")
  echo "== fuzz_$target for ${SECONDS_EACH}s"
  if ! "$BUILD/bin/fuzz_$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=4096 \
      "${dict[@]}" -artifact_prefix="$found/" -print_final_stats=1 \
      "$work" "$ROOT/fuzz/corpus/$target" 2>"$BUILD/fuzz-$target.log"; then
    if [ "${FUZZ_ALLOW_TIMEOUT:-0}" = 1 ] && grep -q "^SUMMARY: libFuzzer: timeout" "$BUILD/fuzz-$target.log"; then
      # A slow input, not a crash: reported with its reproducer, not fatal here.
      echo "fuzz_$target: an input ran past the time limit; reproducer in $found"
    else
      status=1
      tail -40 "$BUILD/fuzz-$target.log"
    fi
  fi
  grep -E "^stat::number_of_executed_units|^stat::new_units_added|^#[0-9]+ *DONE" "$BUILD/fuzz-$target.log" || true
done
exit $status
