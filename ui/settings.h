#pragma once

// The settings file: window bounds, player name and the two options, kept in
// "quenvale.ini", section "quenvale". No widgets here: Tmain copies the values
// to and from its controls.
//
// Typical use from the main window:
//
//   // loadinifile
//   const Settings s = loadSettings(settingsFilePath());
//   setGeometry(...s.left, s.top, s.width, s.height...);
//   PlaySounds1->setChecked(s.sounds);
//   edit_name->setText(s.name);
//   updatecheck->setChecked(s.update);
//
//   // saveinifile
//   Settings s;  // server/webSite are never written, their values do not matter
//   s.top = ...; s.left = ...; s.width = ...; s.height = ...;
//   s.name = edit_name->text(); s.sounds = ...; s.update = ...;
//   const QString path = settingsFilePath();
//   if (!saveSettings(path, s))
//       QMessageBox::critical(this, "Quenvale", settingsWriteErrorText(path));

#include <QRect>
#include <QString>

#include <optional>
#include <string_view>

inline constexpr char kProductId[] = "quenvale";  // names the file and its section
// The most characters the name field takes; a longer Name in the file is cut to it.
inline constexpr int kNameLength = 10;

struct Settings {
    int top = 3;
    int left = 3;
    int width = 706;   // the main window's default outer width
    int height = 571;  // the main window's default outer height
    QString name = QStringLiteral("Guest");
    bool sounds = true;  // "Play Sounds" checked
    bool update = true;  // "Automatically Check for Updates" checked
    // "FullScreen": the window was full screen when it closed ("yes"); written
    // only once the window has been full screen, so other files keep their seven keys.
    bool fullScreen = false;

    // Read only: the program never writes these two, the file keeps them as
    // the user put them.
    QString server = QStringLiteral("http://127.0.0.1:8471/");  // scheme, host, closing "/"
    QString webSite = QStringLiteral("127.0.0.1:8471");         // publisher's site, no scheme
};

// Full path of the settings file, worked out afresh on each call: beside the
// program when its folder is writable, else $XDG_CONFIG_HOME/quenvale/ (see
// platform/paths.h).
QString settingsFilePath();

// Reads every key; anything missing or unreadable gives its default. Never
// creates or changes the file. The Name is cut to kNameLength characters.
Settings loadSettings(const QString &path);

// Writes the seven keys Top, Left, Width, Height, Name, Sounds, Update in that
// order, one write per key, keeping every other line of the file; then
// FullScreen, when it is on or the file already has it. Stops at the first key
// that cannot be written and returns false (the keys before it stay written).
bool saveSettings(const QString &path, const Settings &settings);

// The text shown when saveSettings fails: "Unable to write to <path>."
QString settingsWriteErrorText(const QString &path);

// The integer rule of the file: optional sign and decimal digits, or
// hexadecimal after "0x"/"0X" (more than two characters) or "$"; anything else,
// or a number outside 32 bits, gives std::nullopt.
std::optional<int> parseSettingsInteger(std::string_view text);

// The loaded bounds made to fit area, the screen's room less its panels: no
// larger than it (yet never below minimum) and moved inside it, so that no value
// in the file can make a window too big to draw or put it out of reach. An
// empty area (no screen) leaves the bounds as they are.
QRect fittedBounds(const Settings &settings, const QRect &area, const QSize &minimum);
