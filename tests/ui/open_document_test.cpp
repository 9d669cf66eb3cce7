// Opening a file without the file dialog: named on the command line, or dropped on the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <filesystem>

#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "shell/commands.h"
#include "shell/document_files.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "ui/main_window.h"
#include "ui_test_support.h"
#include "wave/wav_reader.h"

namespace {

using uitest::ModalScript;

class OpenDocumentTest : public uitest::WindowTest {
protected:
    // song.wav, song.txt and song.mid (two notes), and nothing loaded afterwards.
    void write_documents()
    {
        ASSERT_TRUE(synth::write_wav(dir.file("song.wav"), synth::WavLayout{}, synth::sine(440, 8000, 4410)));
        test::load_events({test::event(0, 0x90, 60, 100), test::event(50, 0x90, 64, 90),
                           test::event(100, 0x80, 60), test::event(200, 0x80, 64)});
        ASSERT_GT(write_text_midi(dir.file("song.txt").c_str()), 0);
        ASSERT_GT(write_smf(dir.file("song.mid").c_str()), 0);
        uitest::reset_program_state();
        window->run_prologue();
    }

    // Sends a drag of path over the window and drops it; returns whether the drag was taken.
    bool drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        return dropped.isAccepted();
    }
};

TEST_F(OpenDocumentTest, EachKindOpensAsItsReadCommandWould)
{
    write_documents();
    struct Case {
        std::string name;
        int32_t document_state;
        int32_t frames, events;
    };
    std::filesystem::copy_file(dir.file("song.mid"), dir.file("loud SONG.MID"));
    // What the SMF reader itself makes of the file (it keeps the written controller events).
    ASSERT_GE(read_smf(dir.file("song.mid").c_str()), 0);
    const int32_t smf_events = midi_event_list.event_count;
    uitest::reset_program_state();
    // A path of more than 255 bytes, once refused.
    const std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(40, 'f');
    std::filesystem::create_directories(dir.file(deep));
    std::filesystem::copy_file(dir.file("song.wav"), dir.file(deep + "/long.wav"));
    ASSERT_GT(dir.file(deep + "/long.wav").size(), 300u);
    const Case cases[] = {
        {deep + "/long.wav", 1, 4410, 0},
        {"song.wav", 1, 4410, 0},
        {"song.txt", 2, 0, 4},
        {"song.mid", 2, 0, smf_events},
        {"loud SONG.MID", 2, 0, smf_events},
    };
    for (const Case& c : cases) {
        uitest::reset_program_state();
        ModalScript script;  // no dialog and no message may open
        EXPECT_TRUE(window->open_document(QString::fromStdString(dir.file(c.name)))) << c.name;
        EXPECT_TRUE(script.unexpected().empty()) << c.name;
        EXPECT_EQ(conversion_status.document_state, c.document_state) << c.name;
        EXPECT_EQ(wave_data.frame_count, c.frames) << c.name;
        EXPECT_EQ(midi_event_list.event_count, c.events) << c.name;
        EXPECT_EQ(std::string(conversion_status.current_path), dir.file(c.name)) << c.name;
    }
    window->run_prologue();
    EXPECT_TRUE(window->command_action(CMD_PLAY_MIDI)->isEnabled()) << "the menu follows the loaded list";
}

