// Helpers of the GUI tests: answering modal dialogs from the event loop, waiting for the
// UI thread, and a loaded test recording.
#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "ui/main_window.h"

class QTimer;

namespace uitest {

// Answers the modal widgets (dialogs, file dialogs, message boxes) that open while it
// lives, in order, with the queued actions. A modal widget with no action left is closed
// and recorded as unexpected, so a test never hangs on it.
class ModalScript {
public:
    using Action = std::function<void(QWidget*)>;
    ModalScript();
    ~ModalScript();
    ModalScript& then(Action action);
    bool done() const { return actions_.empty(); }
    const std::vector<QString>& unexpected() const { return unexpected_; }

private:
    void poll();
    std::deque<Action> actions_;
    std::vector<QString> unexpected_;
    QPointer<QWidget> last_;  // the modal widget answered last, until it is gone
    QTimer* timer_ = nullptr;
};

// Actions for the usual answers.
ModalScript::Action press(int control_id);  // a template dialog's button
ModalScript::Action accept_file(const std::string& path);
ModalScript::Action cancel();
ModalScript::Action read_message(QString* text);  // closes a message box, keeps its text

// Processes events until done() is true; false after timeout_ms.
bool wait_until(const std::function<bool()>& done, int timeout_ms = 120000);

// Puts the engine and the shell back to their start values.
void reset_program_state();

// A test that starts from the program's start values with a main window shown. A worker
// still running at the end is stopped by closing the window, as a user would.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes samples to `wave`, reads it as the loaded recording and lets the menu follow.
    void load_wave(const std::vector<int16_t>& samples);

    std::unique_ptr<MainWindow> window;
    test::TempDir dir;
    std::string wave = dir.file("tone.wav");
};

} // namespace uitest
