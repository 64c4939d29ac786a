#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// The program's own options. The window needs none; these two (-h or --help, -v or
// --version) answer on standard
// output and end the program before any display is looked for. Every other argument
// is left to Qt, which takes its own (-platform, -display, -style ...) and ignores
// the rest.
namespace CommandLine {

struct Answer
{
    QByteArray text;
    int exitCode = 0;
};

// What the program prints and ends with for these arguments (the program's name
// first), given where this run keeps its settings (empty when nowhere). Nothing when
// it goes on to start its window.
std::optional<Answer> answer(const QStringList &arguments, const QString &settingsPath);

// The lines of --help that say which file this platform keeps the settings in.
QString settingsRules();

}
