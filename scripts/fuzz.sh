#!/usr/bin/env bash
# The libFuzzer targets of fuzz/, in their own clang build tree (build/fuzz).
#
#   scripts/fuzz.sh smoke                      build, then run each target briefly (make test)
#   scripts/fuzz.sh run [SECONDS] [TARGET...]  fuzz each target for SECONDS (default 600)
#
# A long run keeps its corpus in build/fuzz/corpus/TARGET (it grows from run to run) and
# writes crashing, slow (over 5 s) or memory-hungry (over 512 MB) inputs to
# build/fuzz/findings/; each such input belongs in a regression test under tests/.
# Targets: wav_reader settings_file analysis_file text_midi smf batch_options.
set -euo pipefail

DIR=build/fuzz
TARGETS=(wav_reader settings_file analysis_file text_midi smf batch_options)

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is not installed, fuzz targets skipped (scripts/setup.sh installs it)"
  exit 0
fi

if [ ! -f "$DIR/build.ninja" ]; then
  cmake -S . -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTONAGRAM_BUILD_FUZZ=ON -DTONAGRAM_BUILD_TESTS=OFF -DTONAGRAM_BUILD_GUI=OFF >/dev/null
fi
cmake --build "$DIR" --target make_fuzz_seeds "${TARGETS[@]/#/fuzz_}"

case "${1:-smoke}" in
  smoke)
    ctest --test-dir "$DIR" --output-on-failure
    ;;
  run)
    seconds="${2:-600}"
    shift $(( $# >= 2 ? 2 : $# ))
    [ $# -gt 0 ] && TARGETS=("$@")
    "$DIR/bin/make_fuzz_seeds" "$DIR/seeds"
    mkdir -p "$DIR/findings"
    for t in "${TARGETS[@]}"; do
      mkdir -p "$DIR/corpus/$t"
      echo "fuzz: $t for $seconds s"
      "$DIR/bin/fuzz_$t" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=512 \
        -dict="fuzz/dict/$t.dict" -artifact_prefix="$DIR/findings/$t-" -print_final_stats=1 \
        "$DIR/corpus/$t" "$DIR/seeds/$t"
    done
    ;;
  *)
    sed -n '2,10p' "$0"
    exit 2
    ;;
esac
