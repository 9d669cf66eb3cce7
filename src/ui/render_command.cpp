#include "ui/render_command.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/text_midi_reader.h"
#include "ui/client_view.h"
#include "ui/japanese_ui.h"
#include "views/plot_frame.h"
#include "wave/wav_reader.h"

namespace {

constexpr int MAX_SIDE = 8192;  // pixels; keeps the image within a few hundred megabytes
const char* const USAGE = "usage: Tonagram --render INPUT OUTPUT.png [--size WxH]";

struct RenderRequest {
    std::string input;
    std::string output;
    int width = 800;
    int height = 600;
};

int fail(const std::string& message)
{
    std::fprintf(stderr, "Tonagram --render: %s\n", message.c_str());
    return 1;
}

std::string lower_extension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// "WxH" with each side 1..MAX_SIDE.
bool parse_size(const std::string& text, RenderRequest& request)
{
    if (text.empty() || text.find_first_not_of("0123456789x") != std::string::npos)
        return false;
    int width = 0;
    int height = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%5dx%5d%n", &width, &height, &used) != 2 || used != static_cast<int>(text.size()))
        return false;
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE)
        return false;
    request.width = width;
    request.height = height;
    return true;
}

// Reads the arguments after --render; returns an error text, or nothing when they are good.
std::optional<std::string> parse_request(int argc, char** argv, RenderRequest& request)
{
    std::vector<std::string> names;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size") {
            if (i + 1 >= argc)
                return std::string("--size needs a value WxH");
            if (!parse_size(argv[++i], request))
                return "bad size \"" + std::string(argv[i]) + "\": expected WxH, each from 1 to " + std::to_string(MAX_SIDE);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option \"" + arg + "\"; " + USAGE;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 2)
        return std::string(USAGE);
    request.input = names[0];
    request.output = names[1];
    if (lower_extension(request.output) != ".png")
        return "the output \"" + request.output + "\" must end in .png";
    return std::nullopt;
}

// Loads INPUT into the program's records as the matching menu command would and chooses
// the view; returns an error text on failure.
std::optional<std::string> load_document(const std::string& path)
{
    const std::string ext = lower_extension(path);
    if (ext != ".wav" && ext != ".txt" && ext != ".mid")
        return "cannot render \"" + path + "\": the file must end in .wav, .txt or .mid";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return "cannot read \"" + path + "\": no such file";
    if (ext == ".wav") {
        const int32_t frames = read_wave(path.c_str());
        if (frames < 0)
            return "cannot read \"" + path + "\" as a PCM WAV file";
        if (frames == 0)
            return "nothing to draw: \"" + path + "\" holds no samples";
        conversion_status.document_state = 1;
        return std::nullopt;
    }
    if (std::FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else
        return "cannot read \"" + path + "\"";
    const int32_t polyphony = ext == ".txt" ? read_text_midi(path.c_str()) : read_smf(path.c_str());
    if (polyphony < 0)
        return "cannot read \"" + path + "\" as a Standard MIDI File";
    if (midi_event_list.event_count <= 0)
        return "nothing to draw: \"" + path + "\" holds no MIDI events";
    midi_event_list.max_polyphony = polyphony;
    conversion_status.document_state = 2;
    return std::nullopt;
}

// The client area: the view, and the status bar over the strip at the bottom.
QImage render_client_area(int width, int height, QString& status)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    status = paint_document_view(painter, width, height);
    const QRect bar(0, height - STATUS_BAR_HEIGHT, width, STATUS_BAR_HEIGHT);
    painter.fillRect(bar, QColor(240, 240, 240));
    painter.setPen(Qt::black);
    painter.setFont(dialog_font());
    painter.drawText(bar.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, status);
    return image;
}

bool write_png(const QImage& image, const std::string& path)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Only Qt's critical messages reach standard error: its warnings about the session would
// bury the one line this command prints.
void quiet_messages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

bool is_render_command(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "--render") == 0;
}

int run_render_command(int argc, char** argv)
{
    RenderRequest request;
    if (const auto error = parse_request(argc, argv, request))
        return fail(*error);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet_messages);
    QGuiApplication app(argc, argv);
    if (const auto error = load_document(request.input))
        return fail(*error);
    QString status;
    const QImage image = render_client_area(request.width, request.height, status);
    if (!write_png(image, request.output))
        return fail("cannot write \"" + request.output + "\"");
    if (!status.isNull())
        std::printf("%s\n", status.toUtf8().constData());
    return 0;
}
