#include "midi/text_midi_reader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_io.h"
#include "core/saturate.h"
#include "core/settings.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "midi/note_names.h"

TextMidiReaderMemory text_midi_reader_memory;

void reset_text_midi_reader_memory()
{
    text_midi_reader_memory = TextMidiReaderMemory{};
}

namespace {

constexpr int32_t BUILT_IN_TIME_UNIT = ConversionSettings{}.TIME_UNIT;

// Whitespace-separated tokens of the whole file; line ends carry no meaning.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}

    // The next token, or nothing at the end of the text.
    std::optional<std::string_view> next()
    {
        while (pos_ < text_.size() && is_space(text_[pos_]))
            ++pos_;
        if (pos_ >= text_.size())
            return std::nullopt;
        const size_t start = pos_;
        while (pos_ < text_.size() && !is_space(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

private:
    static bool is_space(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    std::string_view text_;
    size_t pos_ = 0;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A token as the reader sees it: one that does not fit the token buffer counts as empty,
// which no rule accepts.
std::string_view usable(std::string_view token)
{
    return token.size() > static_cast<size_t>(TEXT_MIDI_MAX_TOKEN) ? std::string_view{} : token;
}

// Reads the digits at pos. Returns false when there are more than the reader accepts;
// digits_read tells whether there were any.
bool read_digits(std::string_view s, size_t& pos, int32_t& value, bool& digits_read)
{
    value = 0;
    size_t count = 0;
    while (pos < s.size() && is_digit(s[pos])) {
        if (++count > static_cast<size_t>(TEXT_MIDI_MAX_DIGITS))
            return false;
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    digits_read = count > 0;
    return true;
}

// An optional "-" followed by digits at pos; false when the digits are too many.
bool read_signed(std::string_view s, size_t& pos, int32_t& value, bool& digits_read)
{
    const bool negative = pos < s.size() && s[pos] == '-';
    if (negative)
        ++pos;
    if (!read_digits(s, pos, value, digits_read))
        return false;
    if (negative)
        value = -value;
    return true;
}

// A whole token that is a decimal number with an optional "-".
std::optional<int32_t> parse_number(std::string_view token)
{
    token = usable(token);
    size_t pos = 0;
    int32_t value = 0;
    bool digits_read = false;
    if (!read_signed(token, pos, value, digits_read) || !digits_read || pos != token.size())
        return std::nullopt;
    return value;
}

// An optional "c" and one hex digit at pos, which must then be the end of the token.
bool read_channel_and_end(std::string_view s, size_t pos, int32_t& channel)
{
    channel = 0;
    if (pos < s.size() && s[pos] == 'c') {
        if (++pos >= s.size())
            return false;
        const char c = s[pos++];
        if (is_digit(c))
            channel = c - '0';
        else if (c >= 'a' && c <= 'f')
            channel = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            channel = c - 'A' + 10;
        else
            return false;
    }
    return pos == s.size();
}

// Letter, optional "#" or "b", optional "-", one octave digit. False for anything else and
// for notes outside 0..127.
bool read_note_head(std::string_view s, size_t& pos, int32_t& note)
{
    if (s.empty())
        return false;
    int32_t pitch = pitch_class_of_letter(s[0]);
    if (pitch < 0)
        return false;
    pos = 1;
    if (pos < s.size() && (s[pos] == '#' || s[pos] == 'b'))
        pitch += s[pos++] == '#' ? 1 : -1;
    const bool negative = pos < s.size() && s[pos] == '-';
    if (negative)
        ++pos;
    if (pos >= s.size() || !is_digit(s[pos]))
        return false;
    const int32_t octave = (negative ? -1 : 1) * (s[pos++] - '0');
    note = pitch + 12 * (octave + 2);
    return note >= 0 && note <= 127;
}

uint8_t clamp_data(int32_t value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 127));
}

// The running state of one read: the current time and the room left in the list.
struct ReadState {
    int64_t time = 0;
    int32_t capacity = 0;

    bool full() const { return midi_event_list.event_count >= capacity; }

    // Intervals add up in 64 bits and the time stays inside the range an event can hold.
    void advance(int32_t interval)
    {
        time = saturate_int32(time + interval);
    }

    void store(int32_t kind, int32_t channel, uint8_t data1, uint8_t data2)
    {
        MidiEvent e;
        e.time = static_cast<int32_t>(time);
        e.status = static_cast<uint8_t>(kind + channel);
        e.data1 = data1;
        e.data2 = data2;
        e.tag = static_cast<uint8_t>(channel);
        append_event(e);
        midi_event_list.channels_used = std::max(midi_event_list.channels_used, channel + 1);
    }

    void store_note(int32_t channel, int32_t note, int32_t velocity)
    {
        if (velocity > 0)
            store(MIDI_NOTE_ON, channel, static_cast<uint8_t>(note), clamp_data(velocity));
        else
            store(MIDI_NOTE_OFF, channel, static_cast<uint8_t>(note), 0);
    }

    // Cents for a bend range of +-2 semitones, back to the 14-bit value, clamped.
    void store_bend(int32_t channel, int32_t cents)
    {
        const int64_t value = std::clamp<int64_t>(static_cast<int64_t>(cents) * 4096 / 100 + 8192, 0, 16383);
        store(MIDI_PITCH_BEND, channel, static_cast<uint8_t>(value % 128), static_cast<uint8_t>(value / 128));
    }

    void store_expression(int32_t channel, int32_t value)
    {
        store(MIDI_CONTROL_CHANGE, channel, MIDI_EXPRESSION_CONTROLLER, clamp_data(value));
    }
};

// Current form: "T", "T384", "T-100"; no digits or 0 repeat the last non-zero interval.
void read_time_token(ReadState& state, std::string_view s)
{
    size_t pos = 1;
    int32_t value = 0;
    bool digits_read = false;
    if (!read_signed(s, pos, value, digits_read) || pos != s.size())
        return;
    if (value == 0)
        value = text_midi_reader_memory.last_interval;
    else
        text_midi_reader_memory.last_interval = value;
    state.advance(value);
}

// Current form: "A3", "A3v100", "C#4v64ca", "A3v" (last non-zero velocity).
void read_note_token(ReadState& state, std::string_view s)
{
    size_t pos = 0;
    int32_t note = 0;
    if (!read_note_head(s, pos, note))
        return;
    int32_t velocity = 0;
    const bool has_velocity = pos < s.size() && (s[pos] == 'v' || s[pos] == 'V');
    if (has_velocity) {
        bool digits_read = false;
        if (!read_digits(s, ++pos, velocity, digits_read))
            return;
    }
    int32_t channel = 0;
    if (!read_channel_and_end(s, pos, channel))
        return;
    if (has_velocity) {
        if (velocity == 0)
            velocity = text_midi_reader_memory.last_velocity;
        else
            text_midi_reader_memory.last_velocity = std::min(velocity, 127);
    }
    state.store_note(channel, note, velocity);
}

// Current form: "P-200", "P50c3" (cents) and "X127", "X100c2" (expression value).
void read_value_token(ReadState& state, std::string_view s, bool bend)
{
    size_t pos = 1;
    int32_t value = 0;
    bool digits_read = false;
    const bool read = bend ? read_signed(s, pos, value, digits_read) : read_digits(s, pos, value, digits_read);
    int32_t channel = 0;
    if (!read || !digits_read || !read_channel_and_end(s, pos, channel))
        return;
    if (bend)
        state.store_bend(channel, value);
    else
        state.store_expression(channel, value);
}

void read_current_item(ReadState& state, std::string_view token)
{
    const std::string_view s = usable(token);
    if (s.empty() || s[0] == '/')
        return;
    switch (s[0]) {
    case 'T': case 't': read_time_token(state, s); break;
    case 'P': case 'p': read_value_token(state, s, true); break;
    case 'X': case 'x': read_value_token(state, s, false); break;
    default: read_note_token(state, s); break;
    }
}

// Older form: a token and its number, e.g. "T 384", "A3 100", "Pc2 -50", "X 127".
void read_older_item(ReadState& state, std::string_view token, int32_t number)
{
    const std::string_view s = usable(token);
    if (s.empty() || s[0] == '/')
        return;
    int32_t channel = 0;
    if (s == "T" || s == "t") {
        state.advance(number);
    } else if (s[0] == 'P' || s[0] == 'p') {
        if (read_channel_and_end(s, 1, channel))
            state.store_bend(channel, number);
    } else if (s[0] == 'X' || s[0] == 'x') {
        if (read_channel_and_end(s, 1, channel))
            state.store_expression(channel, number);
    } else {
        size_t pos = 0;
        int32_t note = 0;
        if (read_note_head(s, pos, note) && read_channel_and_end(s, pos, channel))
            state.store_note(channel, note, number);
    }
}

// The next token read as a header number; 0 when it is absent or not a number.
int32_t header_value(Tokens& tokens)
{
    const std::optional<std::string_view> token = tokens.next();
    if (!token)
        return 0;
    return parse_number(*token).value_or(0);
}

// Replaces the list, sized for the header's count but never for more events than the file
// can spell (each takes at least two characters and a separator).
void start_list(ReadState& state, int32_t capacity, int32_t resolution, size_t file_size)
{
    state.capacity = std::max(capacity, 0);
    const size_t most_in_file = file_size / 2 + 1;
    create_event_list(static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(state.capacity), most_in_file)));
    conversion_settings.TIME_UNIT = resolution > 0 ? resolution : BUILT_IN_TIME_UNIT;
}

void read_current_form(ReadState& state, std::string_view text)
{
    Tokens tokens(text);
    // The header's words are not compared; its numbers are taken by position.
    tokens.next();  // "Version"
    tokens.next();  // its number
    tokens.next();  // "Event_Max_count"
    const int32_t capacity = header_value(tokens);
    tokens.next();  // "Time_Resolution"
    const int32_t resolution = header_value(tokens);
    start_list(state, capacity, resolution, text.size());
    while (!state.full()) {
        const std::optional<std::string_view> token = tokens.next();
        if (!token)
            break;
        read_current_item(state, *token);
    }
}

// Every item is a token and a separate number; a pair whose number is not one is skipped.
void read_older_form(ReadState& state, std::string_view text)
{
    Tokens tokens(text);
    tokens.next();  // the capacity's word
    const int32_t capacity = header_value(tokens);
    tokens.next();  // the resolution's word
    const int32_t resolution = header_value(tokens);
    start_list(state, capacity, resolution, text.size());
    while (!state.full()) {
        const std::optional<std::string_view> token = tokens.next();
        const std::optional<std::string_view> number_token = tokens.next();
        if (!token || !number_token)
            break;
        if (const std::optional<int32_t> number = parse_number(*number_token))
            read_older_item(state, *token, *number);
    }
}

} // namespace

int32_t read_text_midi(const char* path)
{
    MidiEventList& list = midi_event_list;
    list.last_event_time = 0;
    const std::optional<std::string> text = read_file_text(path);
    if (!text)
        return 0;
    list.source_name = path;

    ReadState state;
    Tokens first(*text);
    const std::optional<std::string_view> first_token = first.next();
    if (first_token && !first_token->empty() && (*first_token)[0] == 'V')
        read_current_form(state, *text);
    else
        read_older_form(state, *text);

    // A time moved before the start by negative intervals ends the data at 0.
    list.last_event_time = static_cast<uint32_t>(std::max<int64_t>(state.time, 0));
    list.duration_ms = ticks_to_duration_ms(list.last_event_time);
    return count_polyphony();
}
