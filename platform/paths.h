#pragma once

// Where the program's files live. A file sits beside the program when the
// program's folder is writable (a copy unpacked in the user's own folder);
// otherwise (an installed program) settings go to $XDG_CONFIG_HOME/quenvale/
// and data to $XDG_DATA_HOME/quenvale/, with the usual ~/.config and
// ~/.local/share defaults.

#include <QString>

namespace platform {

// The folder of the running program, with a trailing "/".
QString programDir();

// Replaces programDir() for tests; an empty path restores the real folder.
void setProgramDirOverride(const QString &dir);

// Full path for the settings file fileName (e.g. "quenvale.ini") and for the
// data file fileName (e.g. the tally). Creates the per-user folder when it is
// the one chosen and does not exist yet.
QString settingsFilePath(const QString &fileName);
QString dataFilePath(const QString &fileName);

} // namespace platform
