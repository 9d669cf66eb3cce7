#!/usr/bin/python3
"""Writes the SMF fixtures of the SMF reader tests with python3-mido, an SMF writer
independent of ours. Run it from anywhere: /usr/bin/python3 make_smf_fixtures.py
mido uses running status whenever two messages in a row share a status byte; the
fixtures rely on that only where they say so."""
import os
import mido

HERE = os.path.dirname(os.path.abspath(__file__))


def save(midi, name):
    midi.save(os.path.join(HERE, name))


def format0(messages):
    midi = mido.MidiFile(type=0, ticks_per_beat=384)
    track = mido.MidiTrack(messages)
    midi.tracks.append(track)
    return midi


# Two note-ons in a row on one channel: the second is written in running status.
save(format0([
    mido.MetaMessage('track_name', name='piano', time=0),
    mido.MetaMessage('set_tempo', tempo=250000, time=0),
    mido.Message('note_on', channel=0, note=60, velocity=100, time=0),
    mido.Message('note_on', channel=0, note=64, velocity=100, time=96),
    mido.Message('note_off', channel=0, note=60, velocity=0, time=96),
]), 'running_status.mid')

# A program change at delta 96, then a note-on at delta 96, then every kind the reader
# keeps or skips, never two equal status bytes in a row.
save(format0([
    mido.MetaMessage('track_name', name='piano', time=0),
    mido.MetaMessage('time_signature', numerator=4, denominator=4, time=0),
    mido.MetaMessage('set_tempo', tempo=384000, time=0),
    mido.Message('program_change', channel=0, program=5, time=96),
    mido.Message('note_on', channel=0, note=60, velocity=90, time=96),
    mido.Message('note_off', channel=0, note=60, velocity=0, time=384),
    mido.Message('control_change', channel=0, control=7, value=100, time=0),
    mido.Message('pitchwheel', channel=0, pitch=0, time=0),
    mido.Message('control_change', channel=0, control=11, value=50, time=10),
    mido.Message('note_on', channel=1, note=62, velocity=70, time=0),
    mido.Message('note_off', channel=1, note=62, velocity=0, time=100),
]), 'program_change.mid')

# Format 1: a 19-byte conductor track (time signature, tempo, end of track) and two
# tracks that open with a 16-byte track name; notes at equal times in both tracks.
midi = mido.MidiFile(type=1, ticks_per_beat=384)
midi.tracks.append(mido.MidiTrack([
    mido.MetaMessage('time_signature', numerator=4, denominator=4, time=0),
    mido.MetaMessage('set_tempo', tempo=500000, time=0),
]))
midi.tracks.append(mido.MidiTrack([
    mido.MetaMessage('track_name', name='first track1', time=0),
    mido.Message('note_on', channel=0, note=60, velocity=100, time=0),
    mido.Message('note_off', channel=0, note=60, velocity=0, time=384),
]))
midi.tracks.append(mido.MidiTrack([
    mido.MetaMessage('track_name', name='second track', time=0),
    mido.Message('note_on', channel=1, note=67, velocity=80, time=0),
    mido.Message('pitchwheel', channel=1, pitch=2048, time=192),
    mido.Message('note_off', channel=1, note=67, velocity=0, time=192),
]))
save(midi, 'format1.mid')
