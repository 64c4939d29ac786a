#include "shell/noticebox.h"

#include "shell/application.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace {

// What the box needs beside its text: the icon, the space after it and the margins,
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
    // Qt makes the box as narrow as half the screen and wraps the text to fit; made as
    // wide as the widest line, it leaves each whole, where the screen has the room.
    if (auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (const QString &line : lines + notes)
            widest = std::max(widest, text->fontMetrics().horizontalAdvance(line));
        const int room = box.screen()->availableGeometry().width() - kBesideText;
        text->setMinimumWidth(std::min(widest, room));
    }
    box.exec();
}

}
