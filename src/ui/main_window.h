// The main window of Tonagram: the menu bar with every command, the client area that shows
// the waveform or the piano roll (or the progress of a running conversion), and the
// one-part status bar. UI thread.
#pragma once

#include <QMainWindow>

#include <cstdint>
#include <map>

#include "shell/conversion_control.h"
#include "shell/file_dialog_rules.h"

class QApplication;
class QAction;
class PlaybackRoll;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Runs a command as its menu item does; a grayed command does nothing.
    void run_command(int32_t command);

    // Opens a .wav, .txt or .mid file as the matching read command would, without its file
    // dialog (a file named on the command line or dropped on the window). Returns true when
    // the file was read; otherwise a message said why and the window goes on as before.
    bool open_document(const QString& path);

    // The menu action of a command (tests trigger commands through it).
    QAction* command_action(int32_t command) const;

    // What runs before every event of the window and before a menu opens: the poll of
    // what plays, then the menu state.
    void run_prologue();

    // Test views of the window's state.
    int client_repaints() const { return client_repaints_; }
    int command_repaints() const { return command_repaints_; }
    QString progress_text() const { return progress_; }
    ConversionOutcome last_outcome() const { return last_outcome_; }
    QWidget* client() const;

    // The worker reports through these on the UI thread.
    void show_progress(const QString& text);
    void conversion_ended(uint64_t run, int32_t events);

    // A left click at client position (x, y).
    void client_clicked(int x, int y);

    // The height the views draw for: the client widget and the status-bar strip below it.
    int view_height() const;

    // The roll MIDI playback animates; the client area shows it while MIDI plays.
    PlaybackRoll* playback_roll() const { return roll_; }

    // True once after the window asked for a repaint: a repaint during MIDI playback draws
    // the full roll onto the player's canvas, a refresh of the canvas only shows it.
    bool take_full_roll_request();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void build_menus();
    void apply_menu_state();
    void repaint_client();
    void redraw_menu_bar();
    void dispatch(int32_t command);
    void read_file_command(int32_t command);
    bool read_document(FileKind kind);
    void save_file_command(int32_t command);
    void playback_command_run(int32_t command);
    void convert_command(bool reconvert);
    void clean_command();
    void stop_conversion_command();
    void list_dialog_command(int32_t command);
    void start_worker();
    void stop_everything_playing();
    // The worker's end callback: posts the end to the UI thread.
    static void post_conversion_end(uint64_t run, int32_t events);

    void connect_playback_roll();

    std::map<int32_t, QAction*> actions_;
    QString preset_path_;   // the file open_document gives the read command instead of a dialog
    bool document_read_ = false;  // the last read command read its file
    PlaybackRoll* roll_ = nullptr;
    bool full_roll_requested_ = true;
    QString progress_;
    int client_repaints_ = 0;   // every invalidation of the client area
    int command_repaints_ = 0;  // those a command asked for once it had run
    bool in_prologue_ = false;
    bool close_pending_ = false;
    bool closed_ = false;
    ConversionOutcome last_outcome_ = ConversionOutcome::Converted;
};

// Installs the platform's MIDI outputs, creates and shows the main window, loads the
// settings, opens file (when not empty) and runs the event loop; returns the exit code.
int run_main_window(QApplication& app, const QString& file = {});
