#include "shell/file_dialog_rules.h"

#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/status.h"

const char* const PATH_TOO_LONG_CAPTION = "Tonagram";
const char* const PATH_TOO_LONG_TEXT =
    "ファイルのパスが長すぎます。パスは4095バイト（日本語は1文字3バイト）以内にしてください。";

namespace {

constexpr FileKindInfo FILE_KINDS[] = {
    {"WAV files {*.wav}", "*.wav", "wav"},
    {"TXT files {*.txt}", "*.txt", "txt"},
    {"SMF files {*.mid}", "*.mid", "mid"},
};

} // namespace

const FileKindInfo& file_kind_info(FileKind kind)
{
    return FILE_KINDS[static_cast<int32_t>(kind)];
}

void propose_save_extension(FileKind kind)
{
    char* path = conversion_status.current_path;
    constexpr size_t last = PATH_CAPACITY - 1;  // the terminator always stays here
    const char* terminator = static_cast<const char*>(std::memchr(path, 0, last));
    const size_t end = terminator ? static_cast<size_t>(terminator - path) : last - 1;
    size_t dot = end;
    while (dot > 0 && path[dot - 1] != '.')
        --dot;
    if (dot == 0)
        return;
    const char* extension = file_kind_info(kind).extension;
    size_t i = dot;
    for (size_t k = 0; k < 3 && i < last; ++k, ++i)
        path[i] = extension[k];
    // An extension shorter than three characters was overwritten past its end.
    if (i > end && i <= last)
        path[i] = 0;
}

bool store_chosen_path(std::string_view path)
{
    const std::string text(path);
    if (!set_current_path(text.c_str())) {
        show_message(PATH_TOO_LONG_CAPTION, PATH_TOO_LONG_TEXT);
        return false;
    }
    return true;
}
