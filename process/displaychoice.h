#pragma once

#include <QByteArray>

#include <vector>

// Which of Qt's window-system plugins the program runs on, settled before Qt starts:
// Qt ends the process with an abort and a core file when none of the plugins it is
// to try is there or can connect.
//
// A choice the user made (QT_QPA_PLATFORM, or Qt's own -platform option) stands.
// Otherwise X11 wherever an X server answers, a Wayland session's XWayland included:
// a Wayland client can neither place its window nor learn where it is, nor keep it
// above others. Wayland itself only when no X server answers.
//
// The command line is read as Qt reads it, every option of Qt's that comes before
// the display is opened taking its value, so that the display probed is the one Qt
// opens, whatever the order of the arguments.
class DisplayChoice
{
public:
    DisplayChoice(int argc, char *argv[]);

    // False when there is nothing to show the window on.
    bool found() const { return m_found; }

    // The arguments for Qt: the program's own, with the plugin chosen for it.
    int &argc() { return m_argc; }
    char **argv() { return m_argv.data(); }

    // The X display the program connects to: Qt's -display option, else $DISPLAY.
    const QByteArray &display() const { return m_display; }

    // What the program says on standard error when nothing was found.
    QByteArray missingMessage() const;

private:
    QByteArray m_display;
    bool m_found = false;
    // The plugins named by the user when none of them is installed.
    QByteArray m_unknownPlugin;
    int m_argc = 0;
    std::vector<char *> m_argv;
};
