// The main window of Tonagram.
#pragma once

class QApplication;

// Creates and shows the main window and runs the event loop; returns the exit code.
int run_main_window(QApplication& app);
