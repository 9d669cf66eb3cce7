// The commands of the main window's menu bar.
#include <QMenuBar>

#include <cerrno>
#include <string>

#include "core/settings.h"
#include "core/status.h"
#include "core/messages.h"
#include "midi/list_change.h"
#include "midi/midi_event_list.h"
#include "midi/note_filter.h"
#include "midi/note_selection.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"
#include "playback/midi_player.h"
#include "shell/commands.h"
#include "shell/dialog_templates.h"
#include "shell/file_failures.h"
#include "shell/file_reads.h"
#include "shell/menu_state.h"
#include "shell/playback_state.h"
#include "shell/wave_player_rules.h"
#include "ui/dialogs/display_settings_dialog.h"
#include "ui/dialogs/midi_settings_dialog.h"
#include "ui/dialogs/shell_dialogs.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/manual_opener.h"
#include "ui/playback_roll.h"
#include "ui/wave_player.h"
#include "wave/wav_reader.h"

void MainWindow::run_command(int32_t command)
{
    run_prologue();
    if (closed_ || !menu_item_enabled(menu_state, command, current_menu_inputs()))
        return;
    const bool worker_was_running = conversion_status.conversion_thread;
    dispatch(command);
    if (command == CMD_QUIT || closed_)
        return;
    if (command_redraw(command, worker_was_running) == CommandRedraw::Repaint) {
        ++command_repaints_;
        repaint_client();
    } else
        redraw_menu_bar();
}

void MainWindow::dispatch(int32_t command)
{
    switch (command) {
    case CMD_READ_WAVE:
    case CMD_READ_TEXT:
    case CMD_READ_SMF:
        read_file_command(command);
        break;
    case CMD_SAVE_TEXT:
    case CMD_SAVE_SMF:
        save_file_command(command);
        break;
    case CMD_QUIT:
        close();
        break;
    case CMD_PLAY_WAVE:
    case CMD_PLAY_MIDI:
    case CMD_STOP_PLAYBACK:
        playback_command_run(command);
        break;
    case CMD_MIDI_SETTINGS:
        exec_midi_settings_dialog(this);
        break;
    case CMD_CONVERT:
        convert_command(false);
        break;
    case CMD_RECONVERT:
        convert_command(true);
        break;
    case CMD_STOP_CONVERSION:
        stop_conversion_command();
        break;
    case CMD_FILTER:
    case CMD_CHANGE_PITCH_TEMPO:
    case CMD_EDIT_NOTE:
        list_dialog_command(command);
        break;
    case CMD_DISPLAY_SETTINGS:
        if (exec_display_settings_dialog(this) == 1)
            conversion_status.document_state = 2;
        break;
    case CMD_ABOUT:
        exec_shell_dialog(ABOUT_DIALOG, this);
        break;
    case CMD_MANUAL:
        open_manual(this);
        break;
    }
}

void MainWindow::read_file_command(int32_t command)
{
    const FileKind kind = command == CMD_READ_WAVE ? FileKind::Wave
                        : command == CMD_READ_TEXT ? FileKind::Text
                                                   : FileKind::Smf;
    if (!choose_open_file(this, kind)) {
        // A cancelled WAV dialog still shows the waveform view.
        if (kind == FileKind::Wave)
            conversion_status.document_state = 1;
        return;
    }
    const std::string path = conversion_status.current_path;
    const ReadAttempt attempt = kind == FileKind::Wave ? read_wave_keeping_old(path)
                                                       : read_list_keeping_old(kind, path);
    if (attempt.failed) {
        const std::string reason = read_failure_reason(kind, path, attempt.no_data, attempt.message);
        show_failure(this, read_failure_message(kind, path, reason));
        return;
    }
    if (!attempt.message.empty())
        show_message("Tonagram", attempt.message.c_str());
    if (kind == FileKind::Wave) {
        conversion_status.document_state = 1;
        return;
    }
    // The selection indexed the list just replaced.
    deselect_note();
    conversion_status.document_state = 2;
}

