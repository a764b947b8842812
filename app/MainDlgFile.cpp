// The open and save commands of the toolbar.
#include "DataFileIO.h"
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

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
    RecordStep(Texts::kStepOpen, [&] {
        for (int row = 0; row < kChannelCount; ++row) {
            if (CListChannelElement* element = m_channelList->GetItemAt(row))
                element->SetChannelRecord(file.image.channels[row]);
        }
        ShowSettings(file.image.settings.bytes.data());
    });
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
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row) {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            image.channels[row] = element->GetChannelRecord();
    }
    CollectSettings(image.settings.bytes.data());
    const QString error = WriteDataFile(path, EncodeKtFile(image));
    if (!error.isEmpty()) {
        Message(IUserPrompts::Icon::Error,
                QStringLiteral("%1\n%2\n%3").arg(Utf8(Texts::kCannotSaveFile), path, error));
    }
}
