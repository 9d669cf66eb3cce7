#!/usr/bin/env bash
# Benchmarks of the release build in $1, kept as dated text in bench/results:
#  - whole conversions (Tonagram_batch, default settings) of the generated 60-second
#    polyphonic recording and of the demo's example, as times real time (best and median
#    of TONAGRAM_BENCH_RUNS runs, default 5);
#  - the correlation kernels' throughput in products per second (Google Benchmark);
#  - the peak resident memory of converting a ten-minute stereo song.
# TONAGRAM_BASELINE=/path/to/another/Tonagram_batch times that program on the same
# recordings too (once each: an older build may be slow), for a before/after in one run.
set -euo pipefail
build_dir=${1:-build/release}
runs=${TONAGRAM_BENCH_RUNS:-5}
baseline=${TONAGRAM_BASELINE:-}
bin="$(cd "$build_dir/bin" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seconds of audio in one of our WAV files (44-byte header, 16-bit samples at 44100).
audio_seconds() {
  local channels=$2
  awk -v bytes="$(stat -c %s "$1")" -v ch="$channels" 'BEGIN { printf "%.3f", (bytes - 44) / (2 * ch * 44100) }'
}

# Wall-clock seconds of one conversion of $2 (a name in $work) by the program $1.
convert_once() {
  local start=$EPOCHREALTIME
  (cd "$work" && "$1" "$2" > /dev/null)
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", b - a }'
}

# Times $3 conversions of recording $2 by program $1; prints best, median and times real time.
time_conversions() {
  local program=$1 name=$2 count=$3 seconds=$4
  local times=()
  for _ in $(seq "$count"); do times+=("$(convert_once "$program" "$name")"); done
  printf '%s\n' "${times[@]}" | sort -n | awk -v s="$seconds" -v n="$count" '
    { t[NR] = $1 }
    END {
      median = (n % 2) ? t[(n + 1) / 2] : (t[n / 2] + t[n / 2 + 1]) / 2
      printf "best %7.3f s (%6.1fx real time)   median %7.3f s (%6.1fx real time)   of %d\n",
             t[1], s / t[1], median, s / median, n
    }'
}

mkdir -p bench/results
out="bench/results/$(date +%Y-%m-%d)-$(uname -m).txt"
{
  echo "# $(date -u +%Y-%m-%dT%H:%MZ) on $(uname -srm), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  grep -m1 'model name' /proc/cpuinfo || true
  echo "vector extensions: $(grep -m1 -o -w -E 'avx2|avx512f|avx512bw|avx512vl' /proc/cpuinfo | sort -u | tr '\n' ' ')"
  echo

  "$bin/make_bench_wav" 60 "$work/poly60.wav"
  "$bin/make_example_wav" "$work/example.wav"
  echo "## Whole conversions, Tonagram_batch with default settings"
  for name in poly60 example; do
    seconds=$(audio_seconds "$work/$name.wav" 1)
    echo "$name.wav ($seconds s of audio):"
    echo "  this build: $(time_conversions "$bin/Tonagram_batch" "$name" "$runs" "$seconds")"
    if [ -n "$baseline" ]; then
      echo "  baseline:   $(time_conversions "$baseline" "$name" 1 "$seconds")"
      for ext in fft txt mid; do
        cp "$work/$name.$ext" "$work/$name.baseline.$ext"
      done
      (cd "$work" && "$bin/Tonagram_batch" "$name" > /dev/null)
      for ext in fft txt mid; do
        cmp -s "$work/$name.$ext" "$work/$name.baseline.$ext" && same=identical || same=DIFFERENT
        echo "  $name.$ext: $same to the baseline's"
      done
    fi
  done
  echo

  echo "## Correlation kernels (one core; products per second, a sine and a cosine product count as two)"
  kernels=$("$bin/tonagram_bench" --benchmark_filter='BM_(correlate|subtract|slide)' --benchmark_min_time=0.5 2>&1 |
    grep -E 'BM_|kernels|Run on|CPU Caches|L[123] ' || true)
  echo "$kernels"
  # The machine's limit for this arithmetic: the fastest kernel with everything in the
  # first-level cache (no waiting for memory), on every core at once.
  echo "$kernels" | awk -v cores="$(nproc)" '
    /^BM_correlate\// { for (i = 1; i <= NF; ++i) if ($i ~ /^products\/s=/) {
        v = $i; sub(/products\/s=/, "", v); unit = substr(v, length(v) - 2, 1); sub(/[GM]\/s$/, "", v)
        v *= (unit == "G") ? 1 : 0.001; if (v > best) { best = v; name = $1 } } }
    END { if (best > 0) printf "machine limit estimate: %.1f G products/s per core (%s, L1-resident), %.1f G/s on %d cores\n",
                               best, name, best * cores, cores }'
  echo

  echo "## Peak memory of a ten-minute stereo song (44100 Hz, 16-bit)"
  "$bin/make_bench_wav" 600 "$work/song.wav" stereo
  rm -f "$work/poly60".* "$work/example".*
  (cd "$work" && /usr/bin/time -v "$bin/Tonagram_batch" song > /dev/null 2> time.txt)
  awk -F: '/Maximum resident set size/ { printf "peak resident set: %.0f MiB\n", $2 / 1024 }
           /Elapsed \(wall clock\)/ { sub(/^[ \t]+/, "", $0); print }' "$work/time.txt"
} | tee "$out"
echo "Saved: $out"
