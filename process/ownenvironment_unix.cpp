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
        if (qEnvironmentVariableIsEmpty("XAUTHORITY"))
            qputenv("XAUTHORITY", home + "/.Xauthority");
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
