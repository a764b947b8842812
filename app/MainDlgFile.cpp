// The open and save commands of the toolbar; the channel plan as CSV and as a printed card.
#include "ChannelCard.h"
#include "DataFileIO.h"
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "file/CsvFile.h"

using DuiLib::Utf8;

void CMainDlg::OpenDataFile()
{
    if (m_channelList == nullptr)
        return;
    // Nothing typed before the open may land over the rows it brings.
    m_channelList->CommitOpenEditor();
    const QString path = m_prompts->OpenFileName(this);
    if (path.isEmpty())
        return;
    const DataFileRead file = ReadDataFile(path);
    switch (file.status) {
    case DataFileRead::Status::CannotRead:
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2\n%3").arg(Utf8(Texts::kCannotOpenFile), path, file.error));
        return;
    case DataFileRead::Status::WrongIdentification:
        Message(IUserPrompts::Icon::Error, Utf8(Texts::kBadFileFormat));
        return;
    case DataFileRead::Status::WrongChecksum:
        Message(IUserPrompts::Icon::Error, Utf8(Texts::kBadFileCrc));
        return;
    case DataFileRead::Status::Ok:
        break;
    }
    RecordStep(Texts::kStepOpen, [&] { ShowImage(file.image); });
}

void CMainDlg::SaveDataFile()
{
    if (m_channelList == nullptr)
        return;
    // The file gets what the grid shows, an edit under way included.
    m_channelList->CommitOpenEditor();
    const QString path = m_prompts->SaveFileName(this, DefaultDataFileName());
    if (path.isEmpty())
        return;
    const QString error = WriteDataFile(path, EncodeKtFile(GridImage()));
    if (!error.isEmpty()) {
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2\n%3").arg(Utf8(Texts::kCannotSaveFile), path, error));
    }
}

RadioImage CMainDlg::GridImage()
{
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row) {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            image.channels[row] = element->GetChannelRecord();
    }
    CollectSettings(image.settings.bytes.data());
    return image;
}

void CMainDlg::ShowImage(const RadioImage& image)
{
    for (int row = 0; row < kChannelCount; ++row) {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            element->SetChannelRecord(image.channels[row]);
    }
    ShowSettings(image.settings.bytes.data());
}

void CMainDlg::ExportCsvFile()
{
    if (m_channelList == nullptr)
        return;
    m_channelList->CommitOpenEditor();
    QString name = DefaultDataFileName();
    name.replace(name.size() - 3, 3, QStringLiteral(".csv"));
    const QString path = m_prompts->SaveFileName(this, name, IUserPrompts::FileKind::Spreadsheet);
    if (path.isEmpty())
        return;
    const std::string csv = ExportCsv(GridImage(), CsvStyleForHeldSeparator());
    const QString error = WriteFileSafely(path, csv.data(), static_cast<qint64>(csv.size()));
    if (!error.isEmpty()) {
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2\n%3").arg(Utf8(Texts::kCannotSaveFile), path, error));
    }
}

void CMainDlg::ImportCsvFile()
{
    if (m_channelList == nullptr)
        return;
    // As an open: nothing typed before it lands over the rows it brings.
    m_channelList->CommitOpenEditor();
    const QString path = m_prompts->OpenFileName(this, IUserPrompts::FileKind::Spreadsheet);
    if (path.isEmpty())
        return;
    // A channel plan is a few kilobytes; anything this large is not one.
    constexpr qint64 kMaxCsvSize = 1 << 20;
    const WholeFileRead file = ReadWholeFile(path, kMaxCsvSize);
    if (!file.error.isEmpty()) {
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2\n%3").arg(Utf8(Texts::kCannotOpenFile), path, file.error));
        return;
    }
    const CsvImportResult result = ImportCsv(
        {file.bytes.constData(), static_cast<std::size_t>(file.bytes.size())}, GridImage());
    if (!result.image) {
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2").arg(
                    Utf8(Texts::kCsvNotImported),
                    QString::fromStdString(FormatCsvProblems(result.problems))));
        return;
    }
    RecordStep(Texts::kStepImport, [&] { ShowImage(*result.image); });
}

void CMainDlg::PrintCard()
{
    if (m_channelList == nullptr)
        return;
    m_channelList->CommitOpenEditor();
    PrintChannelCard(this, GridImage());
}
