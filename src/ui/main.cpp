// Tonagram: the desktop program. `Tonagram --render ...` draws a view offscreen instead.
#include <QApplication>

#include "core/temporary_files.h"
#include "ui/japanese_ui.h"
#include "ui/main_window.h"
#include "ui/render_command.h"

int main(int argc, char** argv)
{
    if (is_render_command(argc, argv))
        return run_render_command(argc, argv);
    // Ctrl-C or SIGTERM during a conversion must not leave its temporary file behind.
    remove_temporary_files_on_signals();
    QApplication app(argc, argv);
    install_japanese_ui(app);
    return run_main_window(app);
}
