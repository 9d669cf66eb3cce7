#include "midi/note_names.h"

namespace {

constexpr const char* PITCH_CLASS_NAMES[12] = {"C", "C#", "D", "D#", "E", "F",
                                               "F#", "G", "G#", "A", "A#", "B"};

} // namespace

const char* pitch_class_name(int32_t pitch_class)
{
    int32_t index = pitch_class % 12;
    if (index < 0)
        index += 12;
    return PITCH_CLASS_NAMES[index];
}

int32_t note_octave(int32_t note)
{
    return note / 12 - 2;
}

std::string note_name(int32_t note)
{
    return std::string(pitch_class_name(note)) + std::to_string(note_octave(note));
}

int32_t pitch_class_of_letter(char letter)
{
    switch (letter) {
    case 'C': case 'c': return 0;
    case 'D': case 'd': return 2;
    case 'E': case 'e': return 4;
    case 'F': case 'f': return 5;
    case 'G': case 'g': return 7;
    case 'A': case 'a': return 9;
    case 'B': case 'b': return 11;
    default: return -1;
    }
}
