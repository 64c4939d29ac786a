#pragma once

#include <QString>

namespace ExceptionDisplay {

// A message that ends in a letter, a digit or any non-ASCII character gets a full
// stop; one ending in ".", "!", ")" or a blank is shown as it is.
QString withFullStop(const QString &message);

// The stop-icon box captioned with the application title. Modal; returns when the
// user has dismissed it.
void show(const QString &message);

// The same box for a failure that need not keep the program from ending: "終了(&X)"
// ends all the same, "キャンセル" (the default button, and Escape) stays for another
// try. True when the user chose to end.
bool askToEnd(const QString &message);

}
