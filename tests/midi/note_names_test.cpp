#include <gtest/gtest.h>

#include "midi/note_names.h"

TEST(NoteNames, NamesCarryPitchClassAndOctave)
{
    const struct {
        int32_t note;
        const char* name;
    } cases[] = {
        {0, "C-2"}, {11, "B-2"}, {12, "C-1"}, {23, "B-1"}, {24, "C0"}, {59, "B2"},
        {60, "C3"}, {61, "C#3"}, {69, "A3"}, {70, "A#3"}, {73, "C#4"}, {127, "G8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(note_name(c.note), c.name) << c.note;
}

TEST(NoteNames, PitchClassesUseSharpsOnlyAndWrap)
{
    const char* expected[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    for (int32_t pc = 0; pc < 12; ++pc) {
        EXPECT_STREQ(pitch_class_name(pc), expected[pc]);
        EXPECT_STREQ(pitch_class_name(pc + 120), expected[pc]);
        EXPECT_STREQ(pitch_class_name(pc - 12), expected[pc]);  // never indexes outside the table
    }
}

TEST(NoteNames, LettersInBothCasesGiveTheirPitchClass)
{
    const char* letters = "CDEFGAB";
    const int32_t classes[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(pitch_class_of_letter(letters[i]), classes[i]);
        EXPECT_EQ(pitch_class_of_letter(static_cast<char>(letters[i] + ('a' - 'A'))), classes[i]);
    }
    for (char c : {'H', 'h', '#', '3', ' ', '\0'})
        EXPECT_EQ(pitch_class_of_letter(c), -1) << int(c);
}
