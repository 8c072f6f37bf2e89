#include "net/pagebound.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace qv {

namespace {

constexpr std::string_view kBreak = "&#8203;";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
           || c == ':';
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

template <std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N> &names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::string_view, 15> kVoid = {"area", "base", "br",    "col",   "embed",
                                                     "hr",   "img",  "input", "link",  "meta",
                                                     "param", "source", "track", "wbr", "basefont"};

// An element whose end tag may be left out: opening another of its kind closes
// the open one, but not beyond the boundary that contains both.
struct ImplicitClose {
    std::string_view opens;
    std::array<std::string_view, 3> closes;
    std::array<std::string_view, 9> boundary;
};

constexpr std::array<ImplicitClose, 10> kImplicit = {{
    {"li", {"li"}, {"ul", "ol", "table"}},
    {"td", {"td", "th"}, {"tr", "table"}},
    {"th", {"td", "th"}, {"tr", "table"}},
    {"tr", {"tr"}, {"table", "thead", "tbody", "tfoot"}},
    {"thead", {"thead", "tbody", "tfoot"}, {"table"}},
    {"tbody", {"thead", "tbody", "tfoot"}, {"table"}},
    {"tfoot", {"thead", "tbody", "tfoot"}, {"table"}},
    {"dt", {"dt", "dd"}, {"dl", "table"}},
    {"dd", {"dt", "dd"}, {"dl", "table"}},
    {"p", {"p"}, {"table", "td", "th", "li", "ul", "ol", "dl", "div", "blockquote"}},
}};

// Sizes the page may set: at most three digits (999 pixels), spans one digit,
// so no picture, cell or border can ask the layout for a giant area.
constexpr std::array<std::string_view, 9> kSizeAttributes = {"width",  "height", "size",  "border", "cellpadding",
                                                             "cellspacing", "hspace", "vspace", "start"};
constexpr std::array<std::string_view, 4> kSpanAttributes = {"colspan", "rowspan", "span", "cols"};

// A run of more than maxDigits digits becomes maxDigits nines; colours ("#800000")
// are left as they are.
std::string clampNumbers(const std::string &value, std::size_t maxDigits)
{
    std::string out;
    for (std::size_t i = 0; i < value.size();) {
        if (value[i] == '#') {
            while (i < value.size() && (value[i] == '#' || isNameChar(value[i])))
                out += value[i++];
        } else if (value[i] >= '0' && value[i] <= '9') {
            std::size_t end = i;
            while (end < value.size() && value[end] >= '0' && value[end] <= '9')
                ++end;
            out += end - i > maxDigits ? std::string(maxDigits, '9') : value.substr(i, end - i);
            i = end;
        } else {
            out += value[i++];
        }
    }
    return out;
}

std::string trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// What a style attribute may say: colours, fonts, alignment and borders as the
// list uses them, and sizes of at most 99 pixels, points or per cent. Anything
// else (huge sizes, white-space that stops wrapping, positions) is left out.
std::string filterStyle(const std::string &style)
{
    static constexpr std::array<std::string_view, 13> kFree = {
        "color",        "background-color", "background", "font-family",  "font-weight",
        "font-style",   "text-align",       "text-decoration", "vertical-align", "border-color",
        "border-style", "border-collapse",  "font-variant"};
    static constexpr std::array<std::string_view, 10> kSized = {
        "font-size", "width", "height", "padding", "margin", "border-width", "border", "line-height", "text-indent",
        "border-spacing"};
    std::string out;
    std::size_t start = 0;
    while (start <= style.size()) {
        std::size_t end = style.find(';', start);
        if (end == std::string::npos)
            end = style.size();
        const std::string declaration = style.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = declaration.find(':');
        if (colon == std::string::npos)
            continue;
        std::string property = trimmed(std::string_view(declaration).substr(0, colon));
        for (char &c : property)
            c = lower(c);
        const std::string value = trimmed(std::string_view(declaration).substr(colon + 1));
        // Plain words, numbers, colours and font names only: nothing that the
        // attribute's escaping would change.
        const bool plain = std::all_of(value.begin(), value.end(), [](char c) {
            return isNameChar(c) || c == ' ' || c == '#' || c == ',' || c == '\'' || c == '.' || c == '%'
                   || c == '(' || c == ')';
        });
        bool keep = plain && isOneOf(property, kFree);
        if (isOneOf(property, kSized)) {
            // "12px", "10pt", "50%", "0": one or two digits and a safe unit.
            std::size_t digits = 0;
            while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9')
                ++digits;
            const std::string unit = value.substr(digits);
            keep = digits >= 1 && digits <= 2 && (unit.empty() || unit == "px" || unit == "pt" || unit == "%");
        }
        if (keep)
            out += (out.empty() ? "" : "; ") + property + ':' + value;
    }
    return out;
}

// False for an attribute the page viewer should not see; clamps the rest.
bool keepAttribute(const std::string &name, std::string &value)
{
    if (name == "nowrap")
        return false; // a cell that never wraps is one endless line
    if (name == "style")
        value = filterStyle(value);
    else if (isOneOf(name, kSizeAttributes))
        value = clampNumbers(value, 3);
    else if (isOneOf(name, kSpanAttributes))
        value = clampNumbers(value, 1);
    return true;
}

struct Tag {
    bool end = false;
    bool selfClosing = false;
    std::string name;
    std::string text; // the tag written anew: no '<' or '>' inside it
};

class Bounder {
public:
    Bounder(std::string_view in, const PageLimits &limits) : in_(in), limits_(limits) {}

