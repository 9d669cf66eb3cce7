#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>

#include <utility>

#include "core/settings.h"
#include "platform/platform_playback.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "playback/midi_player.h"
#include "shell/commands.h"
#include "shell/menu_state.h"
#include "shell/playback_state.h"
#include "ui/app_icon.h"
#include "ui/client_area.h"
#include "ui/message_boxes.h"
#include "ui/playback_roll.h"
#include "ui/wave_player.h"
#include "views/plot_frame.h"
#include "views/roll_selection.h"
#include "wave/wav_reader.h"

namespace {

QPointer<MainWindow> main_window;

// Progress from the worker thread: the text goes to the UI thread to be drawn there.
void post_progress(const char* text)
{
    const QString t = QString::fromUtf8(text);
    QMetaObject::invokeMethod(qApp, [t] {
        if (main_window)
            main_window->show_progress(t);
    }, Qt::QueuedConnection);
}

} // namespace

void MainWindow::post_conversion_end(uint64_t run, int32_t events)
{
    QMetaObject::invokeMethod(qApp, [run, events] {
        if (main_window)
            main_window->conversion_ended(run, events);
    }, Qt::QueuedConnection);
}

MainWindow::MainWindow()
{
    main_window = this;
    menu_state = initial_menu_state();  // the grey set of a new window
    setObjectName(QStringLiteral("TONAGRAM"));
    setWindowTitle(QString::fromUtf8(MAIN_WINDOW_TITLE));
    setWindowIcon(tonagram_icon());
    setCentralWidget(new ClientArea(this));
    connect_playback_roll();
    build_menus();
    statusBar()->showMessage(QString::fromUtf8(STATUS_BANNER));
    for (QObject* part : {static_cast<QObject*>(menuBar()), static_cast<QObject*>(centralWidget()),
                          static_cast<QObject*>(statusBar())})
        part->installEventFilter(this);
    install_message_boxes(this);
    progress_window_hook = post_progress;
    set_wave_player_listener([] {
        if (main_window)
            main_window->run_prologue();
    });
    run_prologue();
}

MainWindow::~MainWindow()
{
    closed_ = true;
    if (request_conversion_stop())
        wait_for_conversion_worker();
    close_wave_player();
    set_wave_player_listener({});
    progress_window_hook = nullptr;
    remove_message_boxes();
}

void MainWindow::connect_playback_roll()
{
    roll_ = new PlaybackRoll(this);
    connect(roll_, &PlaybackRoll::canvas_changed, centralWidget(), qOverload<>(&QWidget::update));
    connect(roll_, &PlaybackRoll::status_line, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    // The player stopped by itself: the menu follows at once, and the view replaces the
    // player's canvas.
    connect(roll_, &PlaybackRoll::playback_stopped, this, [this] {
        run_prologue();
        full_roll_requested_ = true;
        centralWidget()->update();
    });
}

bool MainWindow::take_full_roll_request()
{
    return std::exchange(full_roll_requested_, false);
}

void MainWindow::build_menus()
{
    for (const MenuBarEntry& entry : menu_bar()) {
        const QString text = QString::fromUtf8(entry.text);
        if (entry.command != 0) {
            actions_[entry.command] = menuBar()->addAction(text);
            continue;
        }
        QMenu* menu = menuBar()->addMenu(text);
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::run_prologue);
        for (const MenuItem& item : entry.items) {
            actions_[item.command] = menu->addAction(QString::fromUtf8(item.text));
            if (item.separator_after)
                menu->addSeparator();
        }
    }
    for (const auto& [command, action] : actions_) {
        const int32_t id = command;
        connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
    }
    // Alt+"?" and Alt+"/" open the about box, as characters whatever the keyboard needs.
    auto* about_keys = new QAction(this);
    about_keys->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Question),
                              QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Question),
                              QKeySequence(Qt::ALT | Qt::Key_Slash)});
    connect(about_keys, &QAction::triggered, this, [this] { run_command(CMD_ABOUT); });
    addAction(about_keys);
}

QAction* MainWindow::command_action(int32_t command) const
{
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::client() const
{
    return centralWidget();
}

int MainWindow::view_height() const
{
    // The views leave STATUS_BAR_HEIGHT rows for the status bar at the bottom of the
    // client area; here the status bar sits below the client widget instead.
    return centralWidget()->height() + STATUS_BAR_HEIGHT;
}

void MainWindow::run_prologue()
{
    if (in_prologue_ || closed_)
        return;
    in_prologue_ = true;
    if (playback_state == 1)
        playback_state = playback_after_poll(playback_state, poll_wave_player(), false);
    else if (playback_state == 2)
        playback_state = playback_after_poll(playback_state, false, midi_playback_running());
    update_menu_state(menu_state, current_menu_inputs());
    apply_menu_state();
    in_prologue_ = false;
}

void MainWindow::apply_menu_state()
{
    const MenuInputs inputs = current_menu_inputs();
    for (const auto& [command, action] : actions_)
        action->setEnabled(menu_item_enabled(menu_state, command, inputs));
}

bool MainWindow::event(QEvent* event)
{
    run_prologue();
    if (event->type() == QEvent::WindowActivate)
        repaint_client();
    // Only the banner and the views write the status line: hovering a menu item must not
    // clear it.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    run_prologue();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::repaint_client()
{
    ++client_repaints_;
    full_roll_requested_ = true;
    centralWidget()->update();
    redraw_menu_bar();
}

void MainWindow::redraw_menu_bar()
{
    menuBar()->update();
}

void MainWindow::show_progress(const QString& text)
{
    progress_ = text;
    centralWidget()->update();
}

void MainWindow::client_clicked(int x, int y)
{
    // A running worker is rebuilding the list the selection would index.
    if (conversion_status.document_state == 2 && !conversion_status.conversion_thread)
        select_note_at(x, y);
    repaint_client();
}

void MainWindow::stop_everything_playing()
{
    close_wave_player();
    if (playback_state == 2 || midi_playback_running())
        stop_midi_playback();
    playback_state = 0;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (conversion_status.conversion_thread) {
        // The worker uses the data this window releases: stop it and close when it ends.
        close_pending_ = true;
        request_conversion_stop();
        event->ignore();
        return;
    }
    stop_everything_playing();
    clear_event_list();
    reset_wave_data();
    closed_ = true;
    event->accept();
}

int run_main_window(QApplication& app)
{
    install_platform_playback();
    MainWindow window;
    // The desktop's default size for a new main window: three quarters of the screen.
    if (const QScreen* screen = window.screen())
        window.resize(screen->availableSize() * 3 / 4);
    window.show();
    conversion_status.console_mode = 0;
    load_settings();
    return app.exec();
}
