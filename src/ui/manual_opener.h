// Opens the manual with the desktop's default application for text files, and tells the
// user when that cannot be done (no manual, no application). UI thread.
#pragma once

class QWidget;

void open_manual(QWidget* owner);
