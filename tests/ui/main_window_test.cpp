// The main window driven through its menu actions, with modal dialogs answered by script.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QStatusTipEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "core/messages.h"
#include "core/status.h"
#include "midi/list_change.h"
#include "midi/midi_event_list.h"
#include "midi/note_selection.h"
#include "shell/commands.h"
#include "shell/dialog_templates.h"
#include "shell/file_dialog_rules.h"
#include "shell/manual.h"
#include "shell/playback_state.h"
#include "signal/wav_synth.h"
#include "support/midi_events.h"
#include "support/test_support.h"
#include "ui/dialogs/template_dialog.h"
#include "ui/main_window.h"
#include "ui_test_support.h"
#include "views/plot_frame.h"
#include "wave/wav_reader.h"

namespace {

using uitest::ModalScript;

class MainWindowTest : public uitest::WindowTest {
protected:
    void trigger(int32_t command) { window->command_action(command)->trigger(); }
    bool enabled(int32_t command)
    {
        window->run_prologue();
        return window->command_action(command)->isEnabled();
    }
    void load_two_notes()
    {
        test::load_events({test::event(0, 0x90, 60, 100), test::event(50, 0x90, 64, 90),
                           test::event(100, 0x80, 60), test::event(200, 0x80, 64)});
        ASSERT_TRUE(select_note_events(0, 2));
    }
};

TEST_F(MainWindowTest, StartsWithTitleMenusBannerAndTheInitialGreySet)
{
    EXPECT_EQ(window->windowTitle().toStdString(), MAIN_WINDOW_TITLE);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), STATUS_BANNER);
    QStatusTipEvent hover{QString()};  // what a menu item sends while the mouse is over it
    QApplication::sendEvent(window.get(), &hover);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), STATUS_BANNER);
    QStringList bar;
    for (QAction* a : window->menuBar()->actions()) {
        QString entry = a->text();
        if (QMenu* menu = a->menu()) {
            for (QAction* item : menu->actions())
                entry += QStringLiteral("|") + (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        bar << entry;
    }
    EXPECT_EQ(bar.join(QStringLiteral("\n")).toStdString(),
              "ファイル|WAVファイル読込(&F)|-|TXT形式MIDIファイル読込|SMF形式MIDIファイル読込|-|"
              "TXT形式MIDIファイル保存|SMF形式MIDIファイル保存|-|アプリケーション終了(&X)\n"
              "[WAV再生]\n[MIDI再生(&P)]\n[再生停止]\n[MIDI設定]\n[MIDI変換(&C)]\n[変換停止(&B)]\n"
              "MIDI編集|MIDI再変換|クリーン変換(&K)|-|全体フィルタ処理|全体音高テンポ変更|-|単一ノート編集\n"
              "[表示]\nヘルプ|バージョン情報(&A) ...|マニュアル起動(&H)");
    std::set<int32_t> grayed;
    for (int32_t command : all_commands()) {
        if (!enabled(command))
            grayed.insert(command);
    }
    EXPECT_EQ(grayed, (std::set<int32_t>{CMD_PLAY_MIDI, CMD_SAVE_SMF, CMD_SAVE_TEXT, CMD_PLAY_WAVE,
                                         CMD_CONVERT, CMD_RECONVERT, CMD_STOP_CONVERSION, CMD_FILTER,
                                         CMD_CHANGE_PITCH_TEMPO, CMD_EDIT_NOTE, CMD_STOP_PLAYBACK,
                                         CMD_CLEAN}));
}

TEST_F(MainWindowTest, AltQuestionMarkAndAltSlashOpenTheAboutBox)
{
    for (Qt::Key key : {Qt::Key_Question, Qt::Key_Slash}) {
        QString title;
        ModalScript script;
        script.then([&title](QWidget* w) {
            title = w->windowTitle();
            uitest::press(1)(w);
        });
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), key, Qt::AltModifier);
        EXPECT_TRUE(uitest::wait_until([&] { return script.done(); }, 5000)) << key;
        EXPECT_EQ(title.toStdString(), "バージョン情報");
    }
}