    BoundedPage run()
    {
        // Reading stops well past the output limit even when most of the
        // input is dropped (stray end tags, tags nested too deeply).
        const std::size_t readLimit = std::min(in_.size(), limits_.maxBytes * 4);
        while (pos_ < readLimit && !stopped_) {
            const char c = in_[pos_];
            if (c == '<')
                tag();
            else if (c == '&')
                entity();
            else if (isSpace(c))
                text(std::string(1, c), 1, pre_ == 0 || c == '\n' || c == '\r'); // pre breaks only at new lines
            else
                character();
        }
        if (!stopped_ && pos_ < in_.size())
            page_.tooLarge = true;
        while (!stack_.empty())
            pop();
        page_.html += cutNotice(page_, limits_);
        return std::move(page_);
    }

private:
    // Room for the token and for closing every open element afterwards.
    bool fits(std::size_t bytes)
    {
        if (page_.html.size() + bytes + closing_ <= limits_.maxBytes)
            return true;
        page_.tooLarge = true;
        stopped_ = true;
        return false;
    }

    void text(const std::string &bytes, std::size_t consumed, bool breaks)
    {
        std::string out;
        if (breaks) {
            run_ = 0;
        } else if (++run_ > (pre_ ? limits_.maxPreLine : limits_.maxWord)) {
            // Preformatted text never wraps: its long lines are broken instead.
            out = pre_ ? std::string("\n") : std::string(kBreak);
            run_ = 1;
            page_.wordsBroken = true;
        }
        out += bytes;
        if (!fits(out.size()))
            return;
        page_.html += out;
        pos_ += consumed;
    }

    void character()
    {
        // One whole UTF-8 sequence, so a break never lands inside a character.
        std::size_t end = pos_ + 1;
        while (end < in_.size() && end - pos_ < 4 && (std::uint8_t(in_[end]) & 0xC0) == 0x80)
            ++end;
        text(std::string(in_.substr(pos_, end - pos_)), end - pos_, false);
    }

    void entity()
    {
        std::size_t end = pos_ + 1;
        while (end < in_.size() && end - pos_ <= 32 && (isNameChar(in_[end]) || in_[end] == '#'))
            ++end;
        if (end > pos_ + 1 && end < in_.size() && in_[end] == ';') {
            const std::string name = std::string(in_.substr(pos_, end + 1 - pos_));
            std::string folded;
            for (char c : name)
                folded += lower(c);
            // A break opportunity already there (from an earlier pass, or the page's own).
            const bool isBreak = folded == kBreak || folded == "&#x200b;";
            text(name, name.size(), isBreak && pre_ == 0);
        } else {
            text("&amp;", 1, false);
        }
    }

