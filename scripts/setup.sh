#!/usr/bin/env bash
# Installs the Debian packages Tonagram needs to build, test and run its demo.
# Idempotent: when every package is already installed nothing is fetched.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config
  # tests and benchmarks (the benchmark script reads peak memory from /usr/bin/time)
  libgtest-dev libgmock-dev libbenchmark-dev time
  # the fuzz targets: clang with its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # independent MIDI tools used by the tests: a reader and a renderer
  python3 python3-mido fluidsynth
  # the transcription benchmark: two more General MIDI SoundFonts (the second to tune on, a
  # third to check on), note-matching scores
  fluid-soundfont-gm musescore-general-soundfont-small python3-mir-eval python3-numpy
  # the GUI program: Qt 6 Widgets, its offscreen and X11 platforms, Qt's Japanese texts and
  # a Japanese Gothic font
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic
  # WAV playback: Qt Multimedia and the GStreamer plugins that decode and play WAV
  qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-alsa gstreamer1.0-pulseaudio
  # MIDI playback: the built-in FluidSynth synthesizer with a General MIDI SoundFont,
  # and ALSA sequencer ports through RtMidi
  libfluidsynth-dev timgm6mb-soundfont librtmidi-dev
  # installation: the icon's bitmaps drawn from its SVG, the Debian package (dpkg-shlibdeps
  # needs dpkg-dev and file), and the tests' checks of the desktop entry, the AppStream data
  # and the man pages
  librsvg2-bin dpkg-dev file desktop-file-utils appstream man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
