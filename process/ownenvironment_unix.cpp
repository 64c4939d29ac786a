#include "process/ownenvironment.h"

#include "settings/resolvedfile.h"
#include "settings/settingslocation.h"

#include <QByteArray>

namespace OwnEnvironment {

void adopt()
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray accountHome = SettingsLocation::accountHome();
    if (!home.isEmpty() && home != accountHome && !accountHome.isEmpty()
        && (!home.startsWith('/') || !ResolvedFile::leadsIntoOwnFolder(home))) {
        // The display and the desktop session are that user's, and their keys with them.
        if (qEnvironmentVariableIsEmpty("XAUTHORITY"))
            qputenv("XAUTHORITY", home + "/.Xauthority");
        if (qEnvironmentVariableIsEmpty("ICEAUTHORITY"))
            qputenv("ICEAUTHORITY", home + "/.ICEauthority");
        qputenv("HOME", accountHome);
    }
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        const QByteArray folder = qgetenv(name);
        if (folder.startsWith('/') && !ResolvedFile::leadsIntoOwnFolder(folder))
            qunsetenv(name);
    }
}

}
