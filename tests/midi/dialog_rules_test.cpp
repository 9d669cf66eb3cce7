// The rules of the note edit dialog (134), the filter dialog (136) and the pitch/tempo
// dialog (135): what each button reads, runs and shows.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/settings.h"
#include "midi/list_change.h"
#include "midi/list_dialogs.h"
#include "midi/midi_event_list.h"
#include "midi/note_edit_dialog.h"
#include "midi/note_filter.h"
#include "midi/note_selection.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

using Texts = std::map<int32_t, std::string>;

Texts texts_of(const std::vector<ControlText>& shown)
{
    Texts t;
    for (const ControlText& c : shown)
        t[c.id] = c.text;
    return t;
}

ControlTexts reader(const Texts& t)
{
    return [&t](int32_t id) {
        const auto it = t.find(id);
        return it == t.end() ? std::string() : it->second;
    };
}

class ListDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        // Two notes: 60 from 0 to 100 and 64 from 50 to 200.
        test::load_events({test::event(0, 0x90, 60, 100), test::event(50, 0x90, 64, 90),
                           test::event(100, 0x80, 60), test::event(200, 0x80, 64)});
        ASSERT_TRUE(select_note_events(0, 2));
    }
};

TEST_F(ListDialogs, NoteEditShowsTheNoteAndUpdateRefreshesNameAndDuration)
{
    Texts t = texts_of(note_edit_dialog_texts());
    EXPECT_EQ(t, (Texts{{1003, "60"}, {1004, "C3"}, {1005, "0"}, {1006, "100"}, {1007, "100"},
                        {1008, "100"}}));
    t[1003] = "61";
    t[1005] = "10";
    t[1006] = "300";
    t[1008] = "none";  // no number reads 0
    const DialogPress p = press_note_edit_dialog(1054, reader(t));
    EXPECT_EQ(p.result, 0) << "update keeps the dialog open";
    EXPECT_EQ(texts_of(p.shown), (Texts{{1004, "C#3"}, {1007, "290"}}));
    EXPECT_EQ(note_selection.selected_velocity, 0);
    EXPECT_EQ(midi_event_list.event_count, 4) << "update edits no event";
}

TEST_F(ListDialogs, NoteEditButtonsRunTheirOperationAndClose)
{
    Texts t = texts_of(note_edit_dialog_texts());
    t[1003] = "62";
    t[1008] = "70";
    EXPECT_EQ(press_note_edit_dialog(1, reader(t)).result, 1);
    EXPECT_EQ(test::describe_list(), (std::vector<std::string>{"90 62 70 @0 t0", "90 64 90 @50 t0",
                                                               "80 62 0 @100 t0", "80 64 0 @200 t0"}));
    EXPECT_EQ(midi_event_list.selected_on, -1);

    ASSERT_TRUE(select_note_events(0, 2));
    t = texts_of(note_edit_dialog_texts());
    t[1005] = "300";
    t[1006] = "400";
    EXPECT_EQ(press_note_edit_dialog(1056, reader(t)).result, 1);
    EXPECT_EQ(midi_event_list.event_count, 6);

    ASSERT_TRUE(select_note_events(0, 2));
    Texts ignored = {{1003, "junk"}};
    EXPECT_EQ(press_note_edit_dialog(1055, reader(ignored)).result, 1);
    EXPECT_EQ(midi_event_list.event_count, 4);
    EXPECT_EQ(note_selection.selected_note, 62) << "delete reads no field";
    EXPECT_EQ(press_note_edit_dialog(2, reader(t)).result, 2);
}

TEST_F(ListDialogs, FilterConnectionActsAtOnceAndStaysOnCancel)
{
    Texts t = texts_of(filter_dialog_texts());
    EXPECT_EQ(t[1005], "20");
    EXPECT_EQ(t[1006], "300");
    EXPECT_FALSE(filter_dialog_checks()[0].checked);
    DialogPress p = press_filter_dialog(1024, reader(t));
    EXPECT_EQ(texts_of(p.shown), (Texts{{1005, "1"}, {1006, "1"}}));
    EXPECT_EQ(conversion_settings.FLT_CONNECT, 1);
    EXPECT_EQ(press_filter_dialog(2, reader(t)).result, 2);
    EXPECT_EQ(filter_settings.FILTER_LENGTH_MIN, 1);
    p = press_filter_dialog(1024, reader(t));
    EXPECT_EQ(texts_of(p.shown), (Texts{{1005, "20"}, {1006, "300"}}));

    t = {{1003, "10"}, {1004, "90"}, {1005, "5"}, {1006, "6"}, {1007, "-7"}, {1008, "8"}};
    EXPECT_EQ(press_filter_dialog(1, reader(t)).result, 1);
    const FilterSettings& f = filter_settings;
    EXPECT_EQ(f.FILTER_NOTE_MIN, 10);
    EXPECT_EQ(f.FILTER_NOTE_MAX, 90);
    EXPECT_EQ(f.FILTER_VELOCITY_MIN, 5);
    EXPECT_EQ(f.FILTER_LENGTH_MIN, 6);
    EXPECT_EQ(f.FILTER_VELOCITY_CHANGE_MAX, -7) << "the only signed field";
    EXPECT_EQ(f.FILTER_GAP_MAX, 8);
}

TEST_F(ListDialogs, PitchTempoValuesPersistToTheNextOpening)
{
    Texts t = texts_of(list_change_dialog_texts());
    EXPECT_EQ(t, (Texts{{1003, "0"}, {1004, "100"}}));
    t = {{1003, "-12"}, {1004, "200"}};
    EXPECT_EQ(press_list_change_dialog(1, reader(t)).result, 1);
    EXPECT_EQ(texts_of(list_change_dialog_texts()), t);
    t = {{1003, "5"}, {1004, "-1"}};
    EXPECT_EQ(press_list_change_dialog(2, reader(t)).result, 2);
    EXPECT_EQ(list_change_settings.LIST_TRANSPOSE, -12) << "cancel reads nothing";
    EXPECT_EQ(press_list_change_dialog(1, reader(t)).result, 1);
    EXPECT_EQ(list_change_settings.LIST_TEMPO_PERCENT, 0u) << "a minus sign is no unsigned number";
}

} // namespace
