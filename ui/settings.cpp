#include "ui/settings.h"

#include "platform/paths.h"
#include "platform/profile.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace {

std::filesystem::path toPath(const QString &path) { return QFile::encodeName(path).toStdString(); }

std::optional<std::uint64_t> digitsValue(std::string_view digits, int base)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull)  // beyond 32 bits already; also keeps the sum from wrapping
            return std::nullopt;
    }
    return value;
}

int readInteger(const std::filesystem::path &file, const char *key, int def)
{
    return parseSettingsInteger(platform::readProfileString(file, kProductId, key, "")).value_or(def);
}

// One side of the bounds fitted into [areaStart, areaStart + areaLength):
// the start and the length. Sums are 64-bit, so Width=2147483647 cannot wrap.
std::pair<int, int> fitSpan(qint64 start, qint64 length, int areaStart, int areaLength, int least)
{
    const qint64 fitted = std::max<qint64>(std::min<qint64>(length, areaLength), std::max(least, 0));
    const qint64 furthest = std::max<qint64>(qint64(areaStart) + areaLength - fitted, areaStart);
    return {static_cast<int>(std::clamp<qint64>(start, areaStart, furthest)), static_cast<int>(fitted)};
}

} // namespace

std::optional<int> parseSettingsInteger(std::string_view text)
{
    // Hexadecimal is a 32-bit pattern, so "$FFFFFFFF" is -1.
    std::optional<std::string_view> hex;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        hex = text.substr(2);
    else if (text.starts_with('$'))
        hex = text.substr(1);
    if (hex) {
        const auto value = digitsValue(*hex, 16);
        if (!value)
            return std::nullopt;
        return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(*value)));
    }

    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const auto value = digitsValue(text, 10);
    if (!value || *value > (negative ? 2147483648ull : 2147483647ull))
        return std::nullopt;
    return static_cast<int>(negative ? -static_cast<std::int64_t>(*value) : static_cast<std::int64_t>(*value));
}

QString settingsFilePath()
{
    return platform::settingsFilePath(QLatin1String(kProductId) + QStringLiteral(".ini"));
}

Settings loadSettings(const QString &path)
{
    const std::filesystem::path file = toPath(path);
    auto text = [&](const char *key, const QString &def) {
        return QString::fromStdString(platform::readProfileString(file, kProductId, key, def.toStdString()));
    };

    Settings s;
    s.top = readInteger(file, "Top", s.top);
    s.left = readInteger(file, "Left", s.left);
    s.width = readInteger(file, "Width", s.width);
    s.height = readInteger(file, "Height", s.height);
    // Only the exact words turn an option off; "No", "" or anything else leaves it on.
    s.sounds = text("Sounds", QStringLiteral("yes")) != QLatin1String("no");
    s.name = text("Name", s.name);
    if (s.name.size() > kNameLength) {
        s.name.truncate(kNameLength);
        if (s.name.back().isHighSurrogate()) // no half of a character
            s.name.chop(1);
    }
    s.update = text("Update", QStringLiteral("true")) != QLatin1String("false");
    s.fullScreen = text("FullScreen", QStringLiteral("no")) == QLatin1String("yes");
    s.server = text("Server", s.server);
    s.webSite = text("WebSite", s.webSite);
    return s;
}

bool saveSettings(const QString &path, const Settings &s)
{
    const std::filesystem::path file = toPath(path);
    auto write = [&](const char *key, const std::string &value) {
        return platform::writeProfileString(file, kProductId, key, value);
    };
    const bool fullScreenKept =
        s.fullScreen || !platform::readProfileString(file, kProductId, "FullScreen", "").empty();
    return write("Top", std::to_string(s.top)) && write("Left", std::to_string(s.left)) &&
           write("Width", std::to_string(s.width)) && write("Height", std::to_string(s.height)) &&
           write("Name", s.name.toStdString()) && write("Sounds", s.sounds ? "yes" : "no") &&
           write("Update", s.update ? "true" : "false") &&
           (!fullScreenKept || write("FullScreen", s.fullScreen ? "yes" : "no"));
}

QString settingsWriteErrorText(const QString &path)
{
    return QStringLiteral("Unable to write to %1.").arg(path);
}

QRect fittedBounds(const Settings &s, const QRect &area, const QSize &minimum)
{
    if (area.isEmpty())
        return QRect(s.left, s.top, s.width, s.height);
    const auto [left, width] = fitSpan(s.left, s.width, area.left(), area.width(), minimum.width());
    const auto [top, height] = fitSpan(s.top, s.height, area.top(), area.height(), minimum.height());
    return QRect(left, top, width, height);
}
