#include "shell/gui_messages.h"

#include <algorithm>

const char* const FFT_SIZE_REFUSED_TEXT = "解析フレーム幅は32から32768までの値にしてください。";
const char* const KEY_RANGE_REFUSED_TEXT = "最小ノートと最大ノートは0から127までの値にしてください。";
const char* const KEY_ORDER_REFUSED_TEXT = "最小ノートは最大ノート以下の値にしてください。";
const char* const TIME_UNIT_REFUSED_TEXT = "出力時間解像度は1以上の値にしてください。";

namespace {

struct Exact {
    const char* english;
    const char* japanese;
};

// The engine's fixed sentences.
const Exact EXACT[] = {
    {"KEY_MIN and KEY_MAX must be MIDI notes from 0 to 127.", KEY_RANGE_REFUSED_TEXT},
    {"KEY_MIN must not be above KEY_MAX.", KEY_ORDER_REFUSED_TEXT},
    {"FFT_SIZE (analysis frame width) must be from 32 to 32768 samples.", FFT_SIZE_REFUSED_TEXT},
    {"TIME_UNIT (time resolution per second) must be 1 or more.", TIME_UNIT_REFUSED_TEXT},
    {"Not enough memory for the frequency analysis.", "周波数解析に必要なメモリが足りません。"},
};

// Sentences that quote a file name between a fixed start and end; %s in japanese stands
// for the name.
struct Quoting {
    const char* start;
    const char* end;
    const char* japanese;
};

const Quoting QUOTING[] = {
    {"Cannot name the analysis file for \"",
     "\": the file name needs an extension other than .fft, such as .wav.",
     "「%s」の解析ファイル名を作れません。.wav など .fft 以外の拡張子の付いたファイル名にしてください。"},
    {"Cannot create the analysis file \"", "\".", "解析ファイル「%s」を作成できません。"},
    {"The analysis file \"", "\" could not be written completely.",
     "解析ファイル「%s」を最後まで書き込めませんでした。"},
};

bool is_ascii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string with_name(std::string_view japanese, std::string_view name)
{
    std::string out(japanese);
    const size_t at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, name);
    return out;
}

} // namespace

std::string gui_message_text(std::string_view text)
{
    for (const Exact& e : EXACT) {
        if (text == e.english)
            return e.japanese;
    }
    for (const Quoting& q : QUOTING) {
        const std::string_view start = q.start;
        const std::string_view end = q.end;
        if (text.size() >= start.size() + end.size() && text.starts_with(start) && text.ends_with(end))
            return with_name(q.japanese, text.substr(start.size(), text.size() - start.size() - end.size()));
    }
    if (!is_ascii(text) || text.empty())
        return std::string(text);
    return "処理を続けられませんでした。\n（詳細: " + std::string(text) + "）";
}
