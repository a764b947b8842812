#pragma once

// Qt
#include <QByteArray>
#include <QList>
#include <QString>

namespace vorlend::test {

// One file for MakeZip.
struct ZipEntry
{
    QString name;
    QByteArray data;
    bool deflate = true;
};

// A plain zip archive (no data descriptors, no zip64), written independently of the reader
// under test so that the two cannot share a misunderstanding of the format.
[[nodiscard]] QByteArray MakeZip(const QList<ZipEntry>& entries);
[[nodiscard]] QByteArray DeflateRaw(const QByteArray& data);
// Offsets in an archive made by MakeZip.
[[nodiscard]] qsizetype EndRecordOffset(const QByteArray& zip);
[[nodiscard]] qsizetype CentralDirectoryOffset(const QByteArray& zip);
void PutU32(QByteArray& bytes, qsizetype offset, quint32 value);
[[nodiscard]] quint32 GetU32(const QByteArray& bytes, qsizetype offset);

} // namespace vorlend::test
