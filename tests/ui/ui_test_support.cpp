#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "core/status.h"
#include "shell/menu_state.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "ui/dialogs/template_dialog.h"
#include "wave/wav_reader.h"

namespace uitest {

ModalScript::ModalScript() : timer_(new QTimer)
{
    QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
    timer_->start(5);
}

ModalScript::~ModalScript()
{
    delete timer_;
}

ModalScript& ModalScript::then(Action action)
{
    actions_.push_back(std::move(action));
    return *this;
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_ || !modal->isVisible())
        return;
    last_ = modal;
    if (actions_.empty()) {
        const auto* box = qobject_cast<QMessageBox*>(modal);
        unexpected_.push_back(box ? box->text() : modal->windowTitle());
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        return;
    }
    Action action = std::move(actions_.front());
    actions_.pop_front();
    action(modal);
}

ModalScript::Action press(int control_id)
{
    return [control_id](QWidget* w) {
        auto* dialog = qobject_cast<TemplateDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->windowTitle().toStdString();
        dialog->press(control_id);
    };
}

ModalScript::Action accept_file(const std::string& path)
{
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->windowTitle().toStdString();
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    };
}

ModalScript::Action cancel()
{
    return [](QWidget* w) {
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    };
}

ModalScript::Action read_message(QString* text)
{
    return [text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << w->windowTitle().toStdString();
        *text = box->text();
        box->accept();
    };
}

bool wait_until(const std::function<bool()>& done, int timeout_ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void reset_program_state()
{
    test::reset_engine_state();
    reset_shell_state();
}

void WindowTest::SetUp()
{
    reset_program_state();
    window = std::make_unique<MainWindow>();
    window->setGeometry(100, 120, 640, 480);
    window->show();
}

void WindowTest::TearDown()
{
    if (window && conversion_status.conversion_thread) {
        window->close();
        wait_until([] { return !conversion_status.conversion_thread; });
    }
    window.reset();
    reset_program_state();
}

void WindowTest::load_wave(const std::vector<int16_t>& samples)
{
    ASSERT_TRUE(synth::write_wav(wave, synth::WavLayout{}, samples));
    ASSERT_TRUE(set_current_path(wave.c_str()));
    ASSERT_GT(read_wave(wave.c_str()), 0);
    window->run_prologue();
}

} // namespace uitest
