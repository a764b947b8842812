#pragma once

#include "SnapshotCommand.h"
#include "UserPrompts.h"
#include "link/CommPort.h"
#include "link/PortGate.h"
#include "link/RadioProtocol.h"
#include "model/RadioImage.h"
#include "toolkit/UiThreadCall.h"
#include "toolkit/WindowImplBase.h"

// Qt
#include <QUndoStack>

// std
#include <atomic>
#include <functional>
#include <memory>

class QKeyEvent;
class QMenu;

class CChannelList;
class CPortListMirror;
class CRadioProbe;
class CUdevMonitor;

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
// The progress dialog's result when the window closes under an operation: no message follows.
inline constexpr int RESULT_WINDOW_CLOSED = 3028;

// The one main window: built from the skin, it wires the controls, reads and writes the radio
// through its serial port and the protocol engine, opens and saves data files and keeps the
// port list with the radio probe.
class CMainDlg : public DuiLib::WindowImplBase, public ICommPortProcess
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
    // A serial port came or went (udev on Linux, WM_DEVICECHANGE on Windows).
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
    [[nodiscard]] CCommPort& GetPort() { return m_port; }
    [[nodiscard]] CRadioProtocol& GetProtocol() { return m_protocol; }
    [[nodiscard]] CRadioProbe* GetProbe() const { return m_probe.get(); }
    // The progress dialog while an operation runs, else null.
    [[nodiscard]] vorlend::CProgressDlg* GetProgressDialog() const { return m_progress; }

    // ICommPortProcess, on the port's reader thread.
    void OnReceive(const std::uint8_t* bytes, std::uint32_t count) override;
    void OnClosed() override;
    void OnStarted() override;

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
#ifdef _WIN32
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif
    bool OnKeyDown(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnNcActivate(bool active) override;
    qintptr HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                bool& handled) override;

private:
    // What the protocol engine asks of the window, mostly from the port's reader thread.
    class CEngineHost final : public IRadioProtocolHost
    {
    public:
        explicit CEngineHost(CMainDlg& window) : m_window(window) {}
        ChannelRecord RowRecord(int row) override;
        void ChannelReceived(int row, const ChannelRecord& record) override;
        void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) override;
        void CollectSettings(std::uint8_t* frame) override;
        void StepProgress() override;
        void EndOperation(int result) override;
        int WritePort(const std::uint8_t* data, std::uint32_t count) override;

    private:
        CMainDlg& m_window;
    };

    void RunOperation(bool isRead);
    void ReportOperation(bool isRead, int result);
    [[nodiscard]] QString PortOpenFailureText() const;
    // The second line of the open-failure box for `error`; null when there is none to give.
    static const char* PortOpenReason(PortOpenError error);
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
    CUiThreadCall m_uiCalls;
    CEngineHost m_engineHost{*this};
    CPortGate m_gate;
    CRadioProtocol m_protocol;
    CCommPort m_port;
    std::unique_ptr<CPortListMirror> m_portList;
    std::unique_ptr<CRadioProbe> m_probe;
#ifndef _WIN32
    std::unique_ptr<CUdevMonitor> m_monitor;
#endif
    std::atomic<bool> m_shuttingDown{false};

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