TEST_F(MainWindowTest, CommandsRepaintOrRedrawOnlyTheMenuBar)
{
    load_two_notes();
    window->run_prologue();
    struct Row {
        int32_t command;
        int answers;  // modal dialogs the command shows, each cancelled
        bool repaints;
    };
    const Row rows[] = {
        {CMD_PLAY_MIDI, 1, false},  // no device opens in the tests: the player says so
        {CMD_MIDI_SETTINGS, 1, true},   {CMD_MANUAL, 0, false},
        {CMD_DISPLAY_SETTINGS, 1, true},
        {CMD_CONVERT, 1, false},        {CMD_RECONVERT, 1, false},    {CMD_ABOUT, 1, true},
        {CMD_FILTER, 1, true},          {CMD_CHANGE_PITCH_TEMPO, 1, true},
        {CMD_EDIT_NOTE, 1, true},       {CMD_SAVE_TEXT, 1, true},
    };
    wave_data.frame_count = 1;  // enables the convert commands
    // The manual goes to an opener that takes it, so no box follows later.
    const QByteArray path = qgetenv("PATH");
    test::write_text(dir.file("xdg-open"), "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(dir.file("xdg-open"), std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(dir.path().string()) + ":" + path);
    for (const Row& r : rows) {
        ModalScript script;
        for (int i = 0; i < r.answers; ++i)
            script.then(uitest::cancel());
        const int before = window->command_repaints();
        trigger(r.command);
        EXPECT_TRUE(script.done() && script.unexpected().empty()) << r.command;
        EXPECT_EQ(window->command_repaints() > before, r.repaints) << r.command;
    }
    qputenv("PATH", path);
    wave_data.frame_count = 0;
}

TEST_F(MainWindowTest, PlayMidiWithoutDataReturnsToIdleAtTheNextEvent)
{
    load_two_notes();
    window->run_prologue();
    clear_event_list();
    trigger(CMD_PLAY_MIDI);
    EXPECT_EQ(conversion_status.document_state, 2);
    EXPECT_EQ(playback_state, 2);
    window->run_prologue();
    EXPECT_EQ(playback_state, 0) << "the player reports it plays nothing";
    EXPECT_FALSE(enabled(CMD_STOP_PLAYBACK));
    EXPECT_TRUE(enabled(CMD_PLAY_MIDI)) << "an enabled item stays enabled";
}

TEST_F(MainWindowTest, ReadsAndSavesThroughTheFileDialogsOnCurrentPath)
{
    ASSERT_TRUE(synth::write_wav(wave, synth::WavLayout{}, synth::sine(440, 8000, 4410)));
    {
        ModalScript script;
        script.then(uitest::cancel());
        trigger(CMD_READ_WAVE);
        EXPECT_EQ(conversion_status.document_state, 1) << "a cancelled read still shows the wave view";
        script.then(uitest::accept_file(wave));
        trigger(CMD_READ_WAVE);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(wave_data.frame_count, 4410);
    EXPECT_STREQ(conversion_status.current_path, wave.c_str());
    EXPECT_TRUE(enabled(CMD_PLAY_WAVE));
    EXPECT_TRUE(enabled(CMD_CONVERT));

    load_two_notes();
    window->run_prologue();
    QString proposed;
    {
        ModalScript script;
        script.then([&proposed](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog->nameFilters().size(), 1);
            proposed = dialog->selectedFiles().value(0);
            static_cast<QDialog*>(dialog)->accept();  // a name that does not exist yet
        });
        trigger(CMD_SAVE_TEXT);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(proposed.toStdString(), dir.file("tone.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("tone.txt")));
    {
        ModalScript script;
        script.then(uitest::cancel());
        trigger(CMD_SAVE_SMF);
    }
    EXPECT_EQ(std::string(conversion_status.current_path), dir.file("tone.mid"))
        << "the extension is rewritten even on cancel";
    EXPECT_FALSE(std::filesystem::exists(dir.file("tone.mid")));

    ASSERT_TRUE(select_note_events(0, 2));
    {
        ModalScript script;
        script.then(uitest::accept_file(dir.file("tone.txt")));
        trigger(CMD_READ_TEXT);
    }
    EXPECT_EQ(midi_event_list.event_count, 4);
    EXPECT_EQ(midi_event_list.selected_on, -1) << "a new list clears the selection";
    EXPECT_EQ(conversion_status.document_state, 2);
}

TEST_F(MainWindowTest, AFifoChosenAsAMidiFileIsRefusedWithoutWaitingAndChangesNothing)
{
    load_two_notes();
    conversion_status.document_state = 1;
    window->run_prologue();
    const std::string fifo = dir.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(60);  // a reader that waits for a writer would hang here for good
    for (int32_t command : {CMD_READ_TEXT, CMD_READ_SMF}) {
        SCOPED_TRACE(command);
        QString notice;
        ModalScript script;
        script.then(uitest::accept_file(fifo)).then(uitest::read_message(&notice));
        trigger(command);
        EXPECT_TRUE(script.done());
        EXPECT_NE(notice.toStdString().find("通常のファイルではありません"), std::string::npos) << notice.toStdString();
        EXPECT_EQ(midi_event_list.event_count, 4);
        EXPECT_EQ(conversion_status.document_state, 1);
    }
    ::alarm(0);
}

TEST_F(MainWindowTest, APathLongerThanTheBufferIsRefusedWithAMessage)
{
    load_two_notes();
    window->run_prologue();
    const std::string old_path = dir.file("tone.wav");
    ASSERT_TRUE(set_current_path(old_path.c_str()));
    std::string folder;
    for (int i = 0; i < 80; ++i)
        folder += "音";  // 240 bytes
    std::string name;
    for (int i = 0; i < 17; ++i)
        name += folder + "/";  // with the test folder, more than the system's 4095 bytes
    QString message;
    ModalScript script;
    script.then(uitest::accept_file(dir.file(name + "x.txt"))).then(uitest::read_message(&message));
    trigger(CMD_SAVE_TEXT);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(message.toStdString(), PATH_TOO_LONG_TEXT);
    EXPECT_EQ(std::string(conversion_status.current_path), dir.file("tone.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("tone.txt")));
}

TEST_F(MainWindowTest, EditCommandsRunAfterOkAndClearTheSelection)
{
    load_two_notes();
    window->run_prologue();
    {
        ModalScript script;
        script.then(uitest::press(1055));  // 削除実行
        trigger(CMD_EDIT_NOTE);
    }
    EXPECT_EQ(midi_event_list.event_count, 2);
    EXPECT_EQ(conversion_status.document_state, 2);

    load_two_notes();
    {
        ModalScript script;
        script.then([](QWidget* w) {
            auto* dialog = qobject_cast<TemplateDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            qobject_cast<QLineEdit*>(dialog->control(1003))->setText(QStringLiteral("12"));
            dialog->press(1);
        });
        trigger(CMD_CHANGE_PITCH_TEMPO);
    }
    EXPECT_EQ(test::describe_list()[0], "90 72 100 @0 t0");
    EXPECT_EQ(midi_event_list.selected_on, -1);

    load_two_notes();
    {
        ModalScript script;
        script.then(uitest::press(1));
        trigger(CMD_FILTER);  // the default limits remove both short notes
    }
    EXPECT_EQ(midi_event_list.event_count, 0);
    EXPECT_EQ(midi_event_list.selected_on, -1);
}

TEST_F(MainWindowTest, AClickSelectsANoteOnlyInTheRollAndAlwaysRepaints)
{
    // One note 60 over the whole span: the click in the middle of its row hits it.
    test::load_events({test::event(0, 0x90, 60, 100), test::event(1536, 0x80, 60)});
    window->run_prologue();
    const auto click_on_note = [&] {
        window->client()->grab();  // paints, and with it the frame clicks are mapped through
        const int rows = 112 - 19 + 1;
        const int y = plot_frame.plot_top + (112 - 60) * plot_frame.plot_height / rows + 1;
        const int before = window->client_repaints();
        QTest::mouseClick(window->client(), Qt::LeftButton, {},
                          QPoint(plot_frame.plot_left + plot_frame.plot_width / 2, y));
        EXPECT_GT(window->client_repaints(), before);
    };
    conversion_status.document_state = 1;
    click_on_note();
    EXPECT_EQ(midi_event_list.selected_on, -1) << "the waveform view selects nothing";
    conversion_status.document_state = 2;
    click_on_note();
    EXPECT_EQ(midi_event_list.selected_on, 0);
    EXPECT_EQ(midi_event_list.selected_off, 1);
    EXPECT_EQ(plot_frame.frame_rect.bottom, window->client()->height())
        << "the roll fills the client widget above the status bar";
}

// Opening the manual is the desktop's business (xdg-open here); when it finds no program
// for the file the user is told, and the window never waits for it.
TEST_F(MainWindowTest, TheManualSitsBesideTheProgramAndAFailedOpeningIsTold)
{
    EXPECT_TRUE(std::filesystem::exists(manual_path())) << manual_path();
    const QByteArray path = qgetenv("PATH");
    struct Row {
        int exit_status;
        bool told;
    };
    for (const Row r : {Row{0, false}, Row{3, true}}) {
        const std::string opener = dir.file("xdg-open");
        test::write_text(opener, "#!/bin/sh\nexit " + std::to_string(r.exit_status) + "\n");
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(dir.path().string()) + ":" + path);
        QString message;
        {
            ModalScript script;
            if (r.told)
                script.then(uitest::read_message(&message));
            trigger(CMD_MANUAL);
            if (r.told)
                EXPECT_TRUE(uitest::wait_until([&script] { return script.done(); }, 10000));
            else
                uitest::wait_until([] { return false; }, 500);
            EXPECT_TRUE(script.unexpected().empty()) << r.exit_status;
        }
        qputenv("PATH", path);
        if (r.told) {
            EXPECT_TRUE(message.contains(QString::fromStdString(manual_path()))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("アプリケーションが見つかりません")));
        }
    }
}

// A read that fails names the file and the reason and keeps what was loaded and shown; a
// save that fails names the file and the reason.
TEST_F(MainWindowTest, FailedReadsAndSavesAreToldAndLoseNothing)
{
    load_two_notes();
    conversion_status.document_state = 2;
    window->run_prologue();
    test::write_text(dir.file("junk.mid"), "MThd junk");
    test::write_text(dir.file("junk.wav"), "RIFF junk");
    struct Row {
        int32_t command;
        std::string path;
        const char* reason;
    };
    const Row rows[] = {
        {CMD_READ_SMF, dir.file("junk.mid"), "読み込めるSMF形式のMIDIファイルではありません"},
        {CMD_READ_TEXT, dir.file("junk.mid"), "MIDIイベントが見つかりません"},
        {CMD_READ_WAVE, dir.file("junk.wav"), "対応するWAV形式"},
        {CMD_SAVE_TEXT, dir.file("none/a.txt"), "保存先のフォルダがありません。"},
    };
    for (const Row& r : rows) {
        QString message;
        {
            ModalScript script;
            script.then(uitest::accept_file(r.path)).then(uitest::read_message(&message));
            trigger(r.command);
            EXPECT_TRUE(script.done()) << r.path;
        }
        EXPECT_TRUE(message.contains(QString::fromStdString(r.path))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(r.reason))) << message.toStdString();
        EXPECT_EQ(midi_event_list.event_count, 4) << r.path;
        EXPECT_EQ(midi_event_list.selected_on, 0) << r.path;
        EXPECT_EQ(conversion_status.document_state, 2) << r.path << ": the view stays";
    }
}

// 単一ノート編集 needs a selected note: without one it is grayed.
TEST_F(MainWindowTest, EditNoteIsGrayedWhileNoNoteIsSelected)
{
    load_two_notes();
    EXPECT_TRUE(enabled(CMD_EDIT_NOTE));
    deselect_note();
    EXPECT_FALSE(enabled(CMD_EDIT_NOTE));
    EXPECT_TRUE(enabled(CMD_FILTER));
    ModalScript script;
    trigger(CMD_EDIT_NOTE);  // no dialog opens
    EXPECT_TRUE(script.unexpected().empty());
    ASSERT_TRUE(select_note_events(0, 2));
    EXPECT_TRUE(enabled(CMD_EDIT_NOTE));
}

} // namespace

namespace {

TEST_F(MainWindowTest, EngineMessagesAreShownInJapanese)
{
    QString message;
    uitest::ModalScript script;
    script.then(uitest::read_message(&message));
    show_message("Tonagram", "Cannot create the analysis file \"/x/a.fft\".");
    EXPECT_TRUE(script.done());
    EXPECT_EQ(message, QStringLiteral("解析ファイル「/x/a.fft」を作成できません。"));
}

} // namespace
