#pragma once

#include "SnapshotCommand.h"
#include "UserPrompts.h"
#include "link/RadioSession.h"
#include "model/RadioImage.h"
#include "toolkit/UiThreadCall.h"
#include "toolkit/WindowImplBase.h"

// Qt
#include <QUndoStack>

// std
#include <functional>
#include <memory>

class QKeyEvent;
class QMenu;

class CChannelList;
class IPortWatcher;

namespace DuiLib {
class CComboUI;
class CLabelUI;
} // namespace DuiLib
namespace vorlend {
class CProgressDlg;
} // namespace vorlend

// Messages the radio link sends or posts to the main window.
enum : unsigned
{
    WM_CHANNEL_RECEIVED = DuiLib::UIMSG_USER + 1001,
    WM_SETTINGS_RECEIVED = DuiLib::UIMSG_USER + 1002,
    WM_SETTINGS_REQUEST = DuiLib::UIMSG_USER + 1003,
    WM_PORT_CLOSED = DuiLib::UIMSG_USER + 1004,
    WM_RADIO_FOUND = DuiLib::UIMSG_USER + 1005,
};

inline constexpr unsigned TIMER_CLOCK = 3026;

// The one main window: built from the skin, it wires the controls, shows the radio session's
// reads and writes (the session owns the port, the engine, the port list and the probe), opens
// and saves data files.
class CMainDlg : public DuiLib::WindowImplBase, private IRadioSessionView
{
    Q_OBJECT

public:
    // Prompts: message boxes and file dialogs (Qt's when null).
    explicit CMainDlg(std::unique_ptr<IUserPrompts> prompts = nullptr);
    ~CMainDlg() override;

    // The window's commands, as the toolbar, the buttons and F11/F12 run them.
    void StartRead();
    void StartWrite();
    void OpenDataFile();
    void SaveDataFile();
    // The grid's menu: the channel plan to and from a spreadsheet's CSV, and on paper.
    void ExportCsvFile();
    void ImportCsvFile();
    void PrintCard();
    void ShowAbout();
    // Requests a radio probe (the port combo's "itemselect" and start-up run it).
    void StartProbe();
    // A serial port came or went (the platform's port watcher reports it).
    void PortDeviceChanged(bool arrival, const std::string& name);

    // Undo and redo of the grid and the settings combos (Ctrl+Z; Ctrl+Y, Ctrl+Shift+Z). An edit
    // still open is committed first, so it is the step undone, never one put back later.
    void Undo();
    void Redo();
    // The grid's selected rows to and from the clipboard as tab-separated text (Ctrl+C, Ctrl+X,
    // Ctrl+V). A paste is one undo step; the cells it cannot take are listed in a box.
    void CopyRows();
    void CutRows();
    void PasteRows();
    [[nodiscard]] QUndoStack& GetUndoStack() { return m_undo; }

    // Entries of the grid's menu that other parts of the program provide; one left unset is
    // shown disabled.
    struct GridMenuHooks
    {
        std::function<void()> exportCsv;
        std::function<void()> importCsv;
        std::function<void()> print;
    };
    void SetGridMenuHooks(GridMenuHooks hooks) { m_menuHooks = std::move(hooks); }
    // The grid's menu as things stand: undo, redo, copy, cut, paste, then the hooks' entries.
    [[nodiscard]] std::unique_ptr<QMenu> CreateGridMenu();
    // Opens it at a screen point (a right click on a row, the Menu key, Shift+F10).
    void ShowGridMenu(const QPoint& globalPos);

    // Settings combos from/into a settings frame (offsets from the frame's first byte).
    void ShowSettings(const std::uint8_t* frame);
    void CollectSettings(std::uint8_t* frame);

    [[nodiscard]] CChannelList* GetChannelList() const { return m_channelList; }
    [[nodiscard]] CRadioSession& GetSession() { return m_session; }
    [[nodiscard]] CCommPort& GetPort() { return m_session.Port(); }
    [[nodiscard]] CRadioProtocol& GetProtocol() { return m_session.Protocol(); }
    [[nodiscard]] CRadioProbe* GetProbe() { return &m_session.Probe(); }
    // The progress dialog while an operation runs, else null.
    [[nodiscard]] vorlend::CProgressDlg* GetProgressDialog() const { return m_progress; }

