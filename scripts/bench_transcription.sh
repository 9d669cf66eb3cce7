#!/usr/bin/env bash
# The transcription benchmark of the release build in $1: renders the reference pieces of
# bench/transcription (once; the audio stays in $1/bench-transcription/audio), converts them
# in every mode, prints the tables and keeps a full run's tables in bench/results.
# Further arguments go to bench/transcription/run.py (--help lists them).
set -euo pipefail
build_dir=${1:-build/release}
shift || true
cd "$(dirname "$0")/.."
# Debian's interpreter: the packages setup.sh installs (mido, mir_eval) live there.
exec /usr/bin/python3 bench/transcription/run.py --build-dir "$build_dir" "$@"
