// Fuzz target: the skin archive reader and the "Skin.xml" loader. The first byte chooses what
// the rest is: 0 an archive; 1 byte edits of the program's own skin archive (two offset bytes
// and a value each); 2 a layout text, built into a window's control tree.

#include "FuzzSupport.h"
#include "resources/SkinResources.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ZipArchive.h"

// Qt
#include <QApplication>
#include <QHash>
#include <QSet>
#include <QWidget>

namespace {

using DuiLib::CZipArchive;

// The builder reports skipped elements through Qt's log; thousands of inputs a second would
// drown the fuzzer's own output.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void EnsureApplication()
{
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietMessages);
        static int argc = 1;
        static char name[] = "fuzz_skin";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv); // lives as long as the process
    }();
    (void)app;
}

// What every archive must satisfy, damaged or not; returns the entries that could be read.
QHash<QString, QByteArray> CheckArchive(const QByteArray& bytes)
{
    const CZipArchive zip(bytes);
    QHash<QString, QByteArray> read;
    const QStringList names = zip.EntryNames();
    FUZZ_CHECK(zip.IsValid() || names.isEmpty());
    FUZZ_CHECK(QSet<QString>(names.begin(), names.end()).size() == names.size());
    for (const QString& name : names) {
        FUZZ_CHECK(zip.Contains(name));
        const auto data = zip.Read(name);
        const auto again = zip.Read(name);
        FUZZ_CHECK(data.has_value() == again.has_value() && (!data || *data == *again));
        if (data) {
            FUZZ_CHECK(data->size() <= CZipArchive::kMaxEntrySize);
            read.insert(name, *data);
        }
    }
    FUZZ_CHECK(!zip.Read(QStringLiteral("no such entry")).has_value() ||
               names.contains(QStringLiteral("no such entry")));
    return read;
}

const QHash<QString, QByteArray>& OriginalSkin()
{
    static const QHash<QString, QByteArray> entries = CheckArchive(vorlend::SkinArchive());
    return entries;
}

void BuildLayout(const QByteArray& xml)
{
    EnsureApplication();
    const auto parsed = DuiLib::CDialogBuilder::ParseXml(xml);
    const auto parsedAgain = DuiLib::CDialogBuilder::ParseXml(xml);
    FUZZ_CHECK(parsed.has_value() == parsedAgain.has_value());
    QWidget window;
    DuiLib::CPaintManagerUI manager(&window);
    DuiLib::CDialogBuilder builder;
    QWidget* root = builder.Create(xml, &manager, &window);
    // A text that is not XML builds nothing, and says why.
    if (!parsed)
        FUZZ_CHECK(root == nullptr && !builder.GetError().isEmpty());
    if (root != nullptr)
        FUZZ_CHECK(root->parentWidget() == &window);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    switch (input.Byte() % 3) {
    case 0: {
        const auto rest = input.Rest();
        CheckArchive(
            QByteArray(reinterpret_cast<const char*>(rest.data()), qsizetype(rest.size())));
        break;
    }
    case 1: {
        // A damaged copy of the real skin: whatever still reads is byte for byte an original
        // entry (the checksums see to that); nothing damaged is ever handed out.
        const QHash<QString, QByteArray>& original = OriginalSkin();
        FUZZ_CHECK(original.contains(QStringLiteral("Skin.xml")));
        QByteArray bytes(vorlend::SkinArchive().constData(), vorlend::SkinArchive().size());
        for (int edit = 0; edit < 8 && !input.Empty(); ++edit) {
            const qsizetype offset = input.Le16() % bytes.size();
            bytes[offset] = static_cast<char>(input.Byte());
        }
        const QList<QByteArray> contents = original.values();
        const auto read = CheckArchive(bytes);
        for (auto it = read.begin(); it != read.end(); ++it)
            FUZZ_CHECK(original.value(it.key()) == it.value() || contents.contains(it.value()));
        break;
    }
    default: {
        const auto rest = input.Rest();
        BuildLayout(QByteArray(reinterpret_cast<const char*>(rest.data()), qsizetype(rest.size())));
        break;
    }
    }
    return 0;
}
