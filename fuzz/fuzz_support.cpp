#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/messages.h"
#include "support/engine_state.h"

namespace fuzz {

namespace {

std::filesystem::path make_scratch_directory()
{
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base = std::filesystem::is_directory(shm, error)
        ? shm : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tonagram-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("fuzz: cannot create a scratch directory");
        std::abort();
    }
    return pattern;
}

const std::filesystem::path& scratch_directory()
{
    static const std::filesystem::path directory = [] {
        std::filesystem::path made = make_scratch_directory();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratch_directory(), ignored);
        });
        return made;
    }();
    return directory;
}

void ignore_message(const char*, const char*) {}

} // namespace

std::string scratch_path(const char* name)
{
    return (scratch_directory() / name).string();
}

std::string write_input(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = scratch_path(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    require(file != nullptr, "the scratch file can be written");
    require(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0, "the scratch file is written whole");
    return path;
}

void reset_engine()
{
    test::reset_engine_state();
    message_hook = ignore_message;
}

void require(bool condition, const char* promise)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz: broken promise: %s\n", promise);
    std::abort();
}

} // namespace fuzz
