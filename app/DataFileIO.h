#pragma once

#include "file/KtFile.h"
#include "model/RadioImage.h"

// Qt
#include <QString>

// Reading and writing ".kt" files on disk, with the failures worded for the user.
struct DataFileRead
{
    enum class Status
    {
        Ok,
        CannotRead,
        WrongIdentification,
        WrongChecksum
    };
    Status status = Status::CannotRead;
    RadioImage image; // valid only when status is Ok
    QString error;    // why the file could not be read (CannotRead only)
};

// Reads the first 420 bytes in one go; a shorter file counts as if zeros followed.
[[nodiscard]] DataFileRead ReadDataFile(const QString& path);

// Writes the file so that a failure at any point leaves an existing file as it was: the bytes
// go to a temporary file in the same folder, which then replaces the target. Returns an empty
// text on success, else why it failed.
[[nodiscard]] QString WriteFileSafely(const QString& path, const char* data, qint64 size);
[[nodiscard]] inline QString WriteDataFile(const QString& path, const KtFileBytes& bytes)
{
    return WriteFileSafely(path, reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qint64>(bytes.size()));
}

// The whole of a small file (a spreadsheet's CSV); at most `maxSize` bytes are taken, a larger
// file is refused. Empty `error` on success.
struct WholeFileRead
{
    QByteArray bytes;
    QString error;
};
[[nodiscard]] WholeFileRead ReadWholeFile(const QString& path, qint64 maxSize);

// "VORLEND_<month>_<day>.kt" for now, with the month's abbreviated name in the user's locale.
[[nodiscard]] QString DefaultDataFileName();
