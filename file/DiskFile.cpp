#include "DiskFile.h"

#include "FileTexts.h"

// std
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

// system
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>
#endif

namespace {

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// A temporary file beside `path`, opened for writing; null (with errno set) on failure.
std::FILE* OpenTemporary(const std::string& path, std::string& temporary)
{
#ifdef _WIN32
    std::random_device seed;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = path + ".tmp" + std::to_string(seed() % 1000000u);
        // Never an existing file.
        const int fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                             _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            std::FILE* file = _fdopen(fd, "wb");
            if (file == nullptr)
                _close(fd);
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
#else
    std::string pattern = path + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    temporary = pattern;
    // mkstemp makes the file private; the result gets the old file's mode, or the usual one.
    struct stat old
    {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(fd, mode);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
#endif
}

bool SyncFile(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

} // namespace

DiskFileRead ReadDiskFile(const std::string& path, std::size_t maxSize, bool refuseLarger)
{
    DiskFileRead result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.error = ErrnoText(errno);
        return result;
    }
    result.bytes.resize(maxSize + 1);
    const std::size_t count = std::fread(result.bytes.data(), 1, result.bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        result.bytes.clear();
        result.error = ErrnoText(error);
        return result;
    }
    result.bytes.resize(count);
    if (count > maxSize) {
        if (refuseLarger) {
            result.bytes.clear();
            result.error = Texts::kFileTooLarge;
        } else {
            result.bytes.resize(maxSize);
        }
    }
    return result;
}

std::string WriteDiskFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::string temporary;
    std::FILE* file = OpenTemporary(path, temporary);
    if (file == nullptr)
        return ErrnoText(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         std::fflush(file) == 0 && SyncFile(file);
    const int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int why = !written ? error : errno;
        std::remove(temporary.c_str());
        return ErrnoText(why);
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        std::remove(temporary.c_str());
        return renameError.message();
    }
    return {};
}
