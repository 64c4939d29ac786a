#include "about/urllink.h"

#include "shell/exception.h"
#include "shell/guard.h"

#include <QCursor>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QUrl>

TURLLink::TURLLink(QWidget *parent)
    : QLabel(parent)
    , HintForm(std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint
                                                       | Qt::WindowStaysOnTopHint
                                                       | Qt::WindowDoesNotAcceptFocus))
{
    setTextFormat(Qt::PlainText);
    // Movements arrive only while a button is down unless tracking is on.
    setMouseTracking(true);
    m_urlType = tpURL;
    setCursor(Qt::PointingHandCursor);
    m_link = QStringLiteral("http://");
    setFontColor(toQColor(TColors::clBlue));
    SetLinkColor(TColors::clRed);
    HintShowing = false;
    SetHintOffsetX(15);
    SetHintOffsetY(15);
    SetHintFormColor(TColors::clInfoBk);
    SetEnableShowHint(true);

    // The box must never take the activation or the focus from the window under the pointer.
    HintForm->setObjectName(QStringLiteral("HintForm"));
    HintForm->setAttribute(Qt::WA_ShowWithoutActivating);
    HintForm->setAutoFillBackground(true);
    HintForm->installEventFilter(this);
}

TURLLink::~TURLLink()
{
    HintForm.reset();
}

template <typename T>
void TURLLink::store(T &field, const T &value)
{
    if (value == field)
        return;
    field = value;
    update();
}

void TURLLink::SetURLtype(TURLtype value)
{
    store(m_urlType, value);
}

void TURLLink::SetLink(const QString &value)
{
    store(m_link, value);
}

// Any font but the link's own is copied, even one with the same attributes.
void TURLLink::SetHintFormFont(const QFont &value)
{
    if (&value == &m_hintFormFont)
        return;
    m_hintFormFont = value;
    update();
}

void TURLLink::SetEnableShowHint(bool value)
{
    store(m_enableShowHint, value);
}

void TURLLink::SetHintFormColor(TColor value)
{
    store(m_hintFormColor, value);
}

void TURLLink::SetHintOffsetX(int value)
{
    store(m_hintOffsetX, value);
}

void TURLLink::SetHintOffsetY(int value)
{
    store(m_hintOffsetY, value);
}

void TURLLink::SetLinkColor(TColor value)
{
    store(m_linkColor, value);
}

QColor TURLLink::fontColor() const
{
    return palette().color(foregroundRole());
}

void TURLLink::setFontColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(foregroundRole(), color);
    setPalette(colors);
}

QString TURLLink::target() const
{
    if (m_urlType == tpMAIL)
        return QStringLiteral("mailto:") + m_link;
    return m_link;
}

int TURLLink::textFlags() const
{
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment())) | Qt::TextShowMnemonic;
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    return flags;
}

// QLabel hides "&" only for a label with a buddy, and a buddy would give the link a
// keyboard shortcut; so the caption is measured and painted here, "&" for "&".
QSize TURLLink::sizeHint() const
{
    const QMargins frame = contentsMargins();
    const int extra = 2 * margin();
    return fontMetrics().boundingRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX, textFlags(), text()).size()
        + QSize(frame.left() + frame.right() + extra, frame.top() + frame.bottom() + extra);
}

QSize TURLLink::minimumSizeHint() const
{
    return sizeHint();
}

void TURLLink::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    QStyleOption option;
    option.initFrom(this);
    style()->drawItemText(&painter, area, textFlags(), option.palette, isEnabled(), text(),
                          foregroundRole());
}

void TURLLink::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    CMMouseEnter();
}

void TURLLink::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (m_pointerOver)
        CMMouseLeave();
}

// A window closed under the pointer sends its controls no leave; without one the
// link would keep the link colour, take it for its own at the next visit, and
// leave its hint box on the screen.
void TURLLink::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    if (m_pointerOver)
        CMMouseLeave();
}

void TURLLink::mouseMoveEvent(QMouseEvent *event)
{
    QLabel::mouseMoveEvent(event);
    MouseMove();
}

void TURLLink::mousePressEvent(QMouseEvent *event)
{
    Guard::run([&] { MouseDown(event); });
}

void TURLLink::CMMouseEnter()
{
    m_pointerOver = true;
    NormalFontColor = fontColor();
    setFontColor(toQColor(m_linkColor));
    update();
}

void TURLLink::CMMouseLeave()
{
    m_pointerOver = false;
    setFontColor(NormalFontColor);
    update();
    hideHint();
}

// Shown once per visit, where the pointer first moved: the box does not follow it.
void TURLLink::MouseMove()
{
    if (!m_enableShowHint || HintShowing)
        return;
    const QPoint pointer = QCursor::pos();

    QPalette colors = HintForm->palette();
    colors.setColor(QPalette::Window, toQColor(m_hintFormColor));
    HintForm->setPalette(colors);
    HintForm->setFont(m_hintFormFont);
    m_hintText = m_link;
    const QFontMetrics metrics(HintForm->font());
    HintForm->resize(metrics.horizontalAdvance(m_hintText) + 6, metrics.height() + 3);
    HintForm->move(pointer.x() + m_hintOffsetX, pointer.y() + m_hintOffsetY);
    HintForm->show();
    HintShowing = true;
}

// The target opens on the press, not the release, so a double click opens it twice.
void TURLLink::MouseDown(QMouseEvent *event)
{
    update();
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool opened = QDesktopServices::openUrl(QUrl(target()));
    hideHint();
    // Where nothing on the desktop opens it, the user can still open it another way.
    if (!opened)
        throw Exception(QStringLiteral("%1 を開けません").arg(target()));
}

void TURLLink::hideHint()
{
    if (!HintShowing)
        return;
    HintForm->hide();
    HintShowing = false;
}

// The box draws its text whenever it is exposed, so it survives being covered.
bool TURLLink::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == HintForm.get() && event->type() == QEvent::Paint) {
        QPainter painter(HintForm.get());
        painter.setFont(HintForm->font());
        painter.setPen(HintForm->palette().color(QPalette::WindowText));
        painter.drawText(QPoint(2, 2 + painter.fontMetrics().ascent()), m_hintText);
        return true;
    }
    return QLabel::eventFilter(watched, event);
}
