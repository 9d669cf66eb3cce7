#include "shell/file_failures.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "core/file_io.h"
#include "shell/gui_messages.h"

namespace fs = std::filesystem;

namespace {

const char* kind_name(FileKind kind)
{
    switch (kind) {
    case FileKind::Wave: return "WAVファイル";
    case FileKind::Text: return "TXT形式MIDIファイル";
    case FileKind::Smf: return "SMF形式MIDIファイル";
    }
    return "ファイル";
}

// The system's error in Japanese, for the errors a file operation commonly meets.
std::string error_text(int error_number)
{
    switch (error_number) {
    case ENOENT: return "ファイルまたはフォルダが見つかりません。";
    case EACCES:
    case EPERM: return "アクセスが許可されていません。";
    case ENOSPC:
    case EDQUOT: return "ディスクの空き容量が足りません。";
    case EROFS: return "読み取り専用の場所です。";
    case EISDIR: return "同じ名前のフォルダがあります。";
    case ENOTDIR: return "パスの途中にフォルダではないものがあります。";
    case ENAMETOOLONG: return "ファイル名が長すぎます。";
    case EIO: return "入出力エラーが起きました。";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます。";
    case ENOMEM: return "メモリが足りません。";
    default: return "";
    }
}

std::string content_reason(FileKind kind, bool no_data)
{
    switch (kind) {
    case FileKind::Wave:
        return no_data ? "音声データがありません。"
                       : "対応するWAV形式（PCM 8/16/24/32ビットまたは32ビット浮動小数点）ではないか、"
                         "内容が壊れています。";
    case FileKind::Text:
        return "MIDIイベントが見つかりません。TXT形式MIDIファイルではないか、内容が壊れています。";
    case FileKind::Smf:
        return no_data ? "読み込めるMIDIイベントがありません。"
                       : "SMF形式MIDIファイルとして読めないか、内容が壊れています。";
    }
    return "";
}

} // namespace

std::string read_failure_reason(FileKind kind, const std::string& path, bool no_data,
                                std::string_view reader_message)
{
    if (path.empty())
        return "ファイル名がありません。";
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error) {
        const std::string text = error_text(error.value());
        return text.empty() ? "ファイルの情報を読めません。" : text;
    }
    if (fs::is_directory(status))
        return "フォルダです。ファイルを選んでください。";
    if (!fs::is_regular_file(status))
        return "通常のファイルではありません（デバイスやパイプは読み込めません）。";
    if (::access(path.c_str(), R_OK) != 0)
        return "読み取りが許可されていません。";
    if (fs::file_size(path, error) == 0 && !error)
        return "ファイルが空です。";
    // The MIDI readers refuse such a file before reading it.
    if (kind != FileKind::Wave && !error && static_cast<int64_t>(fs::file_size(path, error)) > WHOLE_FILE_READ_LIMIT)
        return "1GBを超えています。MIDIファイルとして読み込める大きさではありません。";
    if (!reader_message.empty())
        return gui_message_text(reader_message);
    return content_reason(kind, no_data);
}

std::string save_failure_reason(const std::string& path, bool list_empty, bool smf_problem,
                                int time_unit, int error_number)
{
    if (list_empty)
        return "保存するMIDIイベントがありません。";
    if (smf_problem)
        return "出力時間解像度 " + std::to_string(time_unit) +
               " はSMF形式MIDIファイルに書けない値です。TXT形式で保存するか、[MIDI変換]の"
               "「出力時間解像度」を変えて変換し直してください。";
    std::error_code error;
    const fs::path target(path);
    const fs::file_status status = fs::status(target, error);
    if (fs::is_directory(status))
        return "同じ名前のフォルダがあります。";
    if (fs::exists(status)) {
        if (::access(path.c_str(), W_OK) != 0)
            return "ファイルへの書き込みが許可されていません。";
    } else {
        const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
        if (!fs::is_directory(folder, error))
            return "保存先のフォルダがありません。";
        if (::access(folder.c_str(), W_OK) != 0)
            return "保存先のフォルダへの書き込みが許可されていません。";
    }
    const std::string text = error_text(error_number);
    if (!text.empty())
        return text;
    if (error_number != 0)
        return "書き込みに失敗しました（エラー番号 " + std::to_string(error_number) + "）。";
    return "書き込みに失敗しました。";
}

FailureMessage read_failure_message(FileKind kind, const std::string& path, const std::string& reason)
{
    return {"ファイル読込エラー", std::string(kind_name(kind)) + "を読み込めませんでした。\n\n" +
                                      "ファイル: " + path + "\n理由: " + reason +
                                      "\n\n読み込んであったデータはそのままです。"};
}

FailureMessage save_failure_message(FileKind kind, const std::string& path, const std::string& reason)
{
    return {"ファイル保存エラー", std::string(kind_name(kind)) + "を保存できませんでした。\n\n" +
                                      "ファイル: " + path + "\n理由: " + reason};
}

FailureMessage manual_failure_message(const std::string& path, bool missing)
{
    return {"マニュアル起動",
            "マニュアルを開けませんでした。\n\nファイル: " + path + "\n理由: " +
                (missing ? "ファイルが見つかりません。"
                         : "テキストファイルを開くアプリケーションが見つかりません。")};
}
