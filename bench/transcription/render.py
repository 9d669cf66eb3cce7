"""Renders the benchmark pieces to WAV files: MIDI pieces with FluidSynth and a General MIDI
SoundFont, pure-tone pieces with our own synthesis. Rendering is deterministic, so a file is
kept while the piece and the way it is rendered stay the same (a key file beside it records
them); new files appear whole (written under a temporary name, then renamed)."""

import hashlib
import os
import subprocess

import pieces

SOUNDFONT_DIR = "/usr/share/sounds/sf2"
# The two General MIDI SoundFonts the clean mode is tuned on, and a third that checks it on
# sounds it was not tuned on (an absolute path stays itself when joined onto SOUNDFONT_DIR).
SOUNDFONTS = {"FluidR3_GM": "FluidR3_GM.sf2", "TimGM6mb": "TimGM6mb.sf2",
              "MuseScore_General_Lite": "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3"}

# FluidSynth at its default reverb and chorus, gain 0.5, 16-bit 44.1 kHz stereo WAV.
FLUIDSYNTH = ["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", "44100", "-O", "s16", "-T", "wav"]


def soundfont_path(soundfont):
    return os.path.join(SOUNDFONT_DIR, SOUNDFONTS[soundfont])


def audio_group(piece, soundfont):
    """Folder name for a piece's audio: synthesised pieces sound the same for every SoundFont."""
    return "synth" if piece.synth else soundfont


def render_key(piece, soundfont):
    """What the audio depends on: the notes, the instruments, the renderer and its settings."""
    source = repr((piece.synth, sorted(piece.programs.items()), pieces.grid_notes(piece), piece.duration(),
                   FLUIDSYNTH if not piece.synth else pieces.SAMPLE_RATE,
                   "" if piece.synth else SOUNDFONTS[soundfont]))
    return hashlib.sha256(source.encode()).hexdigest()


def render(piece, soundfont, audio_dir):
    """Returns the path of the piece's WAV file, rendering it first when it is missing or
    was made from another version of the piece."""
    folder = os.path.join(audio_dir, audio_group(piece, soundfont))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, piece.name + ".wav")
    key_path = os.path.join(folder, piece.name + ".key")
    key = render_key(piece, soundfont)
    if os.path.exists(path) and os.path.exists(key_path) and open(key_path).read().strip() == key:
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
    with open(key_path, "w") as f:
        f.write(key + "\n")
    return path


def wav_seconds(path):
    import wave

    with wave.open(path, "rb") as w:
        return w.getnframes() / w.getframerate()
