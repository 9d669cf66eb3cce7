#!/usr/bin/env bash
# Converts the bundled example recording with the release build in $1.
set -euo pipefail
build_dir=${1:-build/release}
demo_dir="$build_dir/demo"
mkdir -p "$demo_dir"
"$build_dir/bin/make_example_wav" "$demo_dir/example.wav"
echo "Example recording: $demo_dir/example.wav (a plucked C major phrase, made by tools/make_example_wav.cpp)"
"$build_dir/bin/Tonagram_batch" "$demo_dir/example"
for f in example.fft example.txt example.mid; do
  [ -f "$demo_dir/$f" ] && echo "Output: $demo_dir/$f"
done
exit 0
