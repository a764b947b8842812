// Reading and writing the radio as the window shows it: the commands, the progress dialog with
// its watchdog timer, the box after it, and the session's calls from the reader and probe
// threads, run on this thread.
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "resources/ProgressDlg.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"

using DuiLib::Utf8;

namespace {

IUserPrompts::Icon PromptIcon(SessionMessage::Icon icon)
{
    switch (icon) {
    case SessionMessage::Icon::Warning:
        return IUserPrompts::Icon::Warning;
    case SessionMessage::Icon::Error:
        return IUserPrompts::Icon::Error;
    case SessionMessage::Icon::Information:
        break;
    }
    return IUserPrompts::Icon::Information;
}

} // namespace

void CMainDlg::StartRead()
{
    if (m_progress != nullptr || m_channelList == nullptr)
        return;
    // An edit under way is a step of its own, before the read's.
    m_channelList->CommitOpenEditor();
    // However far it got, the read is one step, undone here only: the radio keeps its data.
    RecordStep(Texts::kStepRead, [this] { RunOperation(true); });
}

void CMainDlg::StartWrite()
{
    RunOperation(false);
}

void CMainDlg::RunOperation(bool isRead)
{
    // A second command while one runs (a key repeat reaching the window) starts nothing.
    if (m_progress != nullptr || m_channelList == nullptr)
        return;
    // A write sends what the grid shows; a read leaves nothing typed before it to land after it.
    m_channelList->CommitOpenEditor();
    if (m_cboCOM == nullptr) {
        Message(IUserPrompts::Icon::Information, Utf8(Texts::kCheckCable));
        return;
    }
    const std::optional<OperationOutcome> outcome = m_session.Run(isRead);
    if (!outcome || m_session.IsShuttingDown())
        return;
    if (const std::optional<SessionMessage> message = OutcomeMessage(*outcome))
        ShowMessage(*message);
}

void CMainDlg::ShowMessage(const SessionMessage& message)
{
    m_prompts->Message(this, PromptIcon(message.icon), QString::fromStdString(message.text),
                       QString::fromStdString(message.caption));
}

int CMainDlg::RunProgress(const ProgressRun& run)
{
    vorlend::CProgressDlg dialog(this);
    dialog.SetTitle(Utf8(run.title));
    dialog.SetRange(0, run.steps);
    dialog.SetPos(0);
    dialog.SetStep(1);
    dialog.SetInitHandler([&dialog, &run] {
        dialog.SetTimer(TIMER_WATCHDOG, static_cast<int>(run.tickPeriodMs));
        run.onShown();
    });
    dialog.SetTimerHandler([&run](unsigned id) {
        if (id == TIMER_WATCHDOG)
            run.onTick();
    });
    m_progress = &dialog;
    const int result = dialog.DoModal();
    m_progress = nullptr;
    return result;
}

void CMainDlg::StepProgress()
{
    m_uiCalls.Post([this] {
        if (m_progress != nullptr)
            m_progress->StepIt();
    });
}

void CMainDlg::EndProgress(int result)
{
    // Also from this thread (the watchdog): posted all the same, so the dialog ends from its
    // own loop after the progress steps queued before.
    m_uiCalls.Post([this, result] {
        if (m_progress != nullptr)
            m_progress->EndDialog(result);
    });
}

void CMainDlg::ShutDownCalls()
{
    if (m_progress != nullptr)
        m_progress->EndDialog(ResultCode(OperationResult::WindowClosed));
    m_uiCalls.Shutdown();
}

ChannelRecord CMainDlg::RowRecord(int row)
{
    ChannelRecord record;
    m_uiCalls.Send([&] {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            record = element->GetChannelRecord();
    });
    return record;
}

void CMainDlg::ChannelReceived(int row, const ChannelRecord& record)
{
    m_uiCalls.Send([&] {
        if (CListChannelElement* element = m_channelList->GetItemAt(row))
            element->SetChannelRecord(record);
    });
}

void CMainDlg::SettingsReceived(const std::uint8_t* frame)
{
    m_uiCalls.Send([&] { ShowSettings(frame); });
}

void CMainDlg::ProvideSettings(std::uint8_t* frame)
{
    m_uiCalls.Send([&] { CollectSettings(frame); });
}

void CMainDlg::RadioFound()
{
    PostMessage(WM_RADIO_FOUND);
}

void CMainDlg::PortRefused(const std::string& /*name*/, PortOpenError error)
{
    // The user chose a port the probe could not open: the port label says why.
    if (const char* reason = PortOpenReasonText(error)) {
        m_uiCalls.Post([this, reason] {
            if (m_labPort != nullptr)
                m_labPort->SetText(Utf8(reason));
        });
    }
}

void CMainDlg::PortClosed()
{
    PostMessage(WM_PORT_CLOSED);
}
