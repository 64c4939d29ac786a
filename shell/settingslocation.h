#pragma once

#include <QByteArray>
#include <QString>

class TIniFile;

// Where the settings file vindre.ini lives, looked up anew for every reading and
// every saving.
//
// Beside the program when the program's folder may be written or the file is already
// there: a copy kept in a folder of its own, on a stick or in a build tree, carries
// its settings along. Otherwise, installed where the user cannot write, in
// $XDG_CONFIG_HOME/vindre/ (by default ~/.config/vindre/). "May be written" is what
// the kernel answers for this user: root may write any folder on a writable disk, so
// a copy that root starts from /usr/local/bin or /usr/bin keeps its file beside it,
// and only a read-only disk sends root's settings to its home.
//
// Folder names are bytes and need not be UTF-8. Qt's file names are text and would
// turn such bytes into other ones, so a folder whose name does not come back the same
// through Qt is reached through a descriptor held open while this object lives.
class SettingsLocation
{
public:
    // This process: its own executable and its environment.
    SettingsLocation();
    // The same rules for a program at executable (its full path as bytes, empty when
    // it cannot be found) with these XDG_CONFIG_HOME and HOME.
    SettingsLocation(const QByteArray &executable, const QByteArray &configHome, const QByteArray &home);
    ~SettingsLocation();

    SettingsLocation(const SettingsLocation &) = delete;
    SettingsLocation &operator=(const SettingsLocation &) = delete;

    // Whether there is a place at all; without one nothing can be kept.
    bool isKnown() const { return !m_folder.isEmpty(); }
    bool besideProgram() const { return isKnown() && !m_inConfigHome; }

    // The file as the user knows it, for messages. Empty when there is no place.
    QString shownPath() const;

    // The file to read; empty when there is none to read, which reads as no file.
    QString pathForReading();

    // The file to write, its folder made first when it is the user's configuration
    // folder. Raises EIniFileException when there is no place.
    QString pathForWriting();

    // Puts what was written into the file; a refusal names the file as the user knows it.
    void save(TIniFile &settings);

private:
    QString reachablePath();

    QByteArray m_folder;
    bool m_inConfigHome = false;
    int m_folderDescriptor = -1;
};
