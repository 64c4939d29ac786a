#include "shell/windowmanager.h"

namespace WindowManager {

// Windows draws every frame itself; there is no window manager to tell apart.
QString name()
{
    return {};
}

}
