#include "core/file_io.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

template <typename Container>
std::optional<Container> read_whole_file(const char* path)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return Container(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

FileHandle open_file(const char* path, const char* mode)
{
    return FileHandle(std::fopen(path, mode));
}

std::optional<std::vector<uint8_t>> read_file_bytes(const char* path)
{
    return read_whole_file<std::vector<uint8_t>>(path);
}

std::optional<std::string> read_file_text(const char* path)
{
    return read_whole_file<std::string>(path);
}