void MainWindow::save_file_command(int32_t command)
{
    const FileKind kind = command == CMD_SAVE_TEXT ? FileKind::Text : FileKind::Smf;
    if (!choose_save_file(this, kind))
        return;
    const std::string path = conversion_status.current_path;
    const bool list_empty = valid_event_count() == 0;
    const bool smf_problem = kind == FileKind::Smf && smf_settings_problem() != nullptr;
    errno = 0;
    const bool failed = kind == FileKind::Text ? write_text_midi(path.c_str()) == 0
                                               : write_smf(path.c_str()) < 0;
    const int error_number = errno;
    if (!failed)
        return;
    const std::string reason = save_failure_reason(path, list_empty, smf_problem,
                                                   conversion_settings.TIME_UNIT, error_number);
    show_failure(this, save_failure_message(kind, path, reason));
}

void MainWindow::playback_command_run(int32_t command)
{
    if (command == CMD_PLAY_WAVE)
        conversion_status.document_state = 1;
    else if (command == CMD_PLAY_MIDI)
        conversion_status.document_state = 2;
    const PlaybackStep step = playback_command(playback_state, command);
    if (step.stop_first == PlaybackAction::CloseWave)
        close_wave_player();
    else if (step.stop_first == PlaybackAction::StopMidi)
        stop_midi_playback();
    switch (step.action) {
    case PlaybackAction::StartWave:
        start_wave_player(this, QString::fromUtf8(wave_player_path().c_str()));
        break;
    case PlaybackAction::StartMidi:
        playback_roll()->set_client_size(QSize(centralWidget()->width(), view_height()));
        start_midi_playback();
        break;
    case PlaybackAction::CloseWave:
        close_wave_player();
        break;
    case PlaybackAction::StopMidi:
        stop_midi_playback();
        break;
    case PlaybackAction::None:
        break;
    }
    playback_state = step.state;
}

void MainWindow::convert_command(bool reconvert)
{
    if (!reconvert) {
        if (exec_shell_dialog(ANALYSIS_SETTINGS_DIALOG, this) != 1)
            return;
        conversion_status.document_state = 1;
    }
    if (exec_shell_dialog(CONVERSION_SETTINGS_DIALOG, this) != 1)
        return;
    conversion_status.reconvert = reconvert ? 1 : 0;
    start_worker();
}

void MainWindow::start_worker()
{
    progress_.clear();
    const WorkerStart start = start_conversion_worker(post_conversion_end);
    if (start == WorkerStart::Refused)
        last_outcome_ = ConversionOutcome::Refused;
    else if (start == WorkerStart::Started)
        centralWidget()->update();
    run_prologue();
}

void MainWindow::stop_conversion_command()
{
    // The analysis leaves at its next frame; the worker then builds the events from what
    // was analysed and its end repaints the roll.
    request_conversion_stop();
}

void MainWindow::conversion_ended(uint64_t run, int32_t events)
{
    ConversionOutcome outcome;
    if (!finish_conversion_worker(run, events, outcome))
        return;
    last_outcome_ = outcome;
    progress_.clear();
    // The selection indexed the list the worker replaced.
    deselect_note();
    run_prologue();
    repaint_client();
    if (close_pending_) {
        close();
        return;
    }
    const std::string notice = conversion_notice(outcome, events);
    if (!notice.empty())
        show_notice(this, QString::fromStdString(notice));
}

void MainWindow::list_dialog_command(int32_t command)
{
    const int32_t dialog = command == CMD_FILTER ? FILTER_DIALOG
                         : command == CMD_CHANGE_PITCH_TEMPO ? LIST_CHANGE_DIALOG
                                                             : NOTE_EDIT_DIALOG;
    if (exec_shell_dialog(dialog, this) != 1)
        return;
    if (command == CMD_FILTER) {
        filter_events();
        deselect_note();
    } else if (command == CMD_CHANGE_PITCH_TEMPO) {
        change_pitch_tempo(list_change_settings.LIST_TRANSPOSE, list_change_settings.LIST_TEMPO_PERCENT);
        deselect_note();
    }
    conversion_status.document_state = 2;
}
