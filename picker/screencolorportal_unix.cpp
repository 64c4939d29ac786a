#include "picker/screencolorportal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QWindow>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
// The first version of the screenshot interface that can pick a colour.
constexpr uint pickColorVersion = 2;

// What the portal needs to place its picker over our window: the X window on X11;
// a Wayland surface cannot be named without an exported handle, so none there.
QString parentWindowOf(QWindow *window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return QString();
    return QStringLiteral("x11:%1").arg(window->winId(), 0, 16);
}

QColor colorOf(const QVariantMap &results)
{
    const QVariant value = results.value(QStringLiteral("color"));
    if (!value.canConvert<QDBusArgument>())
        return QColor();
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return QColor();
    double red = 0;
    double green = 0;
    double blue = 0;
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    return QColor::fromRgbF(float(qBound(0.0, red, 1.0)), float(qBound(0.0, green, 1.0)),
                            float(qBound(0.0, blue, 1.0)));
}

} // namespace

ScreenColorPortal::ScreenColorPortal(QObject *parent)
    : QObject(parent)
{
}

ScreenColorPortal::~ScreenColorPortal()
{
    stopListening();
}

bool ScreenColorPortal::sessionPresent()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void ScreenColorPortal::pick(QWindow *window)
{
    if (m_busy)
        return;
    m_busy = true;
    m_parentWindow = parentWindowOf(window);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        giveUp();
        return;
    }
    // Colour picking came with the second version of the screenshot interface.
    QDBusMessage get = QDBusMessage::createMethodCall(portalService, portalPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << screenshotInterface << QStringLiteral("version");
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ScreenColorPortal::versionRead);
}

void ScreenColorPortal::versionRead(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    if (reply.isError() || reply.value().variant().toUInt() < pickColorVersion) {
        giveUp();
        return;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal names the request object after our connection and this token; it may
    // answer as soon as it is asked, so listen there before asking.
    static uint requests = 0;
    const QString token = QStringLiteral("vindre%1").arg(++requests);
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    listen(QStringLiteral("%1/request/%2/%3").arg(portalPath, sender, token));

    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, screenshotInterface,
                                                       QStringLiteral("PickColor"));
    call << m_parentWindow << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *sent = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(sent, &QDBusPendingCallWatcher::finished, this, &ScreenColorPortal::requestSent);
}

void ScreenColorPortal::requestSent(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    if (!m_busy)
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        giveUp();
        return;
    }
    // A portal older than the handle token answers on a path of its own choosing.
    const QString path = reply.value().path();
    if (path != m_requestPath)
        listen(path);
}

void ScreenColorPortal::handleResponse(uint response, const QVariantMap &results)
{
    // Only the first answer to a request counts: a second one may already be queued
    // when the first ends the listening.
    if (!m_busy)
        return;
    finish();
    // 0: picked; 1: the user cancelled; 2: the picker ended some other way.
    const QColor color = response == 0 ? colorOf(results) : QColor();
    if (color.isValid())
        emit picked(color);
    else
        emit cancelled();
}

void ScreenColorPortal::listen(const QString &requestPath)
{
    stopListening();
    m_requestPath = requestPath;
    QDBusConnection::sessionBus().connect(portalService, m_requestPath, requestInterface,
                                          QStringLiteral("Response"), this,
                                          SLOT(handleResponse(uint,QVariantMap)));
}

void ScreenColorPortal::stopListening()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(portalService, m_requestPath, requestInterface,
                                             QStringLiteral("Response"), this,
                                             SLOT(handleResponse(uint,QVariantMap)));
    m_requestPath.clear();
}

void ScreenColorPortal::finish()
{
    stopListening();
    m_busy = false;
}

void ScreenColorPortal::giveUp()
{
    finish();
    emit unavailable();
}
