// What the main window's client area shows, for the window and for the render command.
#pragma once

#include <QString>
#include <string>

class QPainter;

// A view's status text as the one-line status bar shows it: without the line feed that ends it.
QString status_bar_text(std::string line);

// Draws the view that document_state selects (1 the waveform, 2 the piano roll, any other
// value nothing) for a client area of width x height pixels, the status-bar strip at its
// bottom included. Returns the new status-line text (without the line feed that ends
// the view's text), or a null QString when the status line keeps its text. UI thread only.
QString paint_document_view(QPainter& painter, int width, int height);
