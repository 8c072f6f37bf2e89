#include "platform/profile.h"

#include "platform/files.h"

#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct Line {
    std::string text;  // without its line end
    std::string eol;   // "\n", "\r\n" or empty for a last line without one
};

// The file split into lines; a byte-order mark is held apart so the first
// line still reads as a section header.
struct Document {
    std::string bom;
    std::vector<Line> lines;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "[name]" (blanks allowed around it and around the name) gives name.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

// "key=value" gives key and value, both trimmed.
std::optional<std::pair<std::string_view, std::string_view>> keyValue(std::string_view line)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::pair{trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))};
}

Document parse(std::string_view data)
{
    Document doc;
    if (data.starts_with(kBom)) {
        doc.bom = kBom;
        data.remove_prefix(kBom.size());
    }
    while (!data.empty()) {
        const std::size_t nl = data.find('\n');
        Line line;
        if (nl == std::string_view::npos) {
            line.text = data;
            data = {};
        } else {
            std::size_t end = nl;
            if (end > 0 && data[end - 1] == '\r')
                --end;
            line.text = data.substr(0, end);
            line.eol = end < nl ? "\r\n" : "\n";
            data.remove_prefix(nl + 1);
        }
        doc.lines.push_back(std::move(line));
    }
    return doc;
}

// Lines [first, last) of the first section named section; first is the header.
struct Range {
    std::size_t first = 0, last = 0;
};

std::optional<Range> findSection(const Document &doc, std::string_view section)
{
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const auto name = sectionName(doc.lines[i].text);
        if (!name || !sameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < doc.lines.size() && !sectionName(doc.lines[end].text))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const Document &doc, Range sec, std::string_view key)
{
    for (std::size_t i = sec.first + 1; i < sec.last; ++i) {
        const auto kv = keyValue(doc.lines[i].text);
        if (kv && sameName(kv->first, key))
            return i;
    }
    return std::nullopt;
}

// Cuts s to at most n UTF-8 characters (continuation bytes do not count).
std::string_view firstChars(std::string_view s, std::size_t n)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && chars++ == n)
            return s.substr(0, i);
    }
    return s;
}

// The settings are a few hundred bytes; anything this big is not a settings file.
constexpr std::size_t kMaxProfileFile = 16 << 20;

std::optional<std::string> readAll(const fs::path &file)
{
    try {
        return readSmallFile(file, kMaxProfileFile);  // a FIFO or a device is not waited for
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// Replaces target with data in one step (see replaceFile), so a reader never
// sees half a file and a failure leaves the old one whole.
bool replaceWhole(const fs::path &target, std::string_view data)
{
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!isWritable(dir))
        return false;
    try {
        replaceFile(target, data);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool validName(std::string_view name, char forbidden)
{
    return !trimmed(name).empty() && name.find_first_of("\r\n") == std::string_view::npos &&
           name.find(forbidden) == std::string_view::npos;
}

} // namespace

std::string readProfileString(const fs::path &file, std::string_view section, std::string_view key,
                              std::string_view def)
{
    const std::optional<std::string> data = readAll(file);
    if (!data)
        return std::string(def);
    const Document doc = parse(*data);
    const auto sec = findSection(doc, section);
    if (!sec)
        return std::string(def);
    const auto line = findKey(doc, *sec, key);
    if (!line)
        return std::string(def);
    return std::string(firstChars(keyValue(doc.lines[*line].text)->second, kProfileValueMax));
}

bool writeProfileString(const fs::path &file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    // A key starting with "[" would read back as a section header.
    if (!validName(section, ']') || !validName(key, '=') || trimmed(key).front() == '[')
        return false;

    // Write through a symbolic link to the file it names.
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(file, ec)) {
        target = fs::weakly_canonical(file, ec);
        if (ec)
            return false;
    }

    Document doc;
    const fs::file_status st = fs::status(target, ec);
    if (fs::exists(st)) {
        if (!fs::is_regular_file(st) || !isWritable(target))
            return false;
        const std::optional<std::string> data = readAll(target);
        if (!data)
            return false;
        doc = parse(*data);
    }

    std::string eol = "\n";
    for (const Line &l : doc.lines) {
        if (!l.eol.empty()) {
            eol = l.eol;
            break;
        }
    }

    std::string newLine = std::string(key) + "=" + std::string(value);
    for (char &c : newLine) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }

    // New lines go after position `at`; a last line without a line end gets one.
    auto insertAfter = [&](std::size_t at, std::vector<Line> added) {
        if (at < doc.lines.size() && doc.lines[at].eol.empty())
            doc.lines[at].eol = eol;
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at + 1), added.begin(),
                         added.end());
    };

    if (const auto sec = findSection(doc, section)) {
        if (const auto line = findKey(doc, *sec, key)) {
            doc.lines[*line].text = newLine;
        } else {
            // After the section's last non-blank line, so blank separators stay between sections.
            std::size_t last = sec->first;
            for (std::size_t i = sec->first + 1; i < sec->last; ++i) {
                if (!trimmed(doc.lines[i].text).empty())
                    last = i;
            }
            insertAfter(last, {Line{newLine, eol}});
        }
    } else {
        std::string header = "[";
        header += section;
        header += ']';
        std::vector<Line> added{Line{std::move(header), eol}, Line{newLine, eol}};
        if (doc.lines.empty())
            doc.lines = std::move(added);
        else
            insertAfter(doc.lines.size() - 1, std::move(added));
    }

    std::string out = doc.bom;
    for (const Line &l : doc.lines)
        out += l.text + l.eol;
    return replaceWhole(target, out);
}

} // namespace platform
