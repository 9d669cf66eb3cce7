// The console converter's command line on any arguments (the input split at zero bytes):
// sorting them, name completion, the options, and the checks that refuse settings before a
// conversion.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch/arguments.h"
#include "batch/command_line.h"
#include "conversion/conversion_driver.h"
#include "core/status.h"
#include "fuzz_support.h"
#include "midi/smf_writer.h"

namespace {

constexpr size_t MAX_ARGUMENTS = 64;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The echo lines would drown libFuzzer's own output.
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::reset_engine();
    std::vector<std::string> arguments;
    const char* text = reinterpret_cast<const char*>(data);
    for (size_t start = 0; start <= size && arguments.size() < MAX_ARGUMENTS;) {
        const void* zero = std::memchr(text + start, 0, size - start);
        const size_t end = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size;
        arguments.emplace_back(text + start, end - start);
        start = end + 1;
    }
    std::vector<const char*> all;
    for (const std::string& a : arguments)
        all.push_back(a.c_str());
    const BatchRequest request = parse_batch_arguments(all);
    fuzz::require(request.jobs >= 1 && request.jobs <= MAX_JOBS, "a job count in range");
    fuzz::require(request.files.size() + request.options.size() <= arguments.size(), "nothing invented");

    const std::string name = arguments.front().substr(0, PATH_CAPACITY - 2);
    fuzz::require(set_current_path(name.c_str()), "a name that fits current_path");
    complete_wave_name();
    fuzz::require(std::strlen(conversion_status.current_path) < PATH_CAPACITY, "the completed name fits");

    std::vector<const char*> options;
    for (size_t i = 1; i < arguments.size(); ++i)
        options.push_back(arguments[i].c_str());
    const int32_t format = apply_batch_options(options);
    refused_conversion_setting();
    if (format > 0)
        smf_settings_problem();
    return 0;
}
