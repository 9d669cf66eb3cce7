#include "ui/main_window.h"

#include <QApplication>
#include <QMainWindow>

int run_main_window(QApplication& app)
{
    QMainWindow window;
    window.show();
    return app.exec();
}
