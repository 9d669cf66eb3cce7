"""Renders the benchmark pieces to WAV files: MIDI pieces with FluidSynth and a General MIDI
SoundFont, pure-tone pieces with our own synthesis. Existing files are kept (rendering is
deterministic), new ones appear whole (written under a temporary name, then renamed)."""

import os
import subprocess

import pieces

SOUNDFONT_DIR = "/usr/share/sounds/sf2"
SOUNDFONTS = {"FluidR3_GM": "FluidR3_GM.sf2", "TimGM6mb": "TimGM6mb.sf2"}

# FluidSynth at its default reverb and chorus, gain 0.5, 16-bit 44.1 kHz stereo WAV.
FLUIDSYNTH = ["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", "44100", "-O", "s16", "-T", "wav"]


def soundfont_path(soundfont):
    return os.path.join(SOUNDFONT_DIR, SOUNDFONTS[soundfont])


def audio_group(piece, soundfont):
    """Folder name for a piece's audio: synthesised pieces sound the same for every SoundFont."""
    return "synth" if piece.synth else soundfont


def render(piece, soundfont, audio_dir):
    """Returns the path of the piece's WAV file, rendering it first when it is missing."""
    folder = os.path.join(audio_dir, audio_group(piece, soundfont))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, piece.name + ".wav")
    if os.path.exists(path):
        return path
    partial = path + ".part.wav"
    if piece.synth == "sine":
        pieces.write_sine_wav(piece, partial)
    else:
        midi = os.path.join(folder, piece.name + ".mid")
        pieces.write_midi(piece, midi)
        subprocess.run(FLUIDSYNTH + ["-F", partial, soundfont_path(soundfont), midi],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.replace(partial, path)
    return path


def wav_seconds(path):
    import wave

    with wave.open(path, "rb") as w:
        return w.getnframes() / w.getframerate()