    void tag()
    {
        const std::size_t start = pos_;
        if (in_.substr(start, 4) == "<!--") {
            const std::size_t close = in_.find("-->", start + 4);
            pos_ = close == std::string_view::npos ? in_.size() : close + 3;
            return; // comments are dropped
        }
        Tag t;
        if (!readTag(t)) {
            // Not a tag: the '<' is shown as it reads.
            pos_ = start;
            text("&lt;", 1, false);
            return;
        }
        if (t.name.empty() || t.name[0] == '!' || t.name[0] == '?')
            return; // declarations and processing instructions are dropped
        if (!t.end && (t.name == "style" || t.name == "script")) {
            // Style sheets and scripts go with their content: a sheet could size
            // every letter of the page, and scripts never run here anyway.
            if (!t.selfClosing) {
                const std::size_t close = findEndTag(t.name);
                pos_ = close == std::string_view::npos ? in_.size() : close;
            }
            return;
        }
        if (t.end)
            endTag(t.name);
        else
            startTag(t);
    }

    // Where "</name" starts from pos_ on, in any letter case; npos when nowhere.
    std::size_t findEndTag(const std::string &name) const
    {
        for (std::size_t at = in_.find("</", pos_); at != std::string_view::npos; at = in_.find("</", at + 2)) {
            std::size_t k = 0;
            while (k < name.size() && at + 2 + k < in_.size() && lower(in_[at + 2 + k]) == name[k])
                ++k;
            if (k == name.size())
                return at;
        }
        return std::string_view::npos;
    }

    // Reads "<name attr=value ...>" or "</name>" from pos_; false when what
    // follows '<' is not a tag.
    bool readTag(Tag &t)
    {
        std::size_t i = pos_ + 1;
        if (i < in_.size() && (in_[i] == '!' || in_[i] == '?')) {
            const std::size_t close = in_.find('>', i);
            pos_ = close == std::string_view::npos ? in_.size() : close + 1;
            t.name = "!";
            return true;
        }
        if (i < in_.size() && in_[i] == '/') {
            t.end = true;
            ++i;
        }
        while (i < in_.size() && isNameChar(in_[i]))
            t.name += lower(in_[i++]);
        if (t.name.empty())
            return false;
        t.text = std::string(t.end ? "</" : "<") + t.name;
        for (;;) {
            while (i < in_.size() && isSpace(in_[i]))
                ++i;
            if (i >= in_.size()) {
                pos_ = i; // a tag cut by the end of the page is dropped
                t.name.clear();
                return true;
            }
            if (in_[i] == '>') {
                ++i;
                break;
            }
            if (in_[i] == '/') {
                t.selfClosing = true;
                ++i;
                continue;
            }
            std::string attribute;
            while (i < in_.size() && !isSpace(in_[i]) && in_[i] != '>' && in_[i] != '=' && in_[i] != '/'
                   && in_[i] != '"' && in_[i] != '\'' && in_[i] != '<')
                attribute += lower(in_[i++]);
            if (attribute.empty()) {
                ++i; // a stray quote or '<' inside a tag
                continue;
            }
            t.selfClosing = false;
            while (i < in_.size() && isSpace(in_[i]))
                ++i;
            std::string value;
            bool hasValue = false;
            if (i < in_.size() && in_[i] == '=') {
                hasValue = true;
                ++i;
                while (i < in_.size() && isSpace(in_[i]))
                    ++i;
                if (i < in_.size() && (in_[i] == '"' || in_[i] == '\'')) {
                    const char quote = in_[i++];
                    const std::size_t close = in_.find(quote, i);
                    const std::size_t end = close == std::string_view::npos ? in_.size() : close;
                    value = std::string(in_.substr(i, end - i));
                    i = end == in_.size() ? end : end + 1;
                } else {
                    while (i < in_.size() && !isSpace(in_[i]) && in_[i] != '>')
                        value += in_[i++];
                }
            }
            if (t.end)
                continue; // an end tag keeps no attributes
            if (!keepAttribute(attribute, value))
                continue;
            t.text += ' ' + attribute;
            if (hasValue) {
                t.text += "=\"";
                for (char c : value) {
                    if (c == '"')
                        t.text += "&quot;";
                    else if (c == '<')
                        t.text += "&lt;";
                    else if (c == '>')
                        t.text += "&gt;";
                    else
                        t.text += c;
                }
                t.text += '"';
            }
        }
        pos_ = i;
        t.text += '>';
        return true;
    }

