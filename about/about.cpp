#include "about/about.h"

TVND_ABOUT *VND_ABOUT = nullptr;

TVND_ABOUT::TVND_ABOUT(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("VND_ABOUT"));
}

TVND_ABOUT::~TVND_ABOUT() = default;
