#include "core/file_io.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

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

// Longest part of the destination's name a temporary name repeats: with the suffix it stays
// within the 255 bytes a file name may have.
constexpr size_t TEMPORARY_NAME_KEPT = 200;

std::atomic<unsigned> temporary_counter{0};

// The file a replacement must go to: the target of a symbolic link, else the path itself.
std::string resolved_destination(const char* path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? std::string(path) : target.string();
}

// Creates a new file beside destination, named after it, readable and writable as far as
// the umask allows. Returns its descriptor (or -1) and its name.
int create_temporary(const std::string& destination, std::string& name)
{
    const size_t slash = destination.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    const std::string base = destination.substr(directory.size()).substr(0, TEMPORARY_NAME_KEPT);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = directory + "." + base + "." + std::to_string(::getpid()) + "-" +
               std::to_string(temporary_counter++) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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

ReplacingFile::ReplacingFile(const char* destination) : destination_(resolved_destination(destination))
{
    struct stat existing {};
    const bool exists = ::stat(destination_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        if (!S_ISDIR(existing.st_mode))
            file_ = open_file(destination_.c_str(), "wb");
        return;
    }
    if (exists && ::access(destination_.c_str(), W_OK) != 0)
        return;
    const int fd = create_temporary(destination_, temporary_);
    if (fd < 0) {
        temporary_.clear();
        return;
    }
    if (exists)
        ::fchmod(fd, existing.st_mode & 07777);
    file_.reset(::fdopen(fd, "wb"));
    if (!file_) {
        ::close(fd);
        discard();
    }
}

void start_writing_back(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return;
#if defined(__linux__)
    // A hint only: a pipe or a device refuses it, which changes nothing.
    ::sync_file_range(::fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::commit()
{
    if (!file_)
        return false;
    std::FILE* f = file_.release();
    bool written = std::fflush(f) == 0 && std::ferror(f) == 0;
    if (!temporary_.empty())
        written = written && ::fsync(::fileno(f)) == 0;
    written = std::fclose(f) == 0 && written;
    if (temporary_.empty())
        return written;
    if (!written || std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacingFile::discard()
{
    file_.reset();
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
    temporary_.clear();
}
