"""The reference pieces of the transcription benchmark, written as note lists.

Each piece is a few bars of real music (melody, harmony, dynamics, legato and repeated
notes) for one General MIDI instrument or a small ensemble. The MIDI pieces are rendered
by FluidSynth; the two pure-tone pieces are synthesised here directly. The reference notes
come from these lists, so the score never depends on how a renderer reads a MIDI file.
"""

import math
import re
import wave
from dataclasses import dataclass, field, replace

import mido
import numpy as np

TICKS_PER_BEAT = 480
TEMPO = 500000  # microseconds per beat at the file level; piece tempi live in the note times
TICKS_PER_SECOND = TICKS_PER_BEAT * 1_000_000 / TEMPO
TAIL_SECONDS = 1.5  # silence after the last note-off so releases are rendered
SAMPLE_RATE = 44100


@dataclass
class Note:
    onset: float  # seconds
    offset: float  # seconds
    pitch: int  # MIDI note number
    velocity: int
    channel: int = 0


@dataclass
class Piece:
    name: str
    category: str
    held_out: bool
    programs: dict  # channel -> General MIDI program (0-based)
    notes: list = field(default_factory=list)
    synth: str = ""  # "sine": synthesised here instead of rendered

    def duration(self):
        return max(n.offset for n in self.notes) + TAIL_SECONDS


NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def midi_number(name):
    """'C4' is 60, 'F#2' 42, 'Bb5' 82."""
    m = re.fullmatch(r"([A-G])([#b]?)(-?\d)", name)
    if not m:
        raise ValueError(f"bad note name {name!r}")
    step, accidental, octave = m.groups()
    return 12 * (int(octave) + 1) + NAMES[step] + {"#": 1, "b": -1, "": 0}[accidental]


def line(text, bpm, start=0.0, velocity=80, channel=0, legato=0.92):
    """Notes from 'C4:1 D4:0.5 r:0.5 C4+E4+G4:2 ...' (names joined by '+' sound together,
    'r' is a rest, durations in beats). A velocity list gives one value per event, a
    trailing '!' or '?' on a duration makes that event louder or quieter, a '~' ties it
    legato (held to the next onset)."""
    beat = 60.0 / bpm
    t = start
    notes = []
    events = text.split()
    for i, token in enumerate(events):
        names, length = token.split(":")
        tied = length.endswith("~")
        accent = 25 if "!" in length else -25 if "?" in length else 0
        beats = float(length.strip("~!?"))
        v = velocity[i % len(velocity)] if isinstance(velocity, list) else velocity
        v = max(1, min(127, v + accent))
        if names != "r":
            held = beats * beat * (1.0 if tied else legato)
            for name in names.split("+"):
                notes.append(Note(t * 1.0, t + held, midi_number(name), v, channel))
        t += beats * beat
    return notes


def ramp(n, first, last):
    """n velocities from first to last: a crescendo or diminuendo."""
    return [round(first + (last - first) * i / max(1, n - 1)) for i in range(n)]


def piano_melody():
    text = ("E4:1 E4:1 F4:1 G4:1 G4:1 F4:1 E4:1 D4:1 C4:1 C4:1 D4:1 E4:1 E4:1.5 D4:0.5 D4:2 "
            "E4:1 E4:1 F4:1 G4:1")
    return line(text, bpm=112, velocity=ramp(19, 45, 105), legato=0.85)


def piano_runs():
    up = "C4 D4 E4 F4 G4 A4 B4 C5 D5 E5 F5 G5 A5 B5 C6".split()
    arp = "A3 C4 E4 A4 C5 E5 A5 E5 C5 A4 E4 C4".split()
    notes = up + up[-2::-1] + arp + "B3 D4 F4 G4 B4 D5 F5 G5 B5 G5 F5 D5 B4 G4 F4 D4".split() + ["C4"]
    text = " ".join(f"{n}:0.25" for n in notes[:-1]) + " C4:1"
    vel = [70 + round(18 * math.sin(i / 5.0)) for i in range(len(notes))]
    return line(text, bpm=126, velocity=vel, legato=0.95)


