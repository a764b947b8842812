#pragma once

#include "DialogBuilder.h"
#include "NotifyPump.h"
#include "NotifyRouter.h"
#include "SkinLoader.h"
#include "UIBase.h"
#include "WindowFrame.h"

// Qt
#include <QWidget>

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;

// A top-level window built from a skin: frameless, with the layout's own title bar (the
// caption area drags the window, the sizebox band resizes it), the caption buttons "minbtn",
// "maxbtn", "restorebtn" and "closebtn", and the window's hooks:
//   GetWindowClassName, GetSkinFolder, GetSkinFile, GetResourceType, GetResourceID,
//   GetZIPFileResource    - where the skin comes from;
//   CreateControl         - the control factory for layout classes the toolkit lacks;
//   InitWindow            - runs once after the layout is built and attached;
//   Notify / the pump     - control notifications (see Notify);
//   OnKeyDown             - every key pressed while the window or any control in it has the
//                           focus, before the control sees it;
//   OnNcActivate          - the window became active or inactive;
//   HandleCustomMessage   - PostMessage/SendMessage messages and SetTimer ticks;
//   OnFinalMessage        - the window has been closed.
// Create it with new, call Create(), then show() it; it does not delete itself unless the
// subclass sets Qt::WA_DeleteOnClose.
//
// The base is a thin composition of parts with one job each: CSkinLoader finds the skin and
// builds the layout, CWindowFrame is the frameless window's frame (caption drag, resize band,
// caption buttons), and CNotifyRouter routes notifications, messages and timer ticks.
class WindowImplBase : public QWidget,
                       public CNotifyPump,
                       public INotifyUI,
                       public IDialogBuilderCallback
{
    Q_OBJECT

public:
    // Shows what failed and ends the process; the default shows a message box and calls
    // std::exit(1). Tests put a handler that records and returns.
    using FailureHandler = CSkinLoader::FailureHandler;
    static void SetLayoutFailureHandler(FailureHandler handler);

    explicit WindowImplBase(QWidget* parent = nullptr);
    ~WindowImplBase() override;

    // Loads the skin and builds the layout, sizes the window from it and calls InitWindow.
    // A missing or empty skin archive gives a window without layout and no InitWindow (false).
    // A layout that cannot be built ends the program through the failure handler with
    // "加载资源文件失败", caption "Duilib" (false when the handler returns).
    bool Create(const QString& title);
    // Centres the window in the available area of its screen.
    void CenterWindow();
    // Closes the window; GetCloseResult() tells the result ("closebtn" closes with 1).
    void Close(int result = 0);
    [[nodiscard]] int GetCloseResult() const { return m_closeResult; }

    [[nodiscard]] CPaintManagerUI* GetPaintManager() const { return m_pm; }
    // The layout's root control (nullptr without layout). Its border colour is the frame.
    [[nodiscard]] CControlUI* GetRoot() const { return m_root; }
    [[nodiscard]] const WindowInfo& GetWindowInfo() const { return m_info; }
    // A control of the layout by name (CPaintManagerUI::FindControl), cast to the wanted class.
    template <class T = QWidget>
    [[nodiscard]] T* FindControl(const QString& name) const
    {
        return qobject_cast<T*>(FindControlWidget(name));
    }

    // Queues a message for HandleCustomMessage on the window's thread; any thread may post.
    void PostMessage(unsigned msg, quintptr wParam = 0, qintptr lParam = 0);
    // Runs HandleCustomMessage on the window's thread and returns its result; from another
    // thread the caller waits until it has run (also while a modal dialog runs its loop).
    qintptr SendMessage(unsigned msg, quintptr wParam = 0, qintptr lParam = 0);
    // A repeating timer that calls HandleCustomMessage(UIMSG_TIMER, id, 0).
    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);

    // Control notifications: first this window's pump (CNotifyPump entries added by the
    // subclass, exact control entries before type-only ones), then the base's own table,
    // whose "click" entry serves the caption buttons (OnClick).
    void Notify(TNotifyUI& msg) override;
    // The base makes no controls of its own.
    QWidget* CreateControl(const QString& className, QWidget* parent) override;

protected:
    [[nodiscard]] virtual QString GetWindowClassName() const = 0;
    [[nodiscard]] virtual QString GetSkinFolder() const = 0;
    [[nodiscard]] virtual QString GetSkinFile() const = 0;
    [[nodiscard]] virtual UILIB_RESOURCETYPE GetResourceType() const { return UILIB_FILE; }
    // The resource number of the skin archive, as text ("135").
    [[nodiscard]] virtual QString GetResourceID() const { return {}; }
    // The archive's bytes for UILIB_ZIPRESOURCE: by default the built-in resource "ZIPRES"
    // with number GetResourceID().
    [[nodiscard]] virtual QByteArray GetZIPFileResource() const;
    // The zip file for UILIB_ZIP, relative to the skin folder.
    [[nodiscard]] virtual QString GetZIPFileName() const { return {}; }

    virtual void InitWindow() {}
    virtual void OnFinalMessage() {}
    // "click" from any control: the caption buttons minimise, maximise, restore, close (1).
    virtual void OnClick(TNotifyUI& msg);
    // key: a Qt::Key value (Qt::Key_F11, ...). True when handled: the control with the focus
    // does not see the key then.
    virtual bool OnKeyDown(int key);
    virtual void OnNcActivate(bool active);
    // Messages from PostMessage/SendMessage and timer ticks. Set handled when the message was
    // handled; the base handles nothing.
    virtual qintptr HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                        bool& handled);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    [[nodiscard]] QWidget* FindControlWidget(const QString& name) const;
    [[nodiscard]] QByteArray LoadSkinArchive() const;
    qintptr Dispatch(unsigned msg, quintptr wParam, qintptr lParam);

    CPaintManagerUI* m_pm;
    CControlUI* m_root = nullptr;
    WindowInfo m_info;
    int m_closeResult = 0;
    CWindowFrame m_frame;
    CNotifyRouter m_router;
};

} // namespace DuiLib
