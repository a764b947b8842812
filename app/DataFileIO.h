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
[[nodiscard]] QString WriteDataFile(const QString& path, const KtFileBytes& bytes);

// "VORLEND_<month>_<day>.kt" for now, with the month's abbreviated name in the user's locale.
[[nodiscard]] QString DefaultDataFileName();