def piano_chords():
    text = ("C3+E3+G3+C4:2 A2+E3+A3+C4:2 F2+C3+F3+A3:1 F2+C3+F3+A3:1 G2+D3+G3+B3:2 "
            "E3+G3+B3+E4:1 A2+E3+A3+C4:1 D3+F3+A3+D4:2 G2+F3+B3+D4:2 C3+E3+G3+C4:3")
    return line(text, bpm=92, velocity=[70, 62, 84, 60, 92, 66, 74, 80, 96, 54], legato=0.9)


def piano_two_voices():
    upper = ("r:0.5 E5:0.5 D5:0.5 C5:0.5 B4:0.5 C5:0.5 D5:0.5 B4:0.5 C5:0.5 G4:0.5 A4:0.5 B4:0.5 "
             "C5:0.5 D5:0.5 E5:0.5 F5:0.5 G5:1 E5:0.5 C5:0.5 F5:0.5 E5:0.5 D5:0.5 C5:0.5 B4:1 "
             "G4:0.5 A4:0.5 B4:0.5 C5:0.5 D5:0.5 B4:0.5 C5:2")
    lower = ("C3:1 E3:1 G3:1 E3:1 A2:1 C3:1 F3:1 D3:1 E3:1 C3:1 A2:1 D3:1 G2:1 B2:1 G2:1 "
             "F3:0.5 E3:0.5 D3:0.5 G2:0.5 C3:2")
    return (line(upper, bpm=100, velocity=ramp(33, 58, 88), legato=0.9)
            + line(lower, bpm=100, velocity=[64, 52, 58, 50], legato=0.8))


def piano_high():
    text = ("G6:0.5 C7:0.5 E7:0.5 G7:0.5 E7:0.5 C7:0.5 D7:1 B6:0.5 G6:0.5 D7:0.5 F7:0.5 "
            "E7:1.5 r:0.5 A6:0.5 C7:0.5 F7:0.5 A7:0.5 G7:0.5 E7:0.5 C7:0.5 E7:0.5 "
            "D7:0.5 D7:0.5 D7:0.5 B6:0.5 C7:2")
    return line(text, bpm=104, velocity=ramp(25, 60, 95), legato=0.7)


def bass_line():
    text = ("E1:1 G#1:1 B1:1 C#2:1 D2:1 C#2:1 B1:1 A1:1 A1:1 C2:1 E2:1 F#2:1 G2:0.5 F#2:0.5 E2:1 "
            "D2:1 B1:1 E2:0.5 E2:0.5 G#2:1 B2:1 D3:1 B2:1 E2:2")
    return line(text, bpm=132, velocity=[92, 78, 84, 74], legato=0.85)


def strings():
    chords = ("D3+A3+F4:2~ D3+A3+E4:2~ Bb2+F3+D4:4~ G2+D3+Bb3:2~ A2+E3+C#4:2~ D3+A3+D4:4")
    melody = "A4:2~ C5:1~ Bb4:1~ A4:3~ F4:1~ G4:2~ E4:2~ F4:4"
    return (line(chords, bpm=84, velocity=[60, 66, 72, 70, 76, 62], legato=0.95)
            + line(melody, bpm=84, velocity=[74, 80, 84, 88, 82, 78, 72, 68], legato=0.98))


def organ():
    soprano = "G4:1 G4:1 A4:1 B4:1 C5:2 B4:2 A4:1 G4:1 A4:1 B4:1 G4:3"
    alto = "D4:1 E4:1 F#4:1 G4:1 G4:2 G4:2 E4:1 D4:1 E4:1 F#4:1 D4:3"
    tenor = "B3:1 C4:1 D4:1 D4:1 E4:2 D4:2 C4:1 B3:1 C4:1 D4:1 B3:3"
    bass = "G2:1 C3:1 D3:1 G2:1 C3:2 G2:2 A2:1 B2:1 A2:1 D3:1 G2:3"
    return sum((line(v, bpm=80, velocity=90, legato=0.93) for v in (soprano, alto, tenor, bass)), [])


def choir():
    text = ("F3+C4+A4:2 F3+D4+Bb4:2 F3+C4+A4:2 E3+C4+G4:2 D3+A3+F4:3 C3+G3+E4:1 "
            "F3+A3+F4:3")
    return line(text, bpm=76, velocity=[64, 72, 80, 74, 86, 60, 70], legato=0.96)


