#pragma once

// The folders the environment names for this user's files, made the user's own
// before any library reads them. sudo -E, su without "-" and su -m hand a process
// another user's HOME and XDG folders, and every library in it would keep its files
// there as this user: a session bus started on demand, for one, writes its address
// under ~/.dbus, and a cache of fonts or shaders goes under ~/.cache.
//
// A HOME that does not lead into a folder of the user's own (through the user's and
// root's folders and links alone) gives way to the home the user's account names;
// the keys to the X server and the session manager (~/.Xauthority, ~/.ICEauthority)
// are still read where they were, since the display and the session belong to the
// one whose keys they are. An XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME, XDG_STATE_HOME or XDG_RUNTIME_DIR that does not is dropped, so that
// every library falls back on its folder in that home, or on its own default.
namespace OwnEnvironment {

// Before Qt starts, and with it D-Bus: they read the environment once.
void adopt();

}
