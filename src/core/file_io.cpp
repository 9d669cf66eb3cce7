#include "core/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/temporary_files.h"

namespace {

thread_local FileReadProblem last_problem = FileReadProblem::None;

// Reads what is left of file, at most limit bytes. False on a read error or when the file
// holds more (it may have grown since it was measured).
template <typename Container>
bool read_rest(std::FILE* file, int64_t limit, Container& content)
{
    constexpr size_t PIECE = size_t{1} << 20;
    for (;;) {
        const size_t start = content.size();
        const size_t room = static_cast<size_t>(limit) + 1 - start;  // one more shows an excess
        content.resize(start + std::min(PIECE, room));
        const size_t got = std::fread(content.data() + start, 1, content.size() - start, file);
        content.resize(start + got);
        if (content.size() > static_cast<size_t>(limit)) {
            last_problem = FileReadProblem::TooLarge;
            return false;
        }
        if (got == 0) {
            if (std::ferror(file))
                last_problem = FileReadProblem::ReadFailed;
            return !std::ferror(file);
        }
    }
}

template <typename Container>
std::optional<Container> read_whole_file(const char* path)
{
    last_problem = FileReadProblem::None;
    FileHandle file = open_regular_file(path, &last_problem);
    if (!file)
        return std::nullopt;
    struct stat status {};
    if (::fstat(::fileno(file.get()), &status) != 0) {
        last_problem = FileReadProblem::ReadFailed;
        return std::nullopt;
    }
    if (status.st_size > WHOLE_FILE_READ_LIMIT) {
        last_problem = FileReadProblem::TooLarge;
        return std::nullopt;
    }
    Container content;
    content.reserve(static_cast<size_t>(status.st_size));
    if (!read_rest(file.get(), WHOLE_FILE_READ_LIMIT, content))
        return std::nullopt;
    return content;
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
// the umask allows. Returns its descriptor (or -1), its name and its slot among the files
// a SIGINT or SIGTERM removes. The name is registered before the file exists, so no
// moment is left in which a signal would leave it behind; a name taken already can only
// be a leftover of an earlier process with this process id.
int create_temporary(const std::string& destination, std::string& name, int& slot)
{
    const size_t slash = destination.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    const std::string base = destination.substr(directory.size()).substr(0, TEMPORARY_NAME_KEPT);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = directory + "." + base + "." + std::to_string(::getpid()) + "-" +
               std::to_string(temporary_counter++) + ".tmp";
        slot = register_temporary_file(name.c_str());
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        unregister_temporary_file(slot);
        slot = -1;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

} // namespace

FileHandle open_file(const char* path, const char* mode)
{
    return FileHandle(std::fopen(path, mode));
}

FileHandle open_regular_file(const char* path, FileReadProblem* problem)
{
    FileReadProblem ignored;
    FileReadProblem& reason = problem ? *problem : ignored;
    reason = FileReadProblem::None;
    // Looked at before it is opened: opening a device may do something, and opening a FIFO
    // waits for a writer. O_NONBLOCK covers a FIFO put in its place meanwhile.
    struct stat status {};
    if (::stat(path, &status) != 0) {
        reason = FileReadProblem::CannotOpen;
        return FileHandle();
    }
    if (!S_ISREG(status.st_mode)) {
        reason = FileReadProblem::NotRegularFile;
        return FileHandle();
    }
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = FileReadProblem::CannotOpen;
        return FileHandle();
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        reason = FileReadProblem::NotRegularFile;
        return FileHandle();
    }
    FileHandle file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        reason = FileReadProblem::CannotOpen;
    }
    return file;
}

FileReadProblem last_file_read_problem()
{
    return last_problem;
}

const char* file_read_problem_text(FileReadProblem problem)
{
    switch (problem) {
    case FileReadProblem::None:
        return "";
    case FileReadProblem::CannotOpen:
        return "it cannot be opened";
    case FileReadProblem::NotRegularFile:
        return "it is not a regular file";
    case FileReadProblem::TooLarge:
        return "it is larger than 1 GiB";
    case FileReadProblem::ReadFailed:
        return "it could not be read";
    }
    return "";
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
    const int fd = create_temporary(destination_, temporary_, signal_slot_);
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
    // A signal from here on unlinks a name that no longer exists.
    unregister_temporary_file(std::exchange(signal_slot_, -1));
    temporary_.clear();
    return true;
}

void ReplacingFile::discard()
{
    file_.reset();
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
    unregister_temporary_file(std::exchange(signal_slot_, -1));
    temporary_.clear();
}
