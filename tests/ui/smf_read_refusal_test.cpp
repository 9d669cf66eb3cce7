// Reading an SMF the program cannot play tells the user why, in Japanese, naming the file.
#include <gtest/gtest.h>

#include <QAction>

#include "core/status.h"
#include "midi/midi_event_list.h"
#include "shell/commands.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace {

class SmfReadRefusalTest : public uitest::WindowTest {
protected:
    void trigger(int32_t command) { window->command_action(command)->trigger(); }
};

TEST_F(SmfReadRefusalTest, RefusedFilesShowTheReasonAndReadableOnesShowNothing)
{
    const std::vector<uint8_t> track = {'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    const struct {
        const char* name;
        std::vector<uint8_t> header;
        const char* reason;  // empty: read without a message
    } cases[] = {
        {"smpte.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 0x28}, "SMPTE形式"},
        {"format2.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 2, 0, 1, 0x00, 0x60}, "フォーマット2"},
        {"cut.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, "読み込めるSMF形式"},  // no track follows
        {"good.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x00, 0x60}, ""},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c.header;
        if (bytes.size() == 14)
            bytes.insert(bytes.end(), track.begin(), track.end());
        const std::string path = dir.file(c.name);
        test::write_bytes(path, bytes);
        QString message;
        {
            uitest::ModalScript script;
            script.then(uitest::accept_file(path));
            if (*c.reason)
                script.then(uitest::read_message(&message));
            window->run_prologue();
            trigger(CMD_READ_SMF);
            EXPECT_TRUE(script.done()) << c.name;
            EXPECT_TRUE(script.unexpected().empty()) << c.name;
        }
        if (*c.reason) {
            EXPECT_NE(message.toStdString().find(path), std::string::npos) << c.name;
            EXPECT_NE(message.toStdString().find(c.reason), std::string::npos) << c.name;
        } else {
            EXPECT_EQ(midi_event_list.event_count, 1) << c.name;
        }
    }
}

} // namespace
