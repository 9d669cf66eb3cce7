#include "batch/arguments.h"

#include <charconv>
#include <string>

#include "batch/command_line.h"

namespace {

bool is_ascii_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// N of -j N: a whole number from 1 to MAX_JOBS, nothing else.
bool parse_jobs(std::string_view text, int32_t& jobs)
{
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MAX_JOBS)
        return false;
    jobs = value;
    return true;
}

void fail(BatchRequest& request, std::string text)
{
    if (request.error.empty())
        request.error = std::move(text);
}

// The value of -j, -jN, --jobs N or --jobs=N; moves i past a separate value.
void take_jobs(std::span<const char* const> arguments, size_t& i, std::string_view argument, BatchRequest& request)
{
    std::string_view value;
    if (argument == "-j" || argument == "--jobs") {
        if (i + 1 >= arguments.size()) {
            fail(request, "option " + std::string(argument) + " needs a number of files");
            return;
        }
        value = arguments[++i];
    } else {
        value = argument.substr(argument[1] == 'j' ? 2 : 7);
    }
    if (!parse_jobs(value, request.jobs))
        fail(request, "invalid number of files at a time: '" + std::string(value) + "' (1 to " +
                          std::to_string(MAX_JOBS) + ")");
}

} // namespace

bool is_option_argument(std::string_view argument)
{
    if (argument.find_first_of("./") != std::string_view::npos)
        return false;
    if (argument.empty() || !is_ascii_letter(argument[0]))
        return false;
    if (argument.size() <= 2 || argument[1] == ':' || argument[1] == '=')
        return true;
    return option_value(std::string(argument).c_str()).has_value();
}

BatchRequest parse_batch_arguments(std::span<const char* const> arguments)
{
    BatchRequest request;
    if (arguments.empty()) {
        request.action = BatchAction::Usage;
        return request;
    }
    bool help = false;
    bool version = false;
    bool only_files = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (only_files) {
            request.files.emplace_back(argument);
        } else if (argument == "--") {
            only_files = true;
        } else if (argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument.starts_with("-j") || argument == "--jobs" || argument.starts_with("--jobs=")) {
            take_jobs(arguments, i, argument, request);
        } else if (argument.starts_with("--")) {
            fail(request, "unrecognized option '" + std::string(argument) + "'");
        } else if (!request.files.empty() && is_option_argument(argument)) {
            request.options.emplace_back(argument);
        } else {
            request.files.emplace_back(argument);
        }
    }
    if (help)
        request.action = BatchAction::Help;
    else if (version)
        request.action = BatchAction::Version;
    else {
        if (request.files.empty())
            fail(request, "no WAV file named");
        if (!request.error.empty())
            request.action = BatchAction::Error;
    }
    return request;
}
