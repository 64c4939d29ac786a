#include "process/commandline.h"

namespace CommandLine {

QString settingsRules()
{
    return QStringLiteral(
        "The file lies beside vindre.exe wherever this user may make files in its\n"
        "folder; where they may not (Program Files, a read-only medium), it lies in\n"
        "%APPDATA%\\vindre\\.\n");
}

}
