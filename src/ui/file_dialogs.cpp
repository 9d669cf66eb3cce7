#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include "core/status.h"

namespace {

bool run_file_dialog(QWidget* owner, FileKind kind, bool save)
{
    const FileKindInfo& info = file_kind_info(kind);
    QFileDialog dialog(owner);
    // Qt's own dialog, so that it speaks Japanese with the program's translations.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(info.description),
                                                       QString::fromUtf8(info.pattern)));
    dialog.setDefaultSuffix(QString::fromUtf8(info.extension));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString proposed = QString::fromUtf8(conversion_status.current_path);
    if (!proposed.isEmpty()) {
        const QFileInfo file(proposed);
        if (file.absoluteDir().exists())
            dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return store_chosen_path(dialog.selectedFiles().constFirst().toStdString());
}

} // namespace

bool choose_open_file(QWidget* owner, FileKind kind)
{
    return run_file_dialog(owner, kind, false);
}

bool choose_save_file(QWidget* owner, FileKind kind)
{
    propose_save_extension(kind);
    return run_file_dialog(owner, kind, true);
}
