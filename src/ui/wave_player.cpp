#include "ui/wave_player.h"

#include <QApplication>
#include <QAudioOutput>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPointer>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/playback_state.h"
#include "shell/wave_player_rules.h"

namespace {

std::function<void()> listener;

void tell_listener()
{
    if (listener)
        listener();
}

class WavePlayerWindow : public QWidget {
public:
    WavePlayerWindow(QWidget* owner, const QString& path);

    // Played and then stopped without an error: the end of the file or the stop button.
    bool finished() const
    {
        return has_played_ && player_.playbackState() == QMediaPlayer::StoppedState &&
               player_.error() == QMediaPlayer::NoError;
    }
    void stop() { player_.stop(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build(const QString& path);
    void show_mode();
    void show_position();

    QMediaPlayer player_;
    QAudioOutput output_;
    QToolButton* play_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* mode_ = nullptr;
    bool has_played_ = false;
};

QPointer<WavePlayerWindow> player_window;

// A dialog-type window of the main window: it stays above its owner, leaves with it, and
// has its own caption and close button.
WavePlayerWindow::WavePlayerWindow(QWidget* owner, const QString& path)
    : QWidget(owner->window(), Qt::Dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    build(path);
    player_.setAudioOutput(&output_);
    connect(&player_, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState s) {
        has_played_ = has_played_ || s == QMediaPlayer::PlayingState;
        show_mode();
        tell_listener();
    });
    connect(&player_, &QMediaPlayer::mediaStatusChanged, this, [this] { show_mode(); });
    connect(&player_, &QMediaPlayer::errorOccurred, this, [this] {
        show_mode();
        tell_listener();
    });
    connect(&player_, &QMediaPlayer::positionChanged, this, [this] { show_position(); });
    connect(&player_, &QMediaPlayer::durationChanged, this, [this] { show_position(); });
    connect(play_, &QToolButton::clicked, this, [this] {
        if (player_.playbackState() == QMediaPlayer::PlayingState)
            player_.pause();
        else
            player_.play();
    });
    connect(slider_, &QSlider::sliderMoved, &player_, &QMediaPlayer::setPosition);
    player_.setSource(QUrl::fromLocalFile(path));
    player_.play();
    show_mode();
}

void WavePlayerWindow::build(const QString& path)
{
    const QString name = QString::fromStdString(wave_player_file_name(path.toStdString()));
    setWindowTitle(QStringLiteral("WAV再生 - %1").arg(name));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(0);
    auto* top = new QHBoxLayout;
    auto* bottom = new QHBoxLayout;
    rows->addLayout(top);
    rows->addLayout(bottom);
    top->addWidget(new QLabel(name, this), 1);
    mode_ = new QLabel(this);
    top->addWidget(mode_);
    play_ = new QToolButton(this);
    play_->setText(QStringLiteral("再生/一時停止"));
    bottom->addWidget(play_);
    slider_ = new QSlider(Qt::Horizontal, this);
    bottom->addWidget(slider_, 1);
    position_ = new QLabel(this);
    bottom->addWidget(position_);
    show_position();
}

void WavePlayerWindow::show_mode()
{
    QString text;
    if (player_.error() != QMediaPlayer::NoError)
        text = QStringLiteral("エラー: %1").arg(player_.errorString());
    else if (player_.mediaStatus() == QMediaPlayer::LoadingMedia)
        text = QStringLiteral("読込中");
    else if (player_.playbackState() == QMediaPlayer::PlayingState)
        text = QStringLiteral("再生中");
    else if (player_.playbackState() == QMediaPlayer::PausedState)
        text = QStringLiteral("一時停止");
    else
        text = QStringLiteral("停止");
    mode_->setText(text);
}

void WavePlayerWindow::show_position()
{
    const qint64 length = player_.duration() > 0 ? player_.duration() : -1;
    slider_->setRange(0, static_cast<int>(length > 0 ? length : 0));
    if (!slider_->isSliderDown())
        slider_->setValue(static_cast<int>(player_.position()));
    position_->setText(QString::fromStdString(wave_player_position_text(player_.position(), length)));
}

void WavePlayerWindow::closeEvent(QCloseEvent* event)
{
    player_.stop();
    wave_playing = 0;
    player_window = nullptr;
    event->accept();
    QMetaObject::invokeMethod(qApp, [] { tell_listener(); }, Qt::QueuedConnection);
}

// The screen rectangle of the window the player opens over.
ScreenRect active_window_rect(QWidget* owner)
{
    QWidget* active = QApplication::activeWindow();
    if (!active)
        active = owner->window();
    const QRect r = active->frameGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

} // namespace

void start_wave_player(QWidget* owner, const QString& path)
{
    close_wave_player();
    const ScreenRect r = wave_player_rect(active_window_rect(owner));
    player_window = new WavePlayerWindow(owner, path);
    player_window->move(r.x, r.y);
    player_window->resize(r.width, r.height);
    player_window->show();
    wave_playing = 1;
}

bool poll_wave_player()
{
    if (wave_playing && player_window && player_window->finished())
        close_wave_player();
    if (!player_window)
        wave_playing = 0;
    return wave_playing != 0;
}

void close_wave_player()
{
    if (player_window) {
        WavePlayerWindow* window = player_window;
        player_window = nullptr;
        window->stop();
        window->hide();
        window->deleteLater();
    }
    wave_playing = 0;
}

QWidget* wave_player_window()
{
    return player_window;
}

void set_wave_player_listener(std::function<void()> l)
{
    listener = std::move(l);
}
