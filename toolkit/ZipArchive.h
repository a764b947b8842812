#pragma once

// Qt
#include <QByteArray>
#include <QHash>
#include <QString>

// std
#include <optional>

namespace DuiLib {

// Reads files by name from a zip archive held in memory (stored or Deflate entries). Damaged
// archives never crash it: an entry that cannot be read exactly as its directory describes it
// (bad offsets, truncated data, a wrong CRC, sizes beyond the limit, encryption) is missing.
class CZipArchive
{
public:
    // Entries larger than this when inflated are refused.
    static constexpr qint64 kMaxEntrySize = 64 * 1024 * 1024;

    CZipArchive() = default;
    // Keeps a (shared, implicitly copied) reference to the bytes.
    explicit CZipArchive(const QByteArray& bytes);

    // True when the central directory could be read (it may still list no entries).
    [[nodiscard]] bool IsValid() const { return m_valid; }
    [[nodiscard]] QStringList EntryNames() const;
    [[nodiscard]] bool Contains(const QString& name) const { return m_entries.contains(name); }
    // The entry's bytes; nothing when the entry is missing or damaged.
    [[nodiscard]] std::optional<QByteArray> Read(const QString& name) const;

private:
    struct Entry
    {
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        quint32 compressedSize = 0;
        quint32 size = 0;
        quint32 localOffset = 0;
    };

    void Parse();

    QByteArray m_bytes;
    QHash<QString, Entry> m_entries;
    QStringList m_order;
    bool m_valid = false;
};

// Raw Deflate data (no zlib or gzip header) inflated to exactly expectedSize bytes; nothing when
// the data is damaged, ends early or holds more.
[[nodiscard]] std::optional<QByteArray> InflateRaw(const QByteArray& deflated, qint64 expectedSize);

} // namespace DuiLib
