// Names of MIDI notes as the text MIDI file and the note dialog show them: "C#4", "A3", "C-2".
#pragma once

#include <cstdint>
#include <string>

// Name of a pitch class 0..11 (C upward, sharps only): "C", "C#", ... "B". Other values
// are taken modulo 12.
const char* pitch_class_name(int32_t pitch_class);

// Octave number of a note: note / 12 - 2, so note 60 is in octave 3 and note 0 in octave -2.
int32_t note_octave(int32_t note);

// Name and octave of a note number, e.g. 73 gives "C#4" and 0 gives "C-2".
std::string note_name(int32_t note);

// Pitch class of a note letter A-G in either case (C 0, D 2, E 4, F 5, G 7, A 9, B 11),
// or -1 for any other character.
int32_t pitch_class_of_letter(char letter);
