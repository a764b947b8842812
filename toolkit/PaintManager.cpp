#include "PaintManager.h"

// Qt
#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

namespace DuiLib {

namespace {

const char kManagerProperty[] = "duilib.paintManager";

// True when w is the control, one of its descendants, or a popup the control opened
// (a popup's parent widget is the control that opened it).
bool IsWithin(const QWidget* w, const QWidget* control)
{
    for (; w != nullptr; w = w->parentWidget()) {
        if (w == control)
            return true;
    }
    return false;
}

// Value of name='value' (or name="value") in an image description.
QString DescriptionValue(const QString& description, const QString& name)
{
    const QRegularExpression re(QStringLiteral("\\b%1\\s*=\\s*['\"]([^'\"]*)['\"]").arg(name),
                                QRegularExpression::CaseInsensitiveOption);
    const auto match = re.match(description);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QString LayoutElement::attribute(const QString& name, const QString& fallback) const
{
    for (const auto& [key, value] : attributes) {
        if (EqualsNoCase(key, name))
            return value;
    }
    return fallback;
}

bool EqualsNoCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

CPaintManagerUI::CPaintManagerUI(QWidget* root) : QObject(root), m_root(root)
{
    root->setProperty(kManagerProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    // A click on an empty part of the window takes the focus away from an open editor.
    root->setFocusPolicy(Qt::ClickFocus);
    connect(qApp, &QApplication::focusChanged, this, &CPaintManagerUI::OnFocusChanged);
}

CPaintManagerUI::~CPaintManagerUI() = default;

CPaintManagerUI* CPaintManagerUI::FromWidget(const QWidget* widget)
{
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant v = widget->property(kManagerProperty);
        if (v.isValid())
            return qobject_cast<CPaintManagerUI*>(v.value<QObject*>());
    }
    return nullptr;
}

QWidget* CPaintManagerUI::FindControl(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    if (m_root->objectName() == name)
        return m_root;
    return m_root->findChild<QWidget*>(name);
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    std::erase(m_notifiers, notifier);
}

void CPaintManagerUI::AddNotifyHook(QWidget* control, NotifyHook hook)
{
    m_hooks[control].push_back(std::move(hook));
}

void CPaintManagerUI::SendNotify(QWidget* sender, const QString& type, qintptr wParam,
                                 qintptr lParam)
{
    TNotifyUI msg{type, sender != nullptr ? sender->objectName() : QString(), sender, wParam,
                  lParam};
    // Copies: a hook or notifier may add hooks or notifiers while it runs.
    if (const auto it = m_hooks.constFind(sender); it != m_hooks.constEnd()) {
        const std::vector<NotifyHook> hooks = it.value();
        for (const auto& hook : hooks)
            hook(msg);
    }
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers)
        notifier->Notify(msg);
}

void CPaintManagerUI::TrackFocus(QWidget* control)
{
    m_focusTracked.emplace_back(control);
    if (m_focus == nullptr && IsWithin(QApplication::focusWidget(), control))
        m_focus = control;
}

void CPaintManagerUI::SetFocus(QWidget* control)
{
    if (control != nullptr)
        control->setFocus(Qt::OtherFocusReason);
}

void CPaintManagerUI::KillFocus()
{
    m_root->setFocus(Qt::OtherFocusReason);
}

void CPaintManagerUI::OnFocusChanged(QWidget* old, QWidget* now)
{
    // The window losing activation moves no focus between its controls; when it regains it,
    // Qt gives the focus back to the same widget, which changes nothing below. A first focus
    // after activation (old is null then) does count.
    (void)old;
    if (now == nullptr)
        return;
    QWidget* newFocus = nullptr;
    for (const auto& tracked : m_focusTracked) {
        if (tracked != nullptr && IsWithin(now, tracked)) {
            newFocus = tracked;
            break;
        }
    }
    if (newFocus == m_focus)
        return;
    QPointer<QWidget> lost = m_focus;
    m_focus = newFocus;
    if (lost != nullptr)
        SendNotify(lost, QStringLiteral("killfocus"));
    if (newFocus != nullptr && m_focus == newFocus)
        SendNotify(newFocus, QStringLiteral("setfocus"));
}

void CPaintManagerUI::SetResourceLoader(ResourceLoader loader)
{
    m_loader = std::move(loader);
    m_images.clear();
}

QByteArray CPaintManagerUI::LoadResource(const QString& fileName) const
{
    return m_loader ? m_loader(fileName) : QByteArray();
}

QPixmap CPaintManagerUI::GetImage(const QString& fileName) const
{
    if (const auto it = m_images.constFind(fileName); it != m_images.constEnd())
        return it.value();
    QPixmap pixmap;
    const QByteArray data = LoadResource(fileName);
    if (!data.isEmpty())
        pixmap.loadFromData(data);
    m_images.insert(fileName, pixmap);
    return pixmap;
}

bool CPaintManagerUI::DrawImage(QPainter& painter, const QRect& dest,
                                const QString& description) const
{
    if (description.isEmpty() || dest.isEmpty())
        return false;
    QString file = DescriptionValue(description, QStringLiteral("file"));
    if (file.isEmpty())
        file = description.trimmed();
    const QPixmap pixmap = GetImage(file);
    if (pixmap.isNull())
        return false;
    QRect source = pixmap.rect();
    if (const QString s = DescriptionValue(description, QStringLiteral("source")); !s.isEmpty())
        source = ParseRect(s).intersected(pixmap.rect());
    if (source.isEmpty())
        return false;
    const QMargins corner = ParseMargins(DescriptionValue(description, QStringLiteral("corner")));
    if (corner.isNull()) {
        painter.drawPixmap(dest, pixmap, source);
        return true;
    }
    // Nine-slice: the corners keep their size, edges stretch one way, the centre both ways.
    const int sx[4] = {source.left(), source.left() + corner.left(),
                       source.right() + 1 - corner.right(), source.right() + 1};
    const int sy[4] = {source.top(), source.top() + corner.top(),
                       source.bottom() + 1 - corner.bottom(), source.bottom() + 1};
    const int dx[4] = {dest.left(), dest.left() + corner.left(), dest.right() + 1 - corner.right(),
                       dest.right() + 1};
    const int dy[4] = {dest.top(), dest.top() + corner.top(), dest.bottom() + 1 - corner.bottom(),
                       dest.bottom() + 1};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
            const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
            if (!d.isEmpty() && !s.isEmpty())
                painter.drawPixmap(d, pixmap, s);
        }
    }
    return true;
}

