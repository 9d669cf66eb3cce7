// Opening a file without the file dialog: named on the command line or dropped on the
// window. Both go through the read command of the file's kind, as the menu does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <filesystem>

#include "core/messages.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/note_selection.h"
#include "midi/smf_reader.h"
#include "midi/text_midi_reader.h"
#include "shell/document_files.h"
#include "ui/main_window.h"
#include "wave/wav_reader.h"

namespace {

bool readable_file(const char* path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

// The local file a drag carries, when it is one the window can open.
QString dragged_document(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    return document_kind(path.toStdString()) ? path : QString();
}

} // namespace

bool MainWindow::read_document(FileKind kind)
{
    const char* path = conversion_status.current_path;
    if (!readable_file(path)) {
        show_message(OPEN_FILE_CAPTION, unreadable_file_text(path).c_str());
        return false;
    }
    int32_t result = 0;
    if (kind == FileKind::Wave) {
        result = read_wave(path);
    } else {
        result = kind == FileKind::Text ? read_text_midi(path) : read_smf(path);
        midi_event_list.max_polyphony = result;
        // The selection indexed the list just replaced.
        deselect_note();
        conversion_status.document_state = 2;
    }
    if (result < 0) {
        show_message(OPEN_FILE_CAPTION, wrong_format_text(path, kind).c_str());
        return false;
    }
    return true;
}

bool MainWindow::open_document(const QString& path)
{
    const std::string name = path.toStdString();
    const std::optional<FileKind> kind = document_kind(name);
    if (!kind) {
        show_message(OPEN_FILE_CAPTION, unknown_kind_text(name).c_str());
        return false;
    }
    if (conversion_status.conversion_thread) {
        show_message(OPEN_FILE_CAPTION, OPEN_WHILE_CONVERTING_TEXT);
        return false;
    }
    document_read_ = false;
    preset_path_ = path;
    run_command(read_command_of(*kind));
    preset_path_.clear();
    return document_read_;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!dragged_document(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = dragged_document(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Read once the drop has finished: the drag source waits for the drop's answer, and a
    // message box must not keep it waiting.
    QTimer::singleShot(0, this, [this, path] { open_document(path); });
}
