#include "picker/screencolorportal.h"

#include <QTimer>

// Windows has no desktop portal, and needs none: every program may read the screen
// there. The picker and the colour dialog read it themselves.

ScreenColorPortal::ScreenColorPortal(QObject *parent)
    : QObject(parent)
{
}

ScreenColorPortal::~ScreenColorPortal() = default;

bool ScreenColorPortal::sessionPresent()
{
    return false;
}

void ScreenColorPortal::pick(QWindow *)
{
    // Later, as a portal's answer comes, so that a caller connected after pick() hears it.
    QTimer::singleShot(0, this, &ScreenColorPortal::unavailable);
}

void ScreenColorPortal::handleResponse(uint, const QVariantMap &)
{
}