def flute():
    text = ("D5:0.5 E5:0.5 F#5:1~ A5:1 G5:0.5 F#5:0.5 E5:1~ D5:0.5 E5:0.5 F#5:0.5 F#5:0.5 "
            "F#5:1 B5:1.5 A5:0.5 G5:0.5 F#5:0.5 E5:0.5 G5:0.5 F#5:1.5 E5:0.5 D5:2")
    return line(text, bpm=88, velocity=ramp(20, 62, 96), legato=0.9)


def guitar():
    """Fingerpicked arpeggios: the bass rings through the bar, every other string rings until
    it is plucked again or the bar ends."""
    pattern = [1, 2, 3, 4, 3, 2]
    chords = [("A2", "E3", "A3", "C4", "E4"), ("D3", "A3", "D4", "F4", "A4"),
              ("E2", "B2", "E3", "G#3", "B3"), ("A2", "E3", "A3", "C4", "E4"),
              ("F2", "C3", "F3", "A3", "C4"), ("E2", "B2", "E3", "G#3", "B3")]
    eighth = 60.0 / 96 / 2
    notes = []
    for c, chord in enumerate(chords):
        start = c * 6 * eighth
        bar_end = start + 6 * eighth
        notes.append(Note(start, bar_end, midi_number(chord[0]), 88 - 4 * (c % 3)))
        for k, string in enumerate(pattern):
            later = [j for j in range(k + 1, len(pattern)) if pattern[j] == string]
            end = start + later[0] * eighth if later else bar_end
            notes.append(Note(start + k * eighth, end, midi_number(chord[string]), 62 + 6 * (k % 2) + 3 * (c % 3)))
    return notes


def mallets():
    text = ("C5:0.5 E5:0.5 G5:0.5 C6:0.5 B5:1 G5:1 A5:0.5 G5:0.5 F5:0.5 E5:0.5 D5:2 "
            "E5:0.5 F5:0.5 G5:0.5 A5:0.5 G5:0.5 E5:0.5 C5:1 D5:1 C5:2")
    chords = "C4+E4:4 F4+A4:2 G3+B3:2 C4+E4:2 F4:1 G3:1 C4+E4:2"
    return (line(text, bpm=108, velocity=ramp(20, 70, 100), legato=0.95)
            + line(chords, bpm=108, velocity=52, legato=0.95))


def duo():
    piano = ("r:1 E4+G4+C5:1 r:1 E4+G4+C5:1 r:1 F4+A4+C5:1 r:1 F4+A4+D5:1 "
             "r:1 D4+G4+B4:1 r:1 D4+F4+B4:1 r:1 E4+G4+C5:1 C5+E5:2")
    bass = "C2:1 r:1 G2:1 r:1 F2:1 r:1 A2:1 r:1 G2:1 r:1 G1:1 r:1 C2:1 E2:1 C2:2"
    return (line(piano, bpm=120, velocity=[1, 66, 1, 58, 1, 72, 1, 80, 1, 70, 1, 62, 1, 76, 88], legato=0.8)
            + line(bass, bpm=120, velocity=[96, 1, 84, 1], channel=1, legato=0.9))


def sine():
    text = ("A4:1 B4:0.5 C#5:0.5 D5:1 E5:1 E5:0.5 E5:0.5 F#5:1 D5:1 A4:2 G4:0.5 F#4:0.5 E4:1 "
            "A3:1 C#4:1 E4:1 A4:2")
    return line(text, bpm=96, velocity=ramp(18, 60, 110), legato=0.9)


def sine_triad():
    text = ("C4+E4+G4:2 A3+C4+F4:2 B3+D4+G4:2 C4+E4+A4:1 C4+E4+A4:1 D4+F4+A4:2 "
            "B3+D4+F4+G4:2 C4+E4+G4:3")
    return line(text, bpm=84, velocity=[80, 70, 90, 60, 60, 85, 75, 100], legato=0.92)


# Held out: never tuned on. Other instruments and registers than the pieces above.
def clarinet():
    text = ("E3:1 G3:0.5 A3:0.5 Bb3:1 A3:1 G3:0.5 E3:0.5 D3:1~ E3:2 G3:1 C4:1 Bb3:0.5 A3:0.5 "
            "G3:0.5 A3:0.5 F3:1 E3:3")
    return line(text, bpm=90, velocity=ramp(17, 55, 92), legato=0.93)


