#include "WindowImplBase.h"

#include "ContainerUI.h"
#include "PaintManager.h"

// Qt
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

namespace DuiLib {

void WindowImplBase::SetLayoutFailureHandler(FailureHandler handler)
{
    CSkinLoader::SetFailureHandler(std::move(handler));
}

WindowImplBase::WindowImplBase(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_pm(new CPaintManagerUI(this)),
      m_frame(this), m_router(this, [this](unsigned msg, quintptr wParam, qintptr lParam) {
          return Dispatch(msg, wParam, lParam);
      })
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    qApp->installEventFilter(this);
    m_router.Fallback().AddNotifyEntry(QStringLiteral("click"), {},
                                       [this](TNotifyUI& msg) { OnClick(msg); });
}

WindowImplBase::~WindowImplBase()
{
    qApp->removeEventFilter(this);
    m_pm->RemoveNotifier(this);
}

bool WindowImplBase::Create(const QString& title)
{
    setWindowTitle(title);
    setProperty("windowClassName", GetWindowClassName());

    if (!CSkinLoader::AttachResources(m_pm, GetResourceType(), GetSkinFolder(), LoadSkinArchive()))
        return false; // no skin at all: a bare window, as the program was given nothing to show
    QWidget* root = CSkinLoader::Build(m_pm, GetSkinFile(), this, this, m_info);
    if (root == nullptr)
        return false;
    m_root = dynamic_cast<CControlUI*>(root);
    auto* frame = new CBoxLayoutUI(Qt::Vertical, this);
    frame->addWidget(root);

    if (!m_info.minInfo.isEmpty())
        setMinimumSize(m_info.minInfo);
    if (!m_info.size.isEmpty())
        resize(m_info.size.expandedTo(minimumSize()));
    m_frame.SetWindowInfo(m_info);
    m_frame.UpdateCaptionButtons(m_pm);
    // The window itself holds the focus at first, as no control of the layout has it: keys go
    // to OnKeyDown and no combo reacts to them.
    setFocus(Qt::OtherFocusReason);
    m_pm->AddNotifier(this);
    InitWindow();
    return true;
}

QByteArray WindowImplBase::LoadSkinArchive() const
{
    switch (GetResourceType()) {
    case UILIB_FILE:
        return {};
    case UILIB_ZIP:
        return CSkinLoader::ReadZipFile(GetSkinFolder(), GetZIPFileName());
    case UILIB_RESOURCE:
    case UILIB_ZIPRESOURCE:
        break;
    }
    return GetZIPFileResource();
}

QByteArray WindowImplBase::GetZIPFileResource() const
{
    return CSkinLoader::BuiltinArchive(GetResourceID());
}

void WindowImplBase::CenterWindow()
{
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr)
        return;
    const QRect area = where->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

void WindowImplBase::Close(int result)
{
    m_closeResult = result;
    close();
}

QWidget* WindowImplBase::FindControlWidget(const QString& name) const
{
    return m_pm->FindControl(name);
}

void WindowImplBase::PostMessage(unsigned msg, quintptr wParam, qintptr lParam)
{
    m_router.Post(msg, wParam, lParam);
}

qintptr WindowImplBase::SendMessage(unsigned msg, quintptr wParam, qintptr lParam)
{
    return m_router.Send(msg, wParam, lParam);
}

qintptr WindowImplBase::Dispatch(unsigned msg, quintptr wParam, qintptr lParam)
{
    bool handled = false;
    return HandleCustomMessage(msg, wParam, lParam, handled);
}

void WindowImplBase::SetTimer(unsigned id, int milliseconds)
{
    m_router.SetTimer(id, milliseconds);
}

void WindowImplBase::KillTimer(unsigned id)
{
    m_router.KillTimer(id);
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    m_router.Route(msg, *this);
}

QWidget* WindowImplBase::CreateControl(const QString& className, QWidget* parent)
{
    (void)className;
    (void)parent;
    return nullptr;
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    if (msg.sName == QLatin1String("closebtn"))
        Close(1);
    else
        m_frame.ClickCaptionButton(msg.sName);
}

bool WindowImplBase::OnKeyDown(int key)
{
    (void)key;
    return false;
}

void WindowImplBase::OnNcActivate(bool active)
{
    (void)active;
}

qintptr WindowImplBase::HandleCustomMessage(unsigned msg, quintptr wParam, qintptr lParam,
                                            bool& handled)
{
    (void)msg;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

void WindowImplBase::timerEvent(QTimerEvent* event)
{
    if (!m_router.OnTimerEvent(event->timerId()))
        QWidget::timerEvent(event);
}

void WindowImplBase::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        m_frame.UpdateCaptionButtons(m_pm);
    else if (event->type() == QEvent::ActivationChange)
        OnNcActivate(isActiveWindow());
    QWidget::changeEvent(event);
}

void WindowImplBase::closeEvent(QCloseEvent* event)
{
    event->accept();
    OnFinalMessage();
}

bool WindowImplBase::eventFilter(QObject* watched, QEvent* event)
{
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != this)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Delivered to the focus widget first, then to its parents: look at it once.
        QWidget* focus = QApplication::focusWidget();
        if (target == focus || (focus == nullptr && target == this)) {
            if (OnKeyDown(static_cast<QKeyEvent*>(event)->key()))
                return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (m_frame.FilterMouse(target, event))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace DuiLib
