#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTreeView>
#include <QScreen>

#include "core/status.h"
#include "shell/file_dialog_size.h"

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
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableSize() : QSize();
    const DialogSize size = file_dialog_size(available.width(), available.height());
    dialog.resize(size.width, size.height);
    // The size, type and date columns as wide as what they show; the name takes the rest.
    if (auto* files = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = files->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
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
