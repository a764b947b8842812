#include "MainDlg.h"
#include "PortWatcher.h"

#include "LocalTime.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "controls/ComboEditUI.h"
#include "controls/FreqEditUI.h"
#include "model/CellText.h"
#include "model/SettingsMapping.h"
#include "model/ToneCode.h"
#include "resources/AboutDlg.h"
#include "resources/SkinNames.h"
#include "resources/SkinResources.h"
#include "toolkit/ButtonUI.h"
#include "toolkit/ComboUI.h"
#include "toolkit/LabelUI.h"

// Qt
#include <QApplication>
#include <QIcon>

// std
#include <algorithm>
#include <vector>

using DuiLib::CButtonUI;
using DuiLib::CComboUI;
using DuiLib::CLabelUI;
using DuiLib::TNotifyUI;
using DuiLib::Utf8;

namespace {

constexpr int kFrequencyMaxChars = 9;

const QColor kActiveBorder = QColor::fromRgba(0xFF1883D7);
const QColor kInactiveBorder = QColor::fromRgba(0xFFAAAAAA);
const QColor kActiveTitle = QColor::fromRgba(0xFF1E1E1E);
const QColor kInactiveTitle = QColor::fromRgba(0xFF96A0AB);

} // namespace

CMainDlg::CMainDlg(std::unique_ptr<IUserPrompts> prompts)
    : m_prompts(prompts ? std::move(prompts) : std::make_unique<CQtUserPrompts>()), m_uiCalls(this)
{
    setWindowTitle(Utf8(Texts::kWindowTitle));

    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("btnRead"),
                   [this](TNotifyUI&) { StartRead(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("btnWrite"),
                   [this](TNotifyUI&) { StartWrite(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("tolOpen"),
                   [this](TNotifyUI&) { OpenDataFile(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("tolSave"),
                   [this](TNotifyUI&) { SaveDataFile(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("tolRead"),
                   [this](TNotifyUI&) { StartRead(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("tolWrite"),
                   [this](TNotifyUI&) { StartWrite(); });
    AddNotifyEntry(QStringLiteral("click"), QStringLiteral("tolAbout"),
                   [this](TNotifyUI&) { ShowAbout(); });
    AddNotifyEntry(QStringLiteral("itemselect"), QStringLiteral("cboCOM"),
                   [this](TNotifyUI& msg) { OnPortSelected(static_cast<int>(msg.wParam)); });
    // Each choice in a settings combo is an undo step.
    for (const SettingsField& field : SettingsFields()) {
        AddNotifyEntry(QStringLiteral("itemselect"), QString::fromLatin1(SettingsComboName(field)),
                       [this](TNotifyUI&) { RecordChange(Texts::kStepSettings); });
    }
}

CMainDlg::~CMainDlg()
{
    ShutDown();
}

QString CMainDlg::GetWindowClassName() const
{
    return QStringLiteral("CMainDlg");
}

QString CMainDlg::GetSkinFolder() const
{
    return {};
}

QString CMainDlg::GetSkinFile() const
{
    return QStringLiteral("Skin.xml");
}

DuiLib::UILIB_RESOURCETYPE CMainDlg::GetResourceType() const
{
    return DuiLib::UILIB_ZIPRESOURCE;
}

QString CMainDlg::GetResourceID() const
{
    return QStringLiteral("135");
}

QWidget* CMainDlg::CreateControl(const QString& className, QWidget* parent)
{
    if (className == QLatin1String("ChannelList")) {
        m_channelList = new CChannelList(parent);
        return m_channelList;
    }
    return nullptr;
}

void CMainDlg::InitWindow()
{
    setWindowIcon(vorlend::WindowIcon());

    m_cboCOM = FindControl<CComboUI>(QStringLiteral("cboCOM"));
    // Port paths differ at their ends (/dev/ttyUSB1, /dev/ttyUSB10): a long one loses its start.
    if (m_cboCOM != nullptr)
        m_cboCOM->SetTextElideMode(Qt::ElideLeft);
    const auto& fields = SettingsFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        m_settingsCombos[i] =
            FindControl<CComboUI>(QString::fromLatin1(SettingsComboName(fields[i])));
    m_title = FindControl<CLabelUI>(QStringLiteral("title"));
    m_labPort = FindControl<CLabelUI>(QStringLiteral("LabPort"));
    m_labTime = FindControl<CLabelUI>(QStringLiteral("LabTime"));

    if (m_channelList == nullptr) {
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    SetPortLabel(QString());

    for (int i = 0; i < kChannelCount; ++i)
        m_channelList->Add(std::make_unique<CListChannelElement>());
    InstallColumnEditors();
    FillDefaultTexts();
    // The defaults are where undo stops.
    m_lastState = CaptureState();
    connect(m_channelList, &CChannelList::EditCommitted, this,
            [this] { RecordChange(Texts::kStepEdit); });
    SetGridMenuHooks(
        {[this] { ExportCsvFile(); }, [this] { ImportCsvFile(); }, [this] { PrintCard(); }});
    connect(m_channelList, &CChannelList::ContextMenuRequested, this,
            [this](const QPoint& globalPos) { ShowGridMenu(globalPos); });
    FillPortList();
    SetTimer(TIMER_CLOCK, 1000);
}

void CMainDlg::InstallColumnEditors()
{
    for (int column : {kColRxFreq, kColTxFreq}) {
        auto* editor = new CFreqEditUI;
        editor->SetMaxChar(kFrequencyMaxChars);
        m_channelList->SetColumnEditor(column, editor);
    }
    for (int column : {kColRxCode, kColTxCode}) {
        auto* editor = new CComboEditUI;
        for (const std::string& text : ToneTextTable())
            editor->AddItem(QString::fromStdString(text));
        m_channelList->SetColumnEditor(column, editor);
    }
    for (int i = 0; i < 3; ++i) {
        auto* editor = new CComboUI;
        for (const char* text : kChoiceTexts[i])
            editor->AddItem(Utf8(text));
        m_channelList->SetColumnEditor(kColPower + i, editor);
    }
}

void CMainDlg::FillDefaultTexts()
{
    const auto rows = DefaultChannelTexts();
    const int count = std::min<int>(m_channelList->GetCount(), kChannelCount);
    for (int row = 0; row < count; ++row) {
        CListChannelElement* element = m_channelList->GetItemAt(row);
        for (int column = 1; column <= 7; ++column)
            element->SetCellText(column, QString::fromStdString(rows[row][column - 1]));
    }
}

void CMainDlg::SetPortLabel(const QString& portName)
{
    if (m_labPort == nullptr)
        return;
    const QString state = portName.isEmpty() ? Utf8(Texts::kDisconnected) : portName;
    m_labPort->SetText(QStringLiteral("%1:%2").arg(Utf8(Texts::kCurrentPort), state));
}

bool CMainDlg::OnKeyDown(int key)
{
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        MoveKeyboardStop(key == Qt::Key_Tab ? 1 : -1);
        return true;
    }
    const char* button = key == Qt::Key_F11 ? "btnRead" : key == Qt::Key_F12 ? "btnWrite" : nullptr;
    if (button == nullptr)
        return false;
    if (auto* control = FindControl<CButtonUI>(QString::fromLatin1(button)))
        control->Activate();
    return true;
}

void CMainDlg::MoveKeyboardStop(int step)
{
    if (m_channelList == nullptr)
        return;
    // In the layout's order; hidden and disabled controls are passed over.
    std::vector<QWidget*> stops{m_channelList};
    for (const char* name : {"cboCOM", "cboTOT", "cboSQLev", "cboSavePower", "cboScan", "cboPF1",
                             "cboPF2", "cboVoice", "btnRead", "btnWrite"}) {
        QWidget* control = FindControl(QString::fromLatin1(name));
        if (control != nullptr && control->isVisible() && control->isEnabled())
            stops.push_back(control);
    }
    const QWidget* focus = QApplication::focusWidget();
    const auto current = std::find_if(stops.begin(), stops.end(), [focus](const QWidget* stop) {
        return stop == focus || stop->isAncestorOf(focus);
    });
    const int count = static_cast<int>(stops.size());
    int next = step > 0 ? 0 : count - 1;
    if (current != stops.end())
        next = (static_cast<int>(current - stops.begin()) + step + count) % count;
    if (stops[static_cast<std::size_t>(next)] == m_channelList)
        m_channelList->FocusCell();
    else
        stops[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
}

void CMainDlg::OnNcActivate(bool active)
{
    if (auto* root = GetRoot())
        root->SetBorderColor(active ? kActiveBorder : kInactiveBorder);
    if (m_title != nullptr)
        m_title->SetTextColor(active ? kActiveTitle : kInactiveTitle);
}

qintptr CMainDlg::HandleCustomMessage(unsigned msg, quintptr wParam, qintptr /*lParam*/,
                                      bool& handled)
{
    handled = true;
    switch (msg) {
    case DuiLib::UIMSG_TIMER:
        if (wParam != TIMER_CLOCK) {
            handled = false;
            return 0;
        }
        if (m_labTime != nullptr)
            m_labTime->SetText(FormatLocalTime("%c"));
        return 0;
    case WM_PORT_CLOSED:
        SetPortLabel(QString());
        return 0;
    case WM_RADIO_FOUND: {
        CPortGate& gate = m_session.Gate();
        const bool locked = gate.Lock(CPortGate::Shared, 500);
        SetPortLabel(m_cboCOM != nullptr ? m_cboCOM->GetText() : QString());
        if (locked)
            gate.Unlock();
        return 0;
    }
    default:
        handled = false;
        return 0;
    }
}

void CMainDlg::ShowSettings(const std::uint8_t* frame)
{
    const SettingsSelections selections = SelectionsFromSettings(frame);
    for (std::size_t i = 0; i < selections.size(); ++i) {
        if (m_settingsCombos[i] != nullptr)
            m_settingsCombos[i]->SelectItem(selections[i]);
    }
}

void CMainDlg::CollectSettings(std::uint8_t* frame)
{
    SettingsSelections selections{};
    for (std::size_t i = 0; i < selections.size(); ++i)
        selections[i] = m_settingsCombos[i] != nullptr ? m_settingsCombos[i]->GetCurSel() : -1;
    StoreSelections(selections, frame);
}

void CMainDlg::ShowAbout()
{
    vorlend::CAboutDlg about(this);
    about.DoModal();
}

void CMainDlg::Message(IUserPrompts::Icon icon, const QString& text)
{
    m_prompts->Message(this, icon, text, Utf8(Texts::kWindowTitle));
}

void CMainDlg::OnFinalMessage()
{
    ShutDown();
}
