// The displayed time and note range of the piano roll, and the rules of dialog 131
// "MIDI表示モード設定" that edits them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Program-wide, kept while the program runs (not in the settings file). Values typed into
// dialog 131 are stored unchecked; the views survive any of them.
struct DisplaySettings {
    int32_t display_start_ms = 0;   // first displayed time
    int32_t display_end_ms = -1;    // last displayed time; -1 means the end of the data
    int32_t display_note_low = 19;  // lowest displayed note number
    int32_t display_note_high = 112; // highest displayed note number
};

extern DisplaySettings display_settings;

// Puts the display range back to its start values: dialog 131's "初期化" and the tests.
void reset_display_settings();

// The texts of the dialog's four edit fields: the times signed, the notes unsigned (a note
// number of -1 shows as 4294967295).
struct DisplayRangeFields {
    std::string start_ms;   // edit 1003
    std::string end_ms;     // edit 1004
    std::string note_low;   // edit 1005
    std::string note_high;  // edit 1006
};

// What the fields show when the dialog opens.
DisplayRangeFields display_range_fields();

// OK: reads the four fields back the same way (text that is not a number reads as 0) and
// stores them.
void store_display_range_fields(const DisplayRangeFields& fields);

// The pick buttons store their value at once (cancelling afterwards keeps it) and return
// the text the field then shows. They take the selected note's values.
std::string pick_display_start();  // 1055 "開始": the selected note's start in ms
std::string pick_display_end();    // 1056 "～終了": the selected note's end in ms
std::string pick_note_low();       // 1057 "下端": the selected note number
std::string pick_note_high();      // 1058 "～上端": the selected note number
