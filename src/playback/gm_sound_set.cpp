#include "playback/gm_sound_set.h"

// The spellings are the dialog's own, kept as users know them.
const std::array<const char*, 128> GM_PROGRAM_NAMES = {
    "Grand Pianno", "Brite Piano", "Electric GrandPiano", "Honky-tonk Piano", "Electroc.Piano1",
    "Electric .Piano2", "Harpsichord", "Clavi", "Celesta", "Glockenspiel", "Music Box",
    "Vibraphone", "Marimba", "Xylophon", "Tubular Bells", "Dulcimer", "Drawbar Organ",
    "Percussive Organ", "Rock Organ", "Church Organ", "Reed Organ", "Accordion", "Harmonica",
    "Tango Accordion", "Nylon Guitar", "Steel Guitar", "Jazz Guitar", "Clean Guitar",
    "Muted Guitar", "Overdriven Guitar", "Distortion Guitar", "Guitar Harmonics", "Acoustic Bass",
    "Finger Bass", "Pick Bass", "Fretless Bass", "Slap Bass 1", "Slap Bass 2", "Synth Bass 1",
    "Synth Bass 2", "Violin", "Viola", "Cello", "Contrabass", "Tremolo Strings",
    "Pizzicato Strings", "Orchestral Harp", "Timpani", "Strings 1", "Strings 2", "Synth Strings 1",
    "Synth Strings 2", "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit", "Trumpet",
    "Trombone", "Tuba", "Muted Trumpet", "French Horn", "Brass Section", "Synth Brass 1",
    "Synth Brass 2", "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax", "Oboe",
    "English Horn", "Bassoon", "Clarinet", "Piccolo", "Flute", "Recorder", "Pan Flute",
    "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina", "Square Lead", "Sawtooth Lead",
    "Calliope Lead", "Chiff Lead", "Charang Lead", "Voice Lead", "Fifths Lead", "Bass Lead",
    "New Age Pad", "Warm Pad", "Poly Synth Pad", "Choir Pad", "Bowed Pad", "Metallic Pad",
    "Halo Pad", "Sweep Pad", "Rain", "Sound Track", "Crystal", "Atmosphere", "Brightness",
    "Goblins", "Echoes", "Sci-Fi", "Sitar", "Banjo", "Shamisen", "Koto", "Kalimba", "Bagpipe",
    "Fiddle", "Shanai", "Trinkle Bell", "Agogo", "Steel Drums", "Woodblock", "Taiko Drum",
    "Melodic Tom", "Synth Drums", "Reverse Cymbal", "Fret Noise", "Breath Noise", "Seashore",
    "Bird Tweet", "Telephone Ring", "Helicopter", "Applause", "Gunshot"
};

const std::array<TimbreGroup, 7> TIMBRE_GROUPS = {{
    {1, "ピアノ"},
    {54, "ボーカル"},
    {49, "弦楽器"},
    {62, "ブラス"},
    {75, "リコーダー"},
    {20, "オルガン"},
    {25, "ギター"},
}};