    void startTag(const Tag &t)
    {
        if (tags_ >= limits_.maxTags) {
            page_.tooManyTags = true;
            stopped_ = true;
            return;
        }
        const bool isVoid = isOneOf(t.name, kVoid);
        // "<div/>" is written out as an element opened and closed at once.
        const std::string text = t.selfClosing && !isVoid ? t.text + "</" + t.name + '>' : t.text;
        const bool opens = !isVoid && !t.selfClosing;
        if (!isVoid)
            closeImplicitly(t.name);
        if (t.name == "img" && pictures_ >= limits_.maxPictures) {
            page_.tooManyPictures = true; // never loaded, but each still costs its area
            return;
        }
        const bool isCell = t.name == "td" || t.name == "th";
        if (isCell && cells_ >= limits_.maxCells) {
            page_.tooManyCells = true;
            stopped_ = true;
            return;
        }
        // A tag nested too deeply goes; its text stays.
        if (!isVoid && stack_.size() >= limits_.maxDepth) {
            page_.tooDeep = true;
            return;
        }
        if (t.name == "table" && tables_ >= limits_.maxTableDepth) {
            page_.tablesTooDeep = true;
            return;
        }
        const std::size_t closeSize = opens ? t.name.size() + 3 : 0;
        if (!fits(text.size() + closeSize))
            return;
        page_.html += text;
        run_ = 0;
        ++tags_;
        if (isCell)
            ++cells_;
        if (t.name == "img")
            ++pictures_;
        if (opens) {
            stack_.push_back(t.name);
            closing_ += closeSize;
            if (t.name == "table")
                ++tables_;
            if (t.name == "pre")
                ++pre_;
        }
    }

    void endTag(const std::string &name)
    {
        // An end tag with nothing of its name open is dropped.
        const auto open = std::find(stack_.rbegin(), stack_.rend(), name);
        if (open == stack_.rend())
            return;
        const std::size_t keep = std::size_t(stack_.rend() - open) - 1;
        while (stack_.size() > keep)
            pop();
        run_ = 0;
    }

    void closeImplicitly(std::string_view name)
    {
        for (const ImplicitClose &rule : kImplicit) {
            if (rule.opens != name)
                continue;
            for (std::size_t k = stack_.size(); k-- > 0;) {
                if (isOneOf(stack_[k], rule.boundary))
                    return;
                if (isOneOf(stack_[k], rule.closes)) {
                    while (stack_.size() > k)
                        pop();
                    return;
                }
            }
            return;
        }
    }

    void pop()
    {
        const std::string &name = stack_.back();
        page_.html += "</" + name + '>';
        closing_ -= name.size() + 3;
        if (name == "table")
            --tables_;
        if (name == "pre")
            --pre_;
        stack_.pop_back();
    }

    std::string_view in_;
    const PageLimits &limits_;
    BoundedPage page_;
    std::size_t pos_ = 0;
    std::size_t run_ = 0;     // characters since the last break opportunity
    std::size_t closing_ = 0; // bytes needed to close every open element
    std::size_t tags_ = 0;
    std::size_t cells_ = 0;
    std::size_t tables_ = 0;
    std::size_t pictures_ = 0;
    std::size_t pre_ = 0; // open preformatted elements
    bool stopped_ = false;
    std::vector<std::string> stack_;
};

} // namespace

BoundedPage boundPage(std::string_view html, const PageLimits &limits)
{
    return Bounder(html, limits).run();
}

std::string cutNotice(const BoundedPage &page, const PageLimits &limits)
{
    if (!page.cut())
        return {};
    std::vector<std::string> reasons;
    if (page.tooLarge)
        reasons.push_back("it is longer than " + std::to_string(limits.maxBytes / 1024) + " KB");
    if (page.tooDeep)
        reasons.push_back("it nests more than " + std::to_string(limits.maxDepth) + " levels deep");
    if (page.tablesTooDeep)
        reasons.push_back("it nests tables more than " + std::to_string(limits.maxTableDepth) + " deep");
    if (page.tooManyCells)
        reasons.push_back("it has more than " + std::to_string(limits.maxCells) + " table cells");
    if (page.tooManyPictures)
        reasons.push_back("it has more than " + std::to_string(limits.maxPictures) + " pictures");
    if (page.tooManyTags)
        reasons.push_back("it has more than " + std::to_string(limits.maxTags) + " tags");
    std::string notice = "<hr><p><i>Part of this page was left out: ";
    for (std::size_t k = 0; k < reasons.size(); ++k)
        notice += (k ? "; " : "") + reasons[k];
    return notice + ".</i></p>";
}

} // namespace qv
