#include "ZipArchive.h"

// zlib
#include <zlib.h>

namespace DuiLib {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr int kEndRecordSize = 22;
constexpr int kDirectoryEntrySize = 46;
constexpr int kLocalHeaderSize = 30;
constexpr quint16 kFlagEncrypted = 0x0001;
constexpr quint16 kFlagUtf8 = 0x0800;
constexpr quint16 kMethodStored = 0;
constexpr quint16 kMethodDeflate = 8;

// Little-endian reads with bounds: false when the bytes are not all there.
class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    [[nodiscard]] bool Has(qint64 offset, qint64 count) const
    {
        return offset >= 0 && count >= 0 && offset <= m_bytes.size() &&
               count <= m_bytes.size() - offset;
    }
    [[nodiscard]] quint16 U16(qint64 offset) const
    {
        const auto* p = reinterpret_cast<const uchar*>(m_bytes.constData()) + offset;
        return quint16(p[0] | (p[1] << 8));
    }
    [[nodiscard]] quint32 U32(qint64 offset) const
    {
        return quint32(U16(offset)) | (quint32(U16(offset + 2)) << 16);
    }

private:
    const QByteArray& m_bytes;
};

} // namespace

CZipArchive::CZipArchive(const QByteArray& bytes) : m_bytes(bytes)
{
    Parse();
}

void CZipArchive::Parse()
{
    const Reader in(m_bytes);
    // The end record sits in the last 22 bytes plus at most a 65535-byte comment.
    qint64 end = -1;
    const qint64 lowest = std::max<qint64>(0, m_bytes.size() - kEndRecordSize - 0xFFFF);
    for (qint64 at = m_bytes.size() - kEndRecordSize; at >= lowest; --at) {
        if (in.U32(at) == kEndOfDirectory) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return;
    const quint16 count = in.U16(end + 10);
    const quint32 dirSize = in.U32(end + 12);
    const quint32 dirOffset = in.U32(end + 16);
    if (!in.Has(dirOffset, dirSize) || qint64(dirOffset) + dirSize > end)
        return;

    // Entries are kept only when the whole directory reads cleanly.
    QHash<QString, Entry> entries;
    QStringList order;
    qint64 at = dirOffset;
    const qint64 dirEnd = qint64(dirOffset) + dirSize;
    for (int i = 0; i < count; ++i) {
        if (at + kDirectoryEntrySize > dirEnd || in.U32(at) != kDirectoryEntry)
            return; // a directory that ends early or is garbled: trust none of it
        Entry e;
        e.flags = in.U16(at + 8);
        e.method = in.U16(at + 10);
        e.crc = in.U32(at + 16);
        e.compressedSize = in.U32(at + 20);
        e.size = in.U32(at + 24);
        const quint16 nameLength = in.U16(at + 28);
        const quint16 extraLength = in.U16(at + 30);
        const quint16 commentLength = in.U16(at + 32);
        e.localOffset = in.U32(at + 42);
        const qint64 next = at + kDirectoryEntrySize + nameLength + extraLength + commentLength;
        if (next > dirEnd)
            return;
        const QByteArray rawName = m_bytes.mid(at + kDirectoryEntrySize, nameLength);
        const QString name =
            (e.flags & kFlagUtf8) ? QString::fromUtf8(rawName) : QString::fromLatin1(rawName);
        if (!name.isEmpty() && !entries.contains(name)) {
            entries.insert(name, e);
            order.append(name);
        }
        at = next;
    }
    m_entries = std::move(entries);
    m_order = std::move(order);
    m_valid = true;
}

QStringList CZipArchive::EntryNames() const
{
    return m_order;
}

std::optional<QByteArray> CZipArchive::Read(const QString& name) const
{
    const auto it = m_entries.constFind(name);
    if (it == m_entries.constEnd())
        return std::nullopt;
    const Entry& e = it.value();
    if ((e.flags & kFlagEncrypted) || e.size > kMaxEntrySize)
        return std::nullopt;

    const Reader in(m_bytes);
    if (!in.Has(e.localOffset, kLocalHeaderSize) || in.U32(e.localOffset) != kLocalHeader)
        return std::nullopt;
    const qint64 dataStart = qint64(e.localOffset) + kLocalHeaderSize + in.U16(e.localOffset + 26) +
                             in.U16(e.localOffset + 28);
    if (!in.Has(dataStart, e.compressedSize))
        return std::nullopt;
    const QByteArray packed =
        QByteArray::fromRawData(m_bytes.constData() + dataStart, qsizetype(e.compressedSize));

    std::optional<QByteArray> data;
    if (e.method == kMethodStored) {
        if (e.compressedSize == e.size)
            data = QByteArray(packed.constData(), packed.size());
    } else if (e.method == kMethodDeflate) {
        data = InflateRaw(packed, e.size);
    }
    if (!data)
        return std::nullopt;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data->constData()),
                            uInt(data->size()));
    if (crc != e.crc)
        return std::nullopt;
    return data;
}

std::optional<QByteArray> InflateRaw(const QByteArray& deflated, qint64 expectedSize)
{
    if (expectedSize < 0 || expectedSize > CZipArchive::kMaxEntrySize)
        return std::nullopt;
    QByteArray out(qsizetype(expectedSize), Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.constData()));
    stream.avail_in = uInt(deflated.size());
    // One spare byte of room tells "exactly the expected size" from "more than that".
    char spare = 0;
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    int status = inflate(&stream, Z_FINISH);
    if (status == Z_BUF_ERROR && stream.avail_out == 0) {
        stream.next_out = reinterpret_cast<Bytef*>(&spare);
        stream.avail_out = 1;
        status = inflate(&stream, Z_FINISH);
    }
    const bool exact = status == Z_STREAM_END && stream.total_out == uLong(expectedSize);
    inflateEnd(&stream);
    if (!exact)
        return std::nullopt;
    return out;
}

} // namespace DuiLib
