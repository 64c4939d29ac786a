#include "shell/noticebox.h"

#include "shell/application.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QtMath>

#include <algorithm>

namespace {

// What a box needs beside its text: the icon, the space after it and the margins,
// with room to spare.
constexpr int kBesideText = 100;

} // namespace

namespace NoticeBox {

void show(const QStringList &lines, const QStringList &notes)
{
    QMessageBox box(QMessageBox::Information, Application::title(), lines.join(QLatin1Char('\n')),
                    QMessageBox::Ok, Application::ownerWindow());
    box.setObjectName(QStringLiteral("NoticeBox"));
    // The lines may quote what others wrote (the clipboard's text), never markup.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(notes.join(QLatin1Char('\n')));
    keepLinesWhole(box);
    box.exec();
}

void keepLinesWhole(QMessageBox &box)
{
    auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!text)
        return;
    qreal widest = 0;
    const QString all = box.text() + QLatin1Char('\n') + box.informativeText();
    for (const QString &line : all.split(QLatin1Char('\n')))
        widest = std::max(widest, QFontMetricsF(text->font()).horizontalAdvance(line));
    const int room = box.screen()->availableGeometry().width() - kBesideText;
    text->setMinimumWidth(std::min(qCeil(widest), room));
}

}
