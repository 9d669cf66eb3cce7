#include "core/program_directory.h"

#include <sys/stat.h>
#include <unistd.h>

// Set by the build from the install directories; the fallback is the usual layout.
#ifndef TONAGRAM_DATA_FROM_BIN
#define TONAGRAM_DATA_FROM_BIN "../share/tonagram/"
#endif

namespace {

bool is_regular_file(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string executable_directory()
{
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    const std::string path = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string installed_data_directory(const std::string& executable_dir)
{
    return executable_dir + TONAGRAM_DATA_FROM_BIN;
}

bool is_installed_layout(const std::string& executable_dir)
{
    struct stat st {};
    const std::string data = installed_data_directory(executable_dir);
    return ::stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string find_program_data_file(const std::string& executable_dir, std::string_view name)
{
    const std::string beside = executable_dir + std::string(name);
    if (is_regular_file(beside))
        return beside;
    const std::string installed = installed_data_directory(executable_dir) + std::string(name);
    return is_regular_file(installed) ? installed : beside;
}

std::string program_data_file(std::string_view name)
{
    return find_program_data_file(executable_directory(), name);
}