void CPaintManagerUI::SetFont(int index, const QFont& font)
{
    m_fonts.insert(index, font);
}

QFont CPaintManagerUI::GetFont(int index) const
{
    if (const auto it = m_fonts.constFind(index); it != m_fonts.constEnd())
        return it.value();
    if (const auto it = m_fonts.constFind(0); it != m_fonts.constEnd())
        return it.value();
    return QApplication::font();
}

void CPaintManagerUI::SetDefaultAttributeList(const QString& className,
                                              const AttributeList& attributes)
{
    m_defaults.insert(className.toLower(), attributes);
}

const AttributeList* CPaintManagerUI::GetDefaultAttributeList(const QString& className) const
{
    const auto it = m_defaults.constFind(className.toLower());
    return it != m_defaults.constEnd() ? &it.value() : nullptr;
}

void CPaintManagerUI::ApplyDefaultAttributes(IControlUI* control) const
{
    if (const AttributeList* list = GetDefaultAttributeList(control->GetClass())) {
        for (const auto& [name, value] : *list)
            control->SetAttribute(name, value);
    }
}

QMargins ParseMargins(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    auto at = [&](int i) { return i < parts.size() ? parts[i].trimmed().toInt() : 0; };
    return {at(0), at(1), at(2), at(3)};
}

QRect ParseRect(const QString& text)
{
    const QMargins e = ParseMargins(text);
    return {e.left(), e.top(), e.right() - e.left(), e.bottom() - e.top()};
}

QColor ParseColor(const QString& text)
{
    QString hex = text.trimmed();
    if (hex.startsWith(QLatin1Char('#')))
        hex.remove(0, 1);
    else if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        hex.remove(0, 2);
    bool ok = false;
    const uint argb = hex.toUInt(&ok, 16);
    return ok ? QColor::fromRgba(argb) : QColor();
}

} // namespace DuiLib
