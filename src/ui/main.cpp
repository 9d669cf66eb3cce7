// Tonagram: the desktop program. `Tonagram --render ...` draws a view offscreen instead;
// `Tonagram FILE` opens FILE in the window.
#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "core/temporary_files.h"
#include "shell/document_files.h"
#include "ui/japanese_ui.h"
#include "ui/main_window.h"
#include "ui/render_command.h"

namespace {

// The arguments Qt left after taking its own options, without the program name.
std::vector<std::string> program_arguments(const QApplication& app)
{
    std::vector<std::string> arguments;
    const QStringList all = app.arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(all[i].toStdString());
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any display is needed.
    if (asks_help_or_version(argc, argv)) {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        if (parse_gui_arguments(arguments).action == GuiAction::Help)
            print_gui_help();
        else
            print_gui_version();
        return 0;
    }
    if (is_render_command(argc, argv))
        return run_render_command(argc, argv);
    // Ctrl-C or SIGTERM during a conversion must not leave its temporary file behind.
    remove_temporary_files_on_signals();
    QApplication app(argc, argv);
    const GuiRequest request = parse_gui_arguments(program_arguments(app));
    if (request.action == GuiAction::Error) {
        std::fprintf(stderr, "Tonagram: %s\nTry 'Tonagram --help' for more information.\n", request.error.c_str());
        return 1;
    }
    install_japanese_ui(app);
    return run_main_window(app, QString::fromStdString(request.file));
}