TEST_F(OpenDocumentTest, AFileThatCannotBeOpenedIsToldInJapaneseAndTheWindowGoesOn)
{
    write_documents();
    test::write_text(dir.file("broken.mid"), "not a MIDI file");
    test::write_text(dir.file("notes.mp3"), "");
    std::filesystem::create_directory(dir.file("folder.wav"));
    struct Case {
        std::string name;
        std::string says;  // the part of the message that tells what went wrong
    };
    const Case cases[] = {
        {"missing.wav", "WAVファイルを読み込めませんでした。"},
        {"folder.wav", "フォルダです。"},
        {"broken.mid", "SMF形式MIDIファイルを読み込めませんでした。"},
        {"notes.mp3", unknown_kind_text(dir.file("notes.mp3"))},
    };
    for (const Case& c : cases) {
        QString message;
        ModalScript script;
        script.then(uitest::read_message(&message));
        EXPECT_FALSE(window->open_document(QString::fromStdString(dir.file(c.name)))) << c.name;
        EXPECT_TRUE(script.done()) << c.name;
        EXPECT_NE(message.toStdString().find(c.says), std::string::npos) << message.toStdString();
        EXPECT_NE(message.toStdString().find(dir.file(c.name)), std::string::npos) << c.name;
    }
    // Still usable: the next file opens, and so does the menu's read command.
    EXPECT_TRUE(window->open_document(QString::fromStdString(dir.file("song.txt"))));
    EXPECT_EQ(midi_event_list.event_count, 4);
    ModalScript script;
    script.then(uitest::accept_file(dir.file("song.wav")));
    window->command_action(CMD_READ_WAVE)->trigger();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(wave_data.frame_count, 4410);
    EXPECT_EQ(conversion_status.document_state, 1);
}

TEST_F(OpenDocumentTest, ADroppedFileOpensAndOtherDropsAreRefused)
{
    write_documents();
    EXPECT_FALSE(drop(QString::fromStdString(dir.file("cover.png"))));
    EXPECT_EQ(conversion_status.document_state, 0);
    EXPECT_TRUE(drop(QString::fromStdString(dir.file("song.txt"))));
    EXPECT_TRUE(uitest::wait_until([] { return midi_event_list.event_count == 4; }, 10000));
    EXPECT_EQ(conversion_status.document_state, 2);
    EXPECT_TRUE(drop(QString::fromStdString(dir.file("song.wav"))));
    EXPECT_TRUE(uitest::wait_until([] { return wave_data.frame_count == 4410; }, 10000));
    EXPECT_EQ(conversion_status.document_state, 1);
}

TEST(OpenOnTheCommandLine, TheProgramStartsWithTheNamedFileOpen)
{
    uitest::reset_program_state();
    test::TempDir dir;
    test::load_events({test::event(0, 0x90, 60, 100), test::event(100, 0x80, 60)});
    ASSERT_GT(write_text_midi(dir.file("start.txt").c_str()), 0);
    uitest::reset_program_state();
    int32_t events_seen = -1;
    int32_t state_seen = -1;
    // Once the program's window shows the file, close it: the event loop then ends.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<MainWindow*>(w);
            if (main && main->isVisible() && midi_event_list.event_count > 0) {
                events_seen = midi_event_list.event_count;
                state_seen = conversion_status.document_state;
                main->close();
            }
        }
    });
    poll.start(20);
    // Never hang: whatever happened, the window closes after a while.
    QTimer::singleShot(60000, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow*>(w))
                w->close();
    });
    run_main_window(*qApp, QString::fromStdString(dir.file("start.txt")));
    EXPECT_EQ(events_seen, 2);
    EXPECT_EQ(state_seen, 2);
    uitest::reset_program_state();
}

TEST(GuiSwitches, HelpVersionAndWrongArgumentsOfTheProgram)
{
    const std::string exe = TONAGRAM_GUI_EXE;
    const test::CommandResult help = test::run_command("'" + exe + "' --help 2>/dev/null");
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: Tonagram [FILE]\n")) << help.output;
    for (const char* option : {"--render", "--size", "--help", "--version"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    const test::CommandResult version = test::run_command("'" + exe + "' --version 2>/dev/null");
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.output, "Tonagram 6.53\n");
    const test::CommandResult wrong = test::run_command("'" + exe + "' --bogus");
    EXPECT_EQ(wrong.exit_status, 1);
    EXPECT_NE(wrong.output.find("unrecognized option '--bogus'"), std::string::npos) << wrong.output;
    const test::CommandResult two = test::run_command("'" + exe + "' a.wav b.wav");
    EXPECT_EQ(two.exit_status, 1);
    EXPECT_NE(two.output.find("only one file"), std::string::npos) << two.output;
}

} // namespace
