#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class StoredFile;

// Where the settings file vindre.ini lives: chosen once, when the window reads it,
// and kept for the save.
//
// A copy that was installed keeps each user's settings in that user's
// $XDG_CONFIG_HOME/vindre/ (by default ~/.config/vindre/), root's included, and
// never writes beside itself. It counts as installed when its desktop entry lies
// where installing puts it, at ../share/applications/ seen from the program's folder
// (so /usr/bin/vindre with /usr/share/applications/, ~/.local/bin/vindre with
// ~/.local/share/applications/).
//
// Any other copy, kept in a folder of its own, on a stick or in a build tree,
// carries its settings along beside itself where this user may keep them there
// (ResolvedFile::isKeptHere: the file is theirs, or they may replace it in a folder
// of their own). Otherwise this user's own file under $XDG_CONFIG_HOME is used.
//
// The environment may be another user's, as sudo -E, su -m or su without "-" leave
// it: a configuration folder that is not the user's own, or is reached through a
// folder or a link of someone else's but root's, is not used, and the one in the
// home folder of the user's account is. Every folder on the way to a file the
// environment names is the user's own or root's, and no link of another user's is
// followed; the way to the account's home is the administrator's.
//
// The way to the file is walked once, at the start, and the folder reached is held
// from then on: reading and saving go through it, so nothing renamed meanwhile above
// it can send the save anywhere else.
//
// Folder names are bytes and need not be UTF-8, so the paths handed out are bytes too.
//
// On Windows the file is "vindre.ini" beside the program wherever this user may
// make files in its folder, and %APPDATA%\vindre\vindre.ini where they may not (a
// copy in Program Files, or on a read-only medium); the paths are UTF-8 there. The
// constructor with an environment and accountHome() are the Unix rules.
class SettingsLocation
{
public:
    // This process: its own executable and its environment.
    SettingsLocation();
    // The same rules for a program at executable (its full path as bytes, empty when
    // it cannot be found) with these XDG_CONFIG_HOME and HOME, and the home folder
    // the user's account names.
    SettingsLocation(const QByteArray &executable, const QByteArray &configHome, const QByteArray &home,
                     const QByteArray &accountHome = QByteArray());
    ~SettingsLocation();

    // Whether there is a place at all; without one nothing can be kept.
    bool isKnown() const { return !m_folder.isEmpty(); }
    bool besideProgram() const { return isKnown() && !m_inConfigHome; }

    // The file as the user knows it, for messages. Empty when there is no place.
    QString shownPath() const;

    enum class Use { Reading, Writing };
    // The file, through the folder held since the start; for writing, the folders
    // still missing on the way to it made first when it is in the user's
    // configuration folder. With no place, reading finds no file, and writing raises
    // EIniFileException.
    std::unique_ptr<StoredFile> file(Use use) const;

    // The home folder the user's account names, whatever the environment says.
    static QByteArray accountHome();

private:
    // The file as the way to it was found at the start, in this platform's terms.
    struct Place;

    QByteArray m_folder;
    bool m_inConfigHome = false;
    std::shared_ptr<const Place> m_place;
};
