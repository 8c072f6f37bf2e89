#pragma once
// The tally file: the tally's grid text inside the compressed container, coded
// in mode Fast. The text goes through memory, so no work file is ever written.

#include <QString>

#include <string>

// The grid text held in a tally file. Throws the compression component's
// exception, whose message is the one shown to the user.
std::string readTallyFile(const QString &path);

// Writes text as the tally file: a new file in the same folder, renamed over the
// old one, so a crash or a full disk never leaves a broken tally. Throws on failure.
void writeTallyFile(const QString &path, const std::string &text);

// Keeps an unreadable tally file as path + ".bak" (replacing an older one).
void keepAsBackup(const QString &path);
