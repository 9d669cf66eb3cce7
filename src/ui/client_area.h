// The client area of the main window: paints the view of document_state, or the progress
// text while a conversion worker rewrites the data, and takes the mouse clicks.
#pragma once

#include <QWidget>

class MainWindow;

class ClientArea : public QWidget {
public:
    explicit ClientArea(MainWindow* window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    MainWindow* window_;
};
