// The Japanese face of the GUI: the dialog font and Qt's own Japanese texts.
#pragma once

#include <QFont>

class QApplication;

// IPAPGothic at 10 points: the proportional Gothic face the dialogs were laid out in.
QFont dialog_font();

// Makes dialog_font the application font and loads Qt's Japanese translations, so that
// Qt's own file dialogs and buttons speak Japanese too. Call once, after the application
// object exists.
void install_japanese_ui(QApplication& app);
