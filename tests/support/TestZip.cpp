#include "tests/support/TestZip.h"

// Qt
#include <QtEndian>

// zlib
#include <zlib.h>

namespace vorlend::test {

namespace {

void Add16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void Add32(QByteArray& out, quint32 v)
{
    Add16(out, quint16(v & 0xFFFF));
    Add16(out, quint16(v >> 16));
}

} // namespace

QByteArray DeflateRaw(const QByteArray& data)
{
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&s, uLong(data.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

QByteArray MakeZip(const QList<ZipEntry>& entries)
{
    QByteArray body;
    QByteArray directory;
    for (const ZipEntry& e : entries) {
        const QByteArray name = e.name.toUtf8();
        const QByteArray packed = e.deflate ? DeflateRaw(e.data) : e.data;
        const quint32 crc =
            quint32(crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(e.data.constData()),
                          uInt(e.data.size())));
        const quint32 offset = quint32(body.size());
        const quint16 method = e.deflate ? 8 : 0;
        Add32(body, 0x04034b50);
        Add16(body, 20);
        Add16(body, 0x0800);
        Add16(body, method);
        Add16(body, 0);
        Add16(body, 0x21);
        Add32(body, crc);
        Add32(body, quint32(packed.size()));
        Add32(body, quint32(e.data.size()));
        Add16(body, quint16(name.size()));
        Add16(body, 0);
        body.append(name);
        body.append(packed);

        Add32(directory, 0x02014b50);
        Add16(directory, 20);
        Add16(directory, 20);
        Add16(directory, 0x0800);
        Add16(directory, method);
        Add16(directory, 0);
        Add16(directory, 0x21);
        Add32(directory, crc);
        Add32(directory, quint32(packed.size()));
        Add32(directory, quint32(e.data.size()));
        Add16(directory, quint16(name.size()));
        Add16(directory, 0);
        Add16(directory, 0);
        Add16(directory, 0);
        Add16(directory, 0);
        Add32(directory, 0);
        Add32(directory, offset);
        directory.append(name);
    }
    QByteArray zip = body;
    const quint32 dirOffset = quint32(zip.size());
    zip.append(directory);
    Add32(zip, 0x06054b50);
    Add16(zip, 0);
    Add16(zip, 0);
    Add16(zip, quint16(entries.size()));
    Add16(zip, quint16(entries.size()));
    Add32(zip, quint32(directory.size()));
    Add32(zip, dirOffset);
    Add16(zip, 0);
    return zip;
}

qsizetype EndRecordOffset(const QByteArray& zip)
{
    return zip.size() - 22;
}

qsizetype CentralDirectoryOffset(const QByteArray& zip)
{
    return qsizetype(GetU32(zip, EndRecordOffset(zip) + 16));
}

void PutU32(QByteArray& bytes, qsizetype offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

quint32 GetU32(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

} // namespace vorlend::test