def trumpet():
    text = ("C4:0.5 C4:0.33 C4:0.33 C4:0.34 G4:1 E4:1 C4:0.5 E4:0.5 G4:1.5 G4:0.5 A4:1 G4:0.5 "
            "F4:0.5 E4:0.5 E4:0.5 D4:0.5 E4:0.5 C4:2")
    return line(text, bpm=112, velocity=[96, 84, 84, 84, 104, 92, 80, 88, 110, 86, 100, 90,
                                         84, 80, 78, 74, 80, 92], legato=0.82)


def pad():
    # A pad that speaks at once: the slow swell of others (Pad 2, warm) reaches -20 dB only
    # 80 to 150 ms after the note-on, past any onset tolerance.
    chords = "E3+B3+G4:4 C3+G3+E4:4 D3+A3+F#4:4 B2+F#3+D#4:4"
    top = "B4:2 A4:2 G4:2 B4:2 A4:2 D5:2 B4:4"
    return (line(chords, bpm=96, velocity=[70, 82, 76, 90], legato=0.97)
            + line(top, bpm=96, velocity=[84, 74, 80, 90, 78, 96, 86], legato=0.95))


def marimba():
    right = ("G5:0.25 B5:0.25 D6:0.25 B5:0.25 " * 2 + "A5:0.25 C6:0.25 E6:0.25 C6:0.25 " * 2
             + "F#5:0.25 A5:0.25 D6:0.25 A5:0.25 " * 2 + "G5:0.5 D5:0.5 G5:1")
    left = "G3:1 G3:1 A3:1 A3:1 D3:1 D3:1 G2:2"
    return (line(right, bpm=72, velocity=[78, 60, 70, 60], legato=0.9)
            + line(left, bpm=72, velocity=[88, 64], legato=0.9))


def cello():
    text = ("G2:1.5 A2:0.5 B2:1~ D3:1 C3:1 B2:0.5 A2:0.5 G2:2 D3:1 E3:0.5 F#3:0.5 G3:1.5 "
            "F#3:0.5 E3:1 D3:1 B2:1 A2:1 G2:3")
    return line(text, bpm=96, velocity=ramp(19, 58, 96), legato=0.95)


def build_pieces():
    """The benchmark's pieces in table order: tuning pieces first, then the held-out ones."""
    t = False
    h = True
    return [
        Piece("piano_melody", "piano melody", t, {0: 0}, piano_melody()),
        Piece("piano_runs", "fast runs", t, {0: 0}, piano_runs()),
        Piece("piano_chords", "block chords", t, {0: 0}, piano_chords()),
        Piece("piano_two_voices", "two voices", t, {0: 0}, piano_two_voices()),
        Piece("piano_high", "high register", t, {0: 0}, piano_high()),
        Piece("bass_line", "bass", t, {0: 33}, bass_line()),
        Piece("strings", "strings", t, {0: 48}, strings()),
        Piece("organ", "organ/pads", t, {0: 19}, organ()),
        Piece("choir", "choir", t, {0: 52}, choir()),
        Piece("flute", "winds", t, {0: 73}, flute()),
        Piece("guitar", "guitar", t, {0: 24}, guitar()),
        Piece("vibraphone", "mallets", t, {0: 11}, mallets()),
        Piece("piano_bass_duo", "duo", t, {0: 0, 1: 32}, duo()),
        Piece("sine", "pure tones", t, {}, sine(), synth="sine"),
        Piece("sine_triad", "pure tones", t, {}, sine_triad(), synth="sine"),
        Piece("clarinet", "winds", h, {0: 71}, clarinet()),
        Piece("trumpet", "winds", h, {0: 56}, trumpet()),
        Piece("synth_pad", "organ/pads", h, {0: 90}, pad()),
        Piece("marimba", "mallets", h, {0: 12}, marimba()),
        Piece("cello", "strings", h, {0: 42}, cello()),
    ]


