"""Checks the transcription benchmark's scorer on tiny cases with known answers."""

import os
import sys
import tempfile
import unittest

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pieces  # noqa: E402
import score  # noqa: E402

REFERENCE = [(0.0, 0.5, 60), (0.5, 1.0, 64), (1.0, 2.0, 67), (1.0, 2.0, 72)]


class F1Scores(unittest.TestCase):
    def test_known_answers(self):
        fragments = [(0.0, 0.2, 60), (0.2, 0.35, 60), (0.35, 0.5, 60)]
        cases = [
            ("perfect", REFERENCE, (1.0, 1.0)),
            ("onsets 40 ms late still match", [(a + 0.04, b + 0.04, p) for a, b, p in REFERENCE], (1.0, 1.0)),
            ("onsets 100 ms late match nothing", [(a + 0.1, b + 0.1, p) for a, b, p in REFERENCE], (0.0, 0.0)),
            ("a semitone off matches nothing", [(a, b, p + 1) for a, b, p in REFERENCE], (0.0, 0.0)),
            ("half the notes: recall 1/2", REFERENCE[:2], (2 / 3, 2 / 3)),
            # One note in three fragments: the first matches its onset (precision 1/3, recall
            # 1/4), none its offset.
            ("fragments count once", fragments, (2 / 7, 0.0)),
            ("right onsets, ends far off", [(a, b + 1.0, p) for a, b, p in REFERENCE], (1.0, 0.0)),
            ("no notes", [], (0.0, 0.0)),
        ]
        for label, estimate, expected in cases:
            with self.subTest(label):
                onset, full = score.f1_scores(REFERENCE, estimate)
                self.assertAlmostEqual(onset, expected[0], places=6)
                self.assertAlmostEqual(full, expected[1], places=6)


class OnsetDetails(unittest.TestCase):
    def test_precision_recall_and_lag(self):
        late = [(a + 0.1, b, p) for a, b, p in REFERENCE] + [(3.0, 3.5, 60)]
        precision, recall, lag = score.onset_details(REFERENCE, late)
        self.assertEqual((precision, recall), (0.0, 0.0))
        self.assertAlmostEqual(lag, 0.1, places=6)
        self.assertEqual(score.onset_details(REFERENCE, REFERENCE[:1] + [(3.0, 3.5, 60)]), (0.5, 0.25, 0.0))


class MidiNotes(unittest.TestCase):
    def test_reads_what_the_piece_writer_wrote(self):
        # Repeated notes of one pitch (off and on at one tick) and a chord, through a file.
        text = "C4:1 C4:1 C4+E4+G4:2 r:1 D5:0.5"
        piece = pieces.Piece("t", "test", False, {0: 0}, pieces.line(text, bpm=120, legato=1.0))
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "t.mid")
            pieces.write_midi(piece, path)
            read = score.read_midi_notes(path)
        expected = pieces.reference_notes(piece)
        self.assertEqual(len(read), len(expected))
        for got, want in zip(read, expected):
            self.assertAlmostEqual(got[0], want[0], places=6)
            self.assertAlmostEqual(got[1], want[1], places=6)
            self.assertEqual(got[2], want[2])

    def test_tempo_bends_and_unclosed_notes(self):
        # 1000 ticks per second; a note-on with velocity 0 ends a note; a bend of +4096 on
        # its channel raises a note a semitone; an open note ends with the file.
        track = mido.MidiTrack([
            mido.MetaMessage("set_tempo", tempo=384000, time=0),
            mido.Message("note_on", note=60, velocity=90, time=0),
            mido.Message("note_on", note=60, velocity=0, time=250),
            mido.Message("pitchwheel", channel=1, pitch=4096, time=0),
            mido.Message("note_on", note=62, velocity=90, time=250),
            mido.Message("note_on", note=64, velocity=90, channel=1, time=0),
            mido.MetaMessage("end_of_track", time=500),
        ])
        midi = mido.MidiFile(type=0, ticks_per_beat=384)
        midi.tracks.append(track)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "t.mid")
            midi.save(path)
            read = score.read_midi_notes(path)
        self.assertEqual([(round(a, 6), round(b, 6), p) for a, b, p in read], [(0.0, 0.25, 60), (0.5, 1.0, 62), (0.5, 1.0, 65)])
        self.assertEqual(score.read_midi_notes(os.path.join("missing", "x.mid")), [])


class OtherInstruments(unittest.TestCase):
    def test_same_rhythm_other_sounds_a_whole_tone_lower(self):
        for own in pieces.build_pieces():
            other = pieces.on_other_instruments(own)
            if own.synth:
                self.assertEqual(other, own)
                continue
            self.assertEqual(set(other.programs), set(own.programs), own.name)
            self.assertNotEqual(other.programs, own.programs, own.name)
            self.assertEqual([(n.onset, n.offset, n.pitch - 2) for n in own.notes],
                             [(n.onset, n.offset, n.pitch) for n in other.notes], own.name)


if __name__ == "__main__":
    unittest.main()
