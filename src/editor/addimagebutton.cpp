// SPDX-License-Identifier: GPL-3.0-or-later
// The add-pictures area of the empty strip.
#include "addimagebutton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSpacerItem>

namespace {
const char kNormalIcon[] = "border-image: url(:/theme_local/imgs/addImage.png);";
const char kHoverIcon[] = "border-image: url(:/theme_local/imgs/addImage-1.png);";
const char kPressedIcon[] = "border-image: url(:/theme_local/imgs/addImage-2.png);";

// A plain widget reads as a pane to screen readers; this one is a button that can be pressed.
class AddImageButtonAccessible : public QAccessibleWidget
{
public:
    explicit AddImageButtonAccessible(QWidget *pWidget)
        : QAccessibleWidget(pWidget, QAccessible::Button)
    {
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &szAction) override
    {
        // Queued: the click opens a modal file dialog, which must not run inside the
        // accessibility bus call that asked for it.
        if (szAction == pressAction())
            QMetaObject::invokeMethod(widget(), "click", Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(szAction);
    }
};

QAccessibleInterface *accessibleFactory(const QString &szClassName, QObject *pObject)
{
    if (szClassName == QLatin1String("AddImageButton") && pObject && pObject->isWidgetType())
        return new AddImageButtonAccessible(static_cast<QWidget *>(pObject));
    return nullptr;
}
} // namespace

AddImageButton::AddImageButton(QWidget *parent) : QWidget(parent)
{
    static const bool bFactoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(bFactoryInstalled)

    setAttribute(Qt::WA_Hover);
    installEventFilter(this);
    // Tab reaches it; a mouse click does not take the focus, so the focus look never lingers
    // after a click.
    setFocusPolicy(Qt::TabFocus);

    auto *pLayout = new QGridLayout(this);
    pLayout->setObjectName(QStringLiteral("gridLayout"));
    pLayout->setContentsMargins(0, 0, 0, 0);
    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setFixedSize(54, 54);
    pLayout->addWidget(iconLabel, 0, 0);
    pLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 1);
    textLabel = new QLabel(this);
    textLabel->setObjectName(QStringLiteral("textLabel"));
    textLabel->setText(tr("clik to add .jpeg .png picture material"));
    textLabel->setStyleSheet(
        QStringLiteral("font-family: \"Microsoft YaHei\";font-size: 14px;color: #8484D6; "));
    pLayout->addWidget(textLabel, 0, 2);

    setAccessibleName(tr("Add pictures"));
    setAccessibleDescription(textLabel->text());
    showLook(Look::Normal);
}

void AddImageButton::click()
{
    emit sig_clickedContent();
}

void AddImageButton::showLook(Look eLook)
{
    // Keyboard focus shows as the hover look, the only focus mark this flat control has.
    if (eLook == Look::Normal && m_bKeyboardFocus)
        eLook = Look::Hover;
    const char *szSheet = eLook == Look::Pressed ? kPressedIcon
                          : eLook == Look::Hover ? kHoverIcon
                                                 : kNormalIcon;
    iconLabel->setStyleSheet(QLatin1String(szSheet));
}

bool AddImageButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
        hoverEnter(static_cast<QHoverEvent *>(event));
        return true;
    case QEvent::HoverMove:
        hoverMove(static_cast<QHoverEvent *>(event));
        return true;
    case QEvent::HoverLeave:
        hoverLeave(static_cast<QHoverEvent *>(event));
        return true;
    case QEvent::WindowDeactivate:
        hovered = false;
        pressed = false;
        leftDown = false;
        showLook(Look::Normal);
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const Qt::FocusReason eReason = static_cast<QFocusEvent *>(event)->reason();
        m_bKeyboardFocus = event->type() == QEvent::FocusIn &&
                           (eReason == Qt::TabFocusReason || eReason == Qt::BacktabFocusReason);
        if (!pressed)
            showLook(hovered ? Look::Hover : Look::Normal);
        break;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

bool AddImageButton::eventFilter(QObject *watched, QEvent *event)
{
    return QWidget::eventFilter(watched, event);
}

void AddImageButton::trackHover(const QPoint &stPos)
{
    hovered = rect().contains(stPos);
    if (pressed)
        return;
    showLook(hovered ? Look::Hover : Look::Normal);
    setCursor(hovered ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void AddImageButton::hoverEnter(QHoverEvent *event)
{
    trackHover(event->pos());
    event->accept();
}

void AddImageButton::hoverMove(QHoverEvent *event)
{
    trackHover(event->pos());
    event->accept();
}

void AddImageButton::hoverLeave(QHoverEvent *event)
{
    hovered = false;
    if (!pressed) {
        showLook(Look::Normal);
        setCursor(Qt::ArrowCursor);
    }
    event->accept();
}

void AddImageButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // A press always comes with its position; a touch tap has no hover before it.
        hovered = rect().contains(event->pos());
        if (hovered) {
            pressed = true;
            showLook(Look::Pressed);
        }
        leftDown = true;
    }
    QWidget::mousePressEvent(event);
}

void AddImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (pressed) {
            hovered = rect().contains(event->pos());
            showLook(Look::Hover);
            pressed = false;
            if (hovered)
                emit sig_clickedContent();
            else
                setCursor(Qt::ArrowCursor);
        }
        leftDown = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void AddImageButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