# Other General MIDI instruments for each piece (0-based programs, by channel), played a whole
# tone lower: a check that what the clean mode learnt from the pieces' own sounds holds for
# others (nothing is tuned on these).
OTHER_PROGRAMS = {
    "piano_melody": {0: 2}, "piano_runs": {0: 1}, "piano_chords": {0: 4}, "piano_two_voices": {0: 5},
    "piano_high": {0: 8}, "bass_line": {0: 34}, "strings": {0: 49}, "organ": {0: 16}, "choir": {0: 53},
    "flute": {0: 68}, "guitar": {0: 25}, "vibraphone": {0: 13}, "piano_bass_duo": {0: 1, 1: 33},
    "clarinet": {0: 69}, "trumpet": {0: 60}, "synth_pad": {0: 89}, "marimba": {0: 8}, "cello": {0: 41},
}
OTHER_TRANSPOSITION = -2


def on_other_instruments(piece):
    """The piece on its other instruments, a whole tone lower; synthesised pieces as they are."""
    if piece.synth:
        return piece
    notes = [replace(n, pitch=n.pitch + OTHER_TRANSPOSITION) for n in piece.notes]
    return replace(piece, programs=OTHER_PROGRAMS[piece.name], notes=notes)


def seconds_to_tick(s):
    return round(s * TICKS_PER_SECOND)


def tick_to_seconds(tick):
    return tick / TICKS_PER_SECOND


def grid_notes(piece):
    """(onset s, offset s, pitch, velocity) of every note, on the tick grid of the MIDI file."""
    out = []
    for n in piece.notes:
        on, off = seconds_to_tick(n.onset), seconds_to_tick(n.offset)
        if off > on:
            out.append((tick_to_seconds(on), tick_to_seconds(off), n.pitch, n.velocity))
    return sorted(out)


def reference_notes(piece):
    """(onset s, offset s, pitch) of every note: what a transcription should find."""
    return [(on, off, pitch) for on, off, pitch, _ in grid_notes(piece)]


def write_midi(piece, path):
    """A format-0 file: program changes, then the notes; at one tick a
    note-off comes before a note-on so repeated notes of one pitch stay apart."""
    events = []  # (tick, order, message)
    for n in piece.notes:
        on, off = seconds_to_tick(n.onset), seconds_to_tick(n.offset)
        if off <= on:
            continue
        events.append((on, 1, mido.Message("note_on", note=n.pitch, velocity=n.velocity, channel=n.channel)))
        events.append((off, 0, mido.Message("note_off", note=n.pitch, velocity=0, channel=n.channel)))
    events.sort(key=lambda e: (e[0], e[1], e[2].channel, e[2].note))
    track = mido.MidiTrack()
    track.append(mido.MetaMessage("set_tempo", tempo=TEMPO, time=0))
    for channel, program in sorted(piece.programs.items()):
        track.append(mido.Message("program_change", program=program, channel=channel, time=0))
    now = 0
    for tick, _, msg in events:
        track.append(msg.copy(time=tick - now))
        now = tick
    end = seconds_to_tick(piece.duration())
    track.append(mido.MetaMessage("end_of_track", time=max(0, end - now)))
    midi = mido.MidiFile(type=0, ticks_per_beat=TICKS_PER_BEAT)
    midi.tracks.append(track)
    midi.save(path)


def write_sine_wav(piece, path):
    """Sums one sine per note with 10 ms raised-cosine edges; amplitude follows velocity.
    44.1 kHz, 16-bit mono."""
    total = int(round(piece.duration() * SAMPLE_RATE))
    signal = np.zeros(total)
    edge = int(0.010 * SAMPLE_RATE)
    for on, off, pitch, vel in grid_notes(piece):
        a, b = int(round(on * SAMPLE_RATE)), int(round(off * SAMPLE_RATE))
        t = np.arange(b - a) / SAMPLE_RATE
        hz = 440.0 * 2 ** ((pitch - 69) / 12)
        tone = np.sin(2 * np.pi * hz * t) * (vel / 127.0) * 0.25
        ramp_up = 0.5 - 0.5 * np.cos(np.pi * np.arange(edge) / edge)
        tone[:edge] *= ramp_up
        tone[-edge:] *= ramp_up[::-1]
        signal[a:b] += tone
    pcm = np.clip(np.round(signal * 32767), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SAMPLE_RATE)
        w.writeframes(pcm.tobytes())
