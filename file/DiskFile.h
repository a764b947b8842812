#pragma once

// std
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Files on disk without Qt, for the command line: the window uses QFile and QSaveFile in app/
// with the same guarantees.

struct DiskFileRead
{
    std::vector<std::uint8_t> bytes;
    std::string error; // empty on success, else why (the system's words, or kFileTooLarge)
};

// At most `maxSize` bytes of the file; a larger file is refused when `refuseLarger`, else only
// its first `maxSize` bytes are taken.
[[nodiscard]] DiskFileRead ReadDiskFile(const std::string& path, std::size_t maxSize,
                                        bool refuseLarger);

// Writes the file so that a failure at any point leaves an existing file as it was: the bytes
// go to a temporary file in the same folder, are synced to the disk, and then replace the
// target by a rename. An existing file's permissions are kept. Empty on success, else why.
[[nodiscard]] std::string WriteDiskFileSafely(const std::string& path,
                                              std::span<const std::uint8_t> bytes);
