#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the run does that differs by platform (process_unix.cpp, process_win.cpp),
// around what it does everywhere (process.cpp).
namespace Process {

// First of all: the program may end here, with this exit code.
std::optional<int> beforeAll(int argc, char *argv[]);
// Before Qt starts, the command line answered: the program may end here too. The
// arguments Qt is to see.
std::optional<int> beforeToolkit(int &argc, char **&argv);
// Qt has started.
void toolkitStarted();
// The event loop has ended, the windows are still there.
void loopEnded();

// An answer to the command line, where the one who asked reads it.
void writeAnswer(const QByteArray &text);
// Where Qt's own translations are.
QString qtTranslationsFolder();

}
