#include "analysis/analysis_file.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/file_io.h"
#include "core/settings.h"
#include "core/status.h"

int32_t note_window_length[MIDI_NOTE_COUNT] = {};
int32_t analysis_record_count = 0;
int32_t max_level = 0;

namespace {

constexpr int WINDOW_LENGTHS_PER_LINE = 8;

enum class IntRead { Value, EndOfFile, Malformed };

// The C locale's white space; line ends (LF or CR LF) are white space too.
bool is_space(int c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f';
}

// Longest token read; a longer one is no number this file can hold.
constexpr int32_t TOKEN_LIMIT = 23;
// Characters brought into view before a line of numbers is parsed in one sweep.
constexpr size_t SWEEP_VIEW = 256;

// Reads the next whitespace-separated decimal integer: an optional sign and digits. A token
// that is anything else, longer than TOKEN_LIMIT or outside 32 bits is Malformed (and the
// rest of it is left unread: nothing is read after damage).
IntRead read_int(AnalysisReader& reader, int32_t& value)
{
    for (;;) {
        reader.ensure(1);
        const char* p = reader.cursor();
        const char* end = reader.limit();
        if (p == end)
            return IntRead::EndOfFile;
        while (p < end && is_space(*p))
            ++p;
        reader.advance_to(p);
        if (p < end)
            break;
    }
    // The whole token is in view now, or the file ends within it; '\0' follows the view.
    reader.ensure(TOKEN_LIMIT + 1);
    const char* p = reader.cursor();
    const char* const end = reader.limit();
    const char* const start = p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const char* const first_digit = p;
    int64_t magnitude = 0;
    for (unsigned digit; (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p) {
        if (p - start >= TOKEN_LIMIT)
            return IntRead::Malformed;
        // Anything past 2^31 is out of range whatever follows.
        magnitude = std::min<int64_t>(magnitude * 10 + digit, int64_t{1} << 32);
    }
    if (p < end && !is_space(*p))
        return IntRead::Malformed;
    reader.advance_to(p);
    const int64_t v = negative ? -magnitude : magnitude;
    if (p == first_digit || v < INT32_MIN || v > INT32_MAX)
        return IntRead::Malformed;
    value = static_cast<int32_t>(v);
    return IntRead::Value;
}

// Writes the values as decimal numbers separated by single spaces and a newline, as
// printf's %d does.
char* put_line(char* out, std::initializer_list<int32_t> values)
{
    for (int32_t v : values) {
        out = std::to_chars(out, out + 11, v).ptr;
        *out++ = ' ';
    }
    out[-1] = '\n';
    return out;
}

// The usual case in one sweep: count numbers, each well formed, all within the view. Reads
// nothing and returns false otherwise, leaving the careful reading to read_int.
bool parse_in_view(AnalysisReader& reader, int32_t* values, int count)
{
    const char* p = reader.cursor();
    const char* const end = reader.limit();
    for (int i = 0; i < count; ++i) {
        while (is_space(*p))  // the '\0' after the view ends the run
            ++p;
        const char* const start = p;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        const char* const first_digit = p;
        uint64_t magnitude = 0;
        for (unsigned digit; (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p)
            magnitude = magnitude * 10 + digit;
        // Up to 18 digits cannot wrap 64 bits; longer numbers are left to read_int.
        if (p >= end || !is_space(*p) || p == first_digit || p - first_digit > 18 || p - start > TOKEN_LIMIT)
            return false;
        const int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        if (v < INT32_MIN || v > INT32_MAX)
            return false;
        values[i] = static_cast<int32_t>(v);
    }
    reader.advance_to(p);
    return true;
}

bool read_ints(AnalysisReader& reader, int32_t* values, int count)
{
    reader.ensure(SWEEP_VIEW);
    if (parse_in_view(reader, values, count))
        return true;
    for (int i = 0; i < count; ++i) {
        if (read_int(reader, values[i]) != IntRead::Value)
            return false;
    }
    return true;
}

} // namespace

AnalysisReader::AnalysisReader(std::FILE* file) : file_(file), buffer_(new char[READ_PIECE + 1])
{
    buffer_[0] = '\0';
}

void AnalysisReader::ensure(size_t count)
{
    if (end_ - next_ >= count || at_end_)
        return;
    std::memmove(buffer_.get(), buffer_.get() + next_, end_ - next_);
    end_ -= next_;
    next_ = 0;
    while (end_ < count && !at_end_) {
        const size_t got = file_ ? std::fread(buffer_.get() + end_, 1, READ_PIECE - end_, file_) : 0;
        at_end_ = got == 0;
        end_ += got;
    }
    buffer_[end_] = '\0';
}

bool make_analysis_path(const char* wave_path, char* destination, size_t capacity, const char* extension)
{
    const size_t length = strnlen(wave_path, PATH_CAPACITY - 1);
    const char* name = wave_path;
    for (size_t i = 0; i < length; ++i) {
        if (wave_path[i] == '/')
            name = wave_path + i + 1;
    }
    const char* dot = nullptr;
    for (const char* p = name; p < wave_path + length; ++p) {
        if (*p == '.')
            dot = p;
    }
    if (!dot)
        return false;
    const size_t prefix = static_cast<size_t>(dot - wave_path) + 1;
    const size_t old_extension = length - prefix;
    const size_t new_extension = std::strlen(extension);
    const size_t kept_tail = old_extension > new_extension ? old_extension - new_extension : 0;
    const size_t total = prefix + new_extension + kept_tail;
    if (total + 1 > capacity)
        return false;
    std::memmove(destination, wave_path, prefix);
    std::memcpy(destination + prefix, extension, new_extension);
    std::memcpy(destination + prefix + new_extension, wave_path + length - kept_tail, kept_tail);
    destination[total] = '\0';
    // "x.fft" would otherwise become its own analysis file and be overwritten.
    return !(total == length && std::memcmp(destination, wave_path, length) == 0);
}

void write_analysis_first_line(std::FILE* file)
{
    const ConversionSettings& s = conversion_settings;
    std::fprintf(file, "%d %d %d\n", s.FINE_NOTE == 1 ? 1 : 0, s.SL_DIFFLEVEL, s.SL_DIFFNOTE);
}

void write_analysis_header(std::FILE* file)
{
    std::fprintf(file, "%d\n", conversion_settings.VR_INTERVAL == 1 ? 1 : 0);
    for (int line = 0; line < MIDI_NOTE_COUNT / WINDOW_LENGTHS_PER_LINE; ++line) {
        const int32_t* w = note_window_length + line * WINDOW_LENGTHS_PER_LINE;
        std::fprintf(file, "%d %d %d %d %d %d %d %d\n", w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
    }
}

namespace {

// The text of a block at the start of text (grown when too small); returns its length.
size_t format_analysis_block(std::vector<char>& text, std::span<const FrameNoteRecord> records, int32_t position,
                             int32_t duration)
{
    constexpr size_t LINE_LIMIT = 4 * 12;  // four values with sign and separator
    const size_t room = LINE_LIMIT * (records.size() + 1);
    if (text.size() < room)
        text.resize(room);
    char* out = text.data();
    out = put_line(out, {static_cast<int32_t>(records.size()), position, duration});
    for (const FrameNoteRecord& r : records)
        out = put_line(out, {r.note, r.fine_step, r.level, r.continuity});
    return static_cast<size_t>(out - text.data());
}

} // namespace

void write_analysis_block(std::FILE* file, std::span<const FrameNoteRecord> records, int32_t position,
                          int32_t duration, std::vector<char>& text)
{
    // The block as text in one piece: formatting value by value through the stream costs
    // more than the analysis of the frame.
    const size_t length = format_analysis_block(text, records, position, duration);
    std::fwrite(text.data(), 1, length, file);
}


bool read_analysis_first_line(AnalysisReader& reader, int32_t values[3])
{
    return read_ints(reader, values, 3);
}

bool read_analysis_header(AnalysisReader& reader)
{
    int32_t vr_interval = 0;
    int32_t lengths[MIDI_NOTE_COUNT];
    if (!read_ints(reader, &vr_interval, 1) || !read_ints(reader, lengths, MIDI_NOTE_COUNT))
        return false;
    conversion_settings.VR_INTERVAL = vr_interval == 1 ? 1 : 0;
    std::memcpy(note_window_length, lengths, sizeof lengths);
    return true;
}

BlockHeaderRead read_analysis_block_header(AnalysisReader& reader, AnalysisBlockHeader& header)
{
    switch (read_int(reader, header.record_count)) {
    case IntRead::EndOfFile:
        return BlockHeaderRead::EndOfFile;
    case IntRead::Malformed:
        return BlockHeaderRead::Damaged;
    case IntRead::Value:
        break;
    }
    if (header.record_count < 0 || header.record_count > ANALYSIS_BLOCK_CAPACITY)
        return BlockHeaderRead::Damaged;
    if (read_int(reader, header.position) != IntRead::Value || read_int(reader, header.duration) != IntRead::Value)
        return BlockHeaderRead::Damaged;
    return BlockHeaderRead::Block;
}

// A record line as the analysis writes it: each of the four numbers after one white-space
// character, 1 to 9 digits, white space after the last. Reads nothing and returns false for
// anything else, which read_ints then reads carefully.
bool parse_written_record(AnalysisReader& reader, int32_t* values)
{
    constexpr int32_t MOST_DIGITS = 9;  // below 2^31 whatever the digits
    reader.ensure(SWEEP_VIEW);
    const char* p = reader.cursor();
    for (int i = 0; i < 4; ++i) {
        if (!is_space(*p))  // also the '\0' after the view
            return false;
        const char* const first = ++p;
        uint32_t v = 0;
        for (unsigned digit; (digit = static_cast<unsigned>(*p - '0')) <= 9; ++p)
            v = v * 10 + digit;
        if (p == first || p - first > MOST_DIGITS)
            return false;
        values[i] = static_cast<int32_t>(v);
    }
    if (p >= reader.limit() || !is_space(*p))
        return false;
    reader.advance_to(p);
    return true;
}

bool read_analysis_record(AnalysisReader& reader, FrameNoteRecord& record)
{
    int32_t v[4];
    if (!parse_written_record(reader, v) && !read_ints(reader, v, 4))
        return false;
    record.note = v[0];
    record.fine_step = v[1];
    record.level = v[2];
    record.continuity = v[3];
    return true;
}

FileHandle open_analysis_file()
{
    char path[PATH_CAPACITY];
    if (!make_analysis_path(conversion_status.current_path, path, sizeof path, "fft"))
        return FileHandle();
    return open_file(path, "rb");
}

bool usable_analysis_block(const AnalysisBlockHeader& header)
{
    return header.position >= 0 && header.duration >= 0;
}

bool usable_analysis_record(const FrameNoteRecord& record)
{
    return record.note >= 0 && record.note < MIDI_NOTE_COUNT && record.fine_step >= 0 &&
           record.fine_step < FINE_STEPS;
}

namespace {

// Reads the next block whole and checks it; its largest level in largest. False at the end
// of the file and at the first damage.
bool count_block(AnalysisReader& reader, AnalysisBlockHeader& header, int32_t& largest)
{
    if (read_analysis_block_header(reader, header) != BlockHeaderRead::Block || !usable_analysis_block(header))
        return false;
    largest = 0;
    FrameNoteRecord record;
    for (int32_t i = 0; i < header.record_count; ++i) {
        if (!read_analysis_record(reader, record) || !usable_analysis_record(record))
            return false;
        largest = std::max(largest, record.level);
    }
    return true;
}

} // namespace

bool read_analysis_settings(AnalysisReader& reader)
{
    int32_t first_line[3];
    if (!read_analysis_first_line(reader, first_line) || !read_analysis_header(reader))
        return false;
    ConversionSettings& c = conversion_settings;
    c.FINE_NOTE = first_line[0] == 1 ? 1 : 0;
    c.SL_DIFFLEVEL = first_line[1];
    c.SL_DIFFNOTE = first_line[2];
    return true;
}

int32_t count_analysis_records()
{
    FileHandle file = open_analysis_file();
    if (!file)
        return 0;
    AnalysisReader reader(file.get());
    int32_t first_line[3];
    if (!read_analysis_first_line(reader, first_line) || !read_analysis_header(reader))
        return 0;
    int32_t total = 0;
    int32_t largest = 0;
    AnalysisBlockHeader header;
    for (int32_t block_largest = 0; count_block(reader, header, block_largest);) {
        if (total > INT32_MAX - header.record_count)
            break;
        total += header.record_count;
        largest = std::max(largest, block_largest);
    }
    max_level = largest;
    return total;
}
