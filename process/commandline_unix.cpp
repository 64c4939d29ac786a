#include "process/commandline.h"

namespace CommandLine {

QString settingsRules()
{
    return QStringLiteral(
        "An installed copy, one whose desktop entry lies in ../share/applications/ seen\n"
        "from its folder (as cmake --install and the package put it), keeps each user's\n"
        "file in $XDG_CONFIG_HOME/vindre/ (by default ~/.config/vindre/), root's too.\n"
        "Any other copy keeps the file beside itself when it is this user's to write\n"
        "or to replace there, and else in $XDG_CONFIG_HOME/vindre/ as well. Where\n"
        "XDG_CONFIG_HOME or HOME lead into another user's folder (sudo -E), the home\n"
        "of this user's account is used instead.\n");
}

}
