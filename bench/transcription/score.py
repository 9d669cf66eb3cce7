"""Scores transcriptions with mir_eval's note matching and formats the benchmark's tables.

A reference and an estimated note match when their pitches lie within 50 cents and their
onsets within 50 ms; "with offsets" also asks the offset within max(50 ms, 20 % of the
reference note's length). Matching is one-to-one, so fragments of one note count once.
"""

import os

import mido
import numpy as np
import mir_eval.transcription

ONSET_TOLERANCE = 0.05
PITCH_TOLERANCE = 50.0  # cents


def hz(pitch):
    return 440.0 * 2.0 ** ((pitch - 69) / 12.0)


def read_midi_notes(path):
    """(onset s, offset s, MIDI pitch) of every note in a Standard MIDI File, read by mido
    (an independent reader). A note-on with velocity 0 is a note-off; a note-off closes the
    earliest open note of its channel and pitch; notes still open at the end close there.
    A channel's pitch bend at a note's onset moves its pitch (General MIDI's range of two
    semitones), so microtonal output scores at its fine pitch. A missing file has no notes."""
    if path is None or not os.path.exists(path):
        return []
    now = 0.0
    bend = {}
    open_notes = {}
    notes = []
    for msg in mido.MidiFile(path):
        now += msg.time
        if msg.type == "pitchwheel":
            bend[msg.channel] = 2.0 * msg.pitch / 8192.0
        if msg.type not in ("note_on", "note_off"):
            continue
        key = (msg.channel, msg.note)
        if msg.type == "note_on" and msg.velocity > 0:
            open_notes.setdefault(key, []).append((now, msg.note + bend.get(msg.channel, 0.0)))
        elif open_notes.get(key):
            onset, pitch = open_notes[key].pop(0)
            notes.append((onset, now, pitch))
    for started in open_notes.values():
        notes.extend((onset, now, pitch) for onset, pitch in started)
    return sorted(notes)


def _arrays(notes):
    notes = [n for n in notes if n[1] > n[0]]
    if not notes:
        return np.zeros((0, 2)), np.zeros(0)
    intervals = np.array([[on, off] for on, off, _ in notes], dtype=float)
    pitches = np.array([hz(p) for _, _, p in notes], dtype=float)
    return intervals, pitches


def f1_scores(reference, estimate):
    """(onset-only F1, onset+offset F1) of an estimate against a reference, both lists of
    (onset s, offset s, MIDI pitch). An empty estimate scores 0."""
    ref_i, ref_p = _arrays(reference)
    est_i, est_p = _arrays(estimate)
    if len(est_p) == 0 or len(ref_p) == 0:
        return 0.0, 0.0
    _, _, onset_f1, _ = mir_eval.transcription.precision_recall_f1_overlap(
        ref_i, ref_p, est_i, est_p, onset_tolerance=ONSET_TOLERANCE,
        pitch_tolerance=PITCH_TOLERANCE, offset_ratio=None)
    _, _, full_f1, _ = mir_eval.transcription.precision_recall_f1_overlap(
        ref_i, ref_p, est_i, est_p, onset_tolerance=ONSET_TOLERANCE,
        pitch_tolerance=PITCH_TOLERANCE, offset_ratio=0.2, offset_min_tolerance=0.05)
    return float(onset_f1), float(full_f1)


def onset_details(reference, estimate):
    """(onset precision, onset recall, median onset lag in seconds or None) of an estimate.
    The lag of a reference note is the time to the nearest estimated onset of its pitch
    within half a second either side: a steady lag beyond the 50 ms tolerance shows notes
    found late (slow attacks), not missed."""
    ref_i, ref_p = _arrays(reference)
    est_i, est_p = _arrays(estimate)
    if len(est_p) == 0 or len(ref_p) == 0:
        return 0.0, 0.0, None
    precision, recall, _, _ = mir_eval.transcription.precision_recall_f1_overlap(
        ref_i, ref_p, est_i, est_p, onset_tolerance=ONSET_TOLERANCE,
        pitch_tolerance=PITCH_TOLERANCE, offset_ratio=None)
    lags = []
    for (onset, _), pitch in zip(ref_i, ref_p):
        same = np.abs(1200.0 * np.log2(est_p / pitch)) <= PITCH_TOLERANCE
        near = est_i[same, 0] - onset
        near = near[np.abs(near) <= 0.5]
        if len(near):
            lags.append(near[np.argmin(np.abs(near))])
    return float(precision), float(recall), (float(np.median(lags)) if lags else None)