    // Stops the probe, the device monitor and the port's reader before the window goes.
    void ShutDown();

protected:
    QString GetWindowClassName() const override;
    QString GetSkinFolder() const override;
    QString GetSkinFile() const override;
    DuiLib::UILIB_RESOURCETYPE GetResourceType() const override;
    QString GetResourceID() const override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    void InitWindow() override;
    void OnFinalMessage() override;
    bool OnKeyDown(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnNcActivate(bool active) override;
    qintptr HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                bool& handled) override;

private:
    // IRadioSessionView: the rows and combos, the progress dialog, the probe's news. The
    // reader and probe threads' calls are run on this thread.
    ChannelRecord RowRecord(int row) override;
    void ChannelReceived(int row, const ChannelRecord& record) override;
    void SettingsReceived(const std::uint8_t* frame) override;
    void ProvideSettings(std::uint8_t* frame) override;
    int RunProgress(const ProgressRun& run) override;
    void StepProgress() override;
    void EndProgress(int result) override;
    void ShutDownCalls() override;
    void RadioFound() override;
    void PortRefused(const std::string& name, PortOpenError error) override;
    void PortSelected(int index) override;
    void PortClosed() override;

    void RunOperation(bool isRead);
    void SetPortLabel(const QString& portName);
    // Tab (+1) and Shift+Tab (-1): the keyboard goes round the grid, the combos and the two
    // buttons.
    void MoveKeyboardStop(int step);
    void FillDefaultTexts();
    void InstallColumnEditors();
    void FillPortList();
    // Makes the combo's entries those of the port list mirror, keeping the selection's entry.
    void SyncPortCombo();
    void OnPortSelected(int index);
    void Message(IUserPrompts::Icon icon, const QString& text);
    void ShowMessage(const SessionMessage& message);

    // The undo keys anywhere in the window, the clipboard and menu keys in the grid.
    bool HandleEditKey(const QKeyEvent& key);
    // The rows' records and the settings chosen in the combos, as a file or the radio gets
    // them; and the same shown in the grid and the combos.
    [[nodiscard]] RadioImage GridImage();
    void ShowImage(const RadioImage& image);
    [[nodiscard]] GridState CaptureState() const;
    void ApplyState(const GridState& state);
    // Makes a change of many cells one undo step called `text`.
    void RecordStep(const char* text, const std::function<void()>& change);
    // A change that has just been made (a commit, a settings choice) as one step.
    void RecordChange(const char* text);
    void PushStep(const char* text, const GridState& before);
    // Undo (false) or redo (true), the open edit committed first.
    void StepHistory(bool forward);

    std::unique_ptr<IUserPrompts> m_prompts;
    // Before the session, whose threads call through it until the session has shut down.
    CUiThreadCall m_uiCalls;
    CRadioSession m_session{*this};
    // Serial adapters plugged in and out; started with the port list.
    std::unique_ptr<IPortWatcher> m_portWatcher;

    // Controls of the layout, owned by the window's control tree.
    CChannelList* m_channelList = nullptr;
    DuiLib::CComboUI* m_cboCOM = nullptr;
    DuiLib::CComboUI* m_settingsCombos[7] = {};
    DuiLib::CLabelUI* m_title = nullptr;
    DuiLib::CLabelUI* m_labPort = nullptr;
    DuiLib::CLabelUI* m_labTime = nullptr;

    QUndoStack m_undo;
    // The state after the last step, the "before" of the next single change.
    GridState m_lastState;
    // > 0 while a step of many changes runs or a step is put back: single changes are not
    // steps of their own then.
    int m_recordHold = 0;
    GridMenuHooks m_menuHooks;

    // The progress dialog of the operation under way; lives on RunOperation's stack.
    vorlend::CProgressDlg* m_progress = nullptr;
    // Set while the window itself moves the port combo's selection to follow the probe, whose
    // choice needs no new probe.
    bool m_selectingFromProbe = false;
};
