#include "ui/japanese_ui.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

QFont dialog_font()
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(10);
    return font;
}

void install_japanese_ui(QApplication& app)
{
    app.setFont(dialog_font());
    // Owned by the application: it must outlive every window.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}
