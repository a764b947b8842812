// A save that fails or is killed at any moment never damages the file it replaces, and an open
// never applies an image that another program has only partly written.

#include "app/DataFileIO.h"
#include "file/KtFile.h"

// Qt
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// std
#include <csignal>
#include <memory>
#include <random>

// system
#include <unistd.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

RadioImage MarkedImage(std::uint8_t mark)
{
    RadioImage image;
    for (int i = 0; i < kChannelCount; ++i) {
        image.channels[i].bytes.fill(static_cast<std::uint8_t>(mark + i));
        image.channels[i].bytes[23] = 0; // a zero tail, as real records have
    }
    image.settings.bytes.fill(mark);
    return image;
}

QByteArray Encoded(const RadioImage& image)
{
    const KtFileBytes bytes = EncodeKtFile(image);
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

bool WriteRaw(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray ReadRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SameImage(const RadioImage& a, const RadioImage& b)
{
    return Encoded(a) == Encoded(b);
}

// Limits the size of any file this process writes, as a full disk does; writes beyond the
// limit fail with EFBIG instead of killing the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class DataFileSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void failingWriteAtEveryByteKeepsThePreviousFile();
    void fullDiskKeepsThePreviousFile();
    void killedSaveLeavesTheOldOrTheNewFile();
    void partlyWrittenFileIsNeverApplied();
    void missingFolderIsReportedAndWritesNothing();

private:
    // A fresh folder for every test, and the data file's path in it.
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void DataFileSafetyTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("radio.kt"));
}

void DataFileSafetyTest::failingWriteAtEveryByteKeepsThePreviousFile()
{
    const QByteArray previous = Encoded(MarkedImage(0x10));
    QVERIFY(WriteRaw(m_path, previous));
    const KtFileBytes next = EncodeKtFile(MarkedImage(0x40));

    for (rlim_t limit = 0; limit < kKtFileSize; ++limit) {
        QString error;
        {
            FileSizeLimit full(limit);
            QVERIFY(full.ok());
            error = WriteDataFile(m_path, next);
        }
        QVERIFY2(!error.isEmpty(), qPrintable(QStringLiteral("limit %1").arg(limit)));
        QCOMPARE(ReadRaw(m_path), previous);
        // Nothing but the file itself is left in the folder.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("radio.kt")});
    }
    {
        FileSizeLimit roomEnough(kKtFileSize);
        QCOMPARE(WriteDataFile(m_path, next), QString());
    }
    QCOMPARE(ReadRaw(m_path), Encoded(MarkedImage(0x40)));
}

void DataFileSafetyTest::fullDiskKeepsThePreviousFile()
{
    const QByteArray mountPoint = QFile::encodeName(m_dir->path());
    // A tiny disk of its own: two pages, one for the file and one to fill up.
    if (mount("vorlend-test", mountPoint.constData(), "tmpfs", 0, "size=8k") != 0)
        QSKIP("mounting a tmpfs needs root");
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { umount(path.constData()); }
    } unmount{mountPoint};

    const QByteArray previous = Encoded(MarkedImage(0x11));
    QVERIFY(WriteRaw(m_path, previous));
    QFile filler(m_dir->filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();

    const QString error = WriteDataFile(m_path, EncodeKtFile(MarkedImage(0x55)));
    QVERIFY2(!error.isEmpty(), "a save onto a full disk reported success");
    QCOMPARE(ReadRaw(m_path), previous);
    QCOMPARE(ReadDataFile(m_path).status, DataFileRead::Status::Ok);
}

void DataFileSafetyTest::killedSaveLeavesTheOldOrTheNewFile()
{
    const RadioImage a = MarkedImage(0x20);
    const RadioImage b = MarkedImage(0x60);
    QVERIFY(WriteRaw(m_path, Encoded(a)));
    const KtFileBytes bytesA = EncodeKtFile(a);
    const KtFileBytes bytesB = EncodeKtFile(b);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    int seenA = 0;
    int seenB = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // Saves as fast as it can until it is killed.
            for (int i = 0;; ++i)
                (void)WriteDataFile(m_path, i % 2 == 0 ? bytesB : bytesA);
        }
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);

        const DataFileRead read = ReadDataFile(m_path);
        QCOMPARE(read.status, DataFileRead::Status::Ok);
        if (SameImage(read.image, a))
            ++seenA;
        else if (SameImage(read.image, b))
            ++seenB;
        else
            QFAIL("the file holds neither the old nor the new image");
    }
    qInfo("40 kills: old image %d times, new image %d times", seenA, seenB);
}

void DataFileSafetyTest::partlyWrittenFileIsNeverApplied()
{
    const RadioImage oldImage = MarkedImage(0x30);
    const RadioImage newImage = MarkedImage(0x70);
    const QByteArray oldBytes = Encoded(oldImage);
    const QByteArray newBytes = Encoded(newImage);

    // Another program writing the file in place, caught after every byte: growing from empty,
    // and overwriting the old contents from the front.
    for (qsizetype n = 0; n < newBytes.size(); ++n) {
        for (const bool overwriting : {false, true}) {
            QByteArray partial = newBytes.left(n);
            if (overwriting)
                partial += oldBytes.mid(n);
            QVERIFY(WriteRaw(m_path, partial));
            const DataFileRead read = ReadDataFile(m_path);
            if (read.status != DataFileRead::Status::Ok)
                continue;
            // Only an image that is whole may be applied.
            QVERIFY2(SameImage(read.image, newImage) || SameImage(read.image, oldImage),
                     qPrintable(QStringLiteral("%1 bytes written%2")
                                    .arg(n)
                                    .arg(overwriting ? " over the old file" : "")));
        }
    }
}

void DataFileSafetyTest::missingFolderIsReportedAndWritesNothing()
{
    const QString path = m_dir->filePath(QStringLiteral("gone/radio.kt"));
    QVERIFY(!WriteDataFile(path, EncodeKtFile(MarkedImage(1))).isEmpty());
    QVERIFY(!QFile::exists(path));
    const DataFileRead read = ReadDataFile(path);
    QCOMPARE(read.status, DataFileRead::Status::CannotRead);
    QVERIFY(!read.error.isEmpty());
}

QTEST_APPLESS_MAIN(DataFileSafetyTest)
#include "DataFileSafetyTest.moc"
