#pragma once

#include <QStringList>

class QMessageBox;

// The box for what is worth telling but went wrong nowhere, such as a request the
// program declines for want of something it can use: the information icon, captioned
// with the application title, modal.
namespace NoticeBox {

// Shows lines one under another, each kept whole: a Japanese sentence has no spaces
// to break at, so its caller breaks it into phrases, and Qt, left to itself, broke it
// after any character, down to a last line of one. notes follow below as many lines,
// each kept whole as well: a reason, what would have been taken.
void show(const QStringList &lines, const QStringList &notes);

// Qt makes a box as narrow as half the screen and wraps its text to fit; made as wide
// as its widest line, where the screen has the room, it breaks none. For every box
// of the program's, just before it is shown.
void keepLinesWhole(QMessageBox &box);

}
