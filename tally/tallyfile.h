#pragma once
// The tally file: the tally's grid text inside the compressed container, coded
// in mode Fast. The text goes through memory, so no work file is ever written.
// Paths are in the file system's own encoding.

#include <string>

// The grid text held in a tally file. Throws the compression component's
// exception, or std::runtime_error when the file cannot be read; the message is
// the one shown to the user.
std::string readTallyFile(const std::string &path);

// Writes text as the tally file: a new file in the same folder, renamed over the
// old one, so a crash or a full disk never leaves a broken tally. Throws
// std::runtime_error on failure.
void writeTallyFile(const std::string &path, const std::string &text);

// Keeps an unreadable tally file as path + ".bak" (replacing an older one).
void keepAsBackup(const std::string &path);