# One result: {"onset": F1, "full": F1, "speed": times real time or None, "notes": count}
# or None when the mode could not run.

def _cell(result):
    if result is None:
        return f"{'n/a':>5} {'n/a':>5} {'n/a':>6} {'':>5}"
    speed = "-" if result.get("speed") is None else f"{result['speed']:.1f}"
    return f"{result['onset']:5.2f} {result['full']:5.2f} {speed:>6} {result['notes']:5d}"


def _mean_cell(results):
    valid = [r for r in results if r is not None]
    if not valid or len(valid) != len(results):
        return _cell(None)
    speeds = [r["speed"] for r in valid if r.get("speed")]
    return _cell({"onset": sum(r["onset"] for r in valid) / len(valid),
                  "full": sum(r["full"] for r in valid) / len(valid),
                  # Times real time of the whole set: total audio over total conversion time.
                  "speed": (sum(r["audio"] for r in valid) / sum(r["audio"] / r["speed"] for r in valid)
                            if len(speeds) == len(valid) else None),
                  "notes": sum(r["notes"] for r in valid)})


def table(title, rows, modes):
    """rows: dicts with name, category, held_out, reference (note count) and one result per
    mode. Returns the table as text: one line per clip, then the means over all clips, the
    tuning clips and the held-out clips, then the mean per category."""
    width = 18 + 1 + 14 + 5 + 5
    head1 = " " * width + "".join(f" | {m:^25}" for m in modes)
    head2 = (f"{'clip':18} {'category':14} {'held':>4} {'ref':>4}"
             + " | onset  +off   xRT notes" * len(modes))
    lines = [f"## {title}", "", head1, head2, "-" * len(head2)]
    for r in rows:
        lines.append(f"{r['name']:18} {r['category']:14} {'yes' if r['held_out'] else '':>4} {r['reference']:4d}"
                     + "".join(f" | {_cell(r[m])}" for m in modes))
    lines.append("-" * len(head2))
    groups = [("mean, all clips", rows), ("mean, tuning clips", [r for r in rows if not r["held_out"]]),
              ("mean, held-out clips", [r for r in rows if r["held_out"]])]
    categories = sorted({r["category"] for r in rows}, key=lambda c: [r["category"] for r in rows].index(c))
    groups += [(f"  {c}", [r for r in rows if r["category"] == c]) for c in categories]
    for label, group in groups:
        if not group:
            continue
        if label.startswith("  ") and label == f"  {categories[0]}":
            lines.append("per category:")
        lines.append(f"{label:38} {sum(r['reference'] for r in group):4d}"
                     + "".join(f" | {_mean_cell([r[m] for r in group])}" for m in modes))
    return "\n".join(lines)


def _detail_cell(result):
    if result is None or "precision" not in result:
        return f"{'n/a':>5} {'n/a':>5} {'':>6}"
    lag = "" if result["lag"] is None else f"{1000 * result['lag']:+.0f}"
    return f"{result['precision']:5.2f} {result['recall']:5.2f} {lag:>6}"


def detail_table(title, rows, modes):
    """Onset precision, recall and median onset lag (ms) per clip and mode: whether a clip
    loses its score to extra notes, to missed notes or to late ones."""
    head1 = " " * 33 + "".join(f" | {m:^18}" for m in modes)
    head2 = f"{'clip':18} {'category':14}" + " |  prec   rec    lag" * len(modes)
    lines = [f"## {title}: onset details", "", head1, head2, "-" * len(head2)]
    for r in rows:
        lines.append(f"{r['name']:18} {r['category']:14}" + "".join(f" | {_detail_cell(r[m])}" for m in modes))
    return "\n".join(lines)


def legend():
    return "\n".join([
        "onset: note-onset F1 (pitch within 50 cents, onset within 50 ms); +off: F1 with the offset",
        "also within max(50 ms, 20 % of the note); xRT: audio seconds per second of conversion",
        "(with --reuse: of the last full conversion, - if none); notes: notes written; ref: notes",
        "in the piece. Means are over clips, not notes; xRT of a mean is total audio over total time."])
