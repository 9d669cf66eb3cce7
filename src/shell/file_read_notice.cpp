#include "shell/file_read_notice.h"

std::string file_read_notice(const char* path, FileReadProblem problem)
{
    const char* reason = nullptr;
    switch (problem) {
    case FileReadProblem::NotRegularFile:
        reason = "通常のファイルではありません（フォルダ、デバイス、名前付きパイプなど）。";
        break;
    case FileReadProblem::TooLarge:
        reason = "1GBを超えています。MIDIデータとして読み込める大きさではありません。";
        break;
    case FileReadProblem::ReadFailed:
        reason = "読み込み中にエラーが起きました。";
        break;
    case FileReadProblem::None:
    case FileReadProblem::CannotOpen:
        return {};
    }
    return std::string("ファイル「") + path + "」を読み込めません。" + reason;
}
