#!/usr/bin/env bash
# Runs the benchmarks of the release build in $1 and keeps the result as dated text.
set -euo pipefail
build_dir=${1:-build/release}
mkdir -p bench/results
out="bench/results/$(date +%Y-%m-%d)-$(uname -m).txt"
{
  echo "# $(date -u +%Y-%m-%dT%H:%MZ) on $(uname -srm), $(nproc) cores"
  grep -m1 'model name' /proc/cpuinfo || true
  "$build_dir/bin/tonagram_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
} | tee "$out"
echo "Saved: $out"
