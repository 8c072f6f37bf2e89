#pragma once
// A fetched page made safe to lay out before the page viewer sees it. The
// high-score list is a few kilobytes; a page that is far larger, nests without
// end, holds a table of endless cells or one endless word would keep the
// window's text layout busy for minutes. The page is cut to fixed limits, long
// words get break opportunities, and what was left out is said in a line at
// its end. Plain code on UTF-8 text; no widgets.

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

struct PageLimits {
    std::size_t maxBytes = 256 * 1024;  // of the page as shown, before the notice
    std::size_t maxDepth = 32;          // open elements inside each other
    std::size_t maxTableDepth = 2;      // tables inside tables
    std::size_t maxCells = 1000;        // table cells in the whole page
    std::size_t maxTags = 10000;        // start tags in the whole page
    std::size_t maxPictures = 100;      // pictures (never loaded, but each has an area)
    std::size_t maxWord = 40;           // characters without a break opportunity
    std::size_t maxPreLine = 120;       // characters of a preformatted line
};

struct BoundedPage {
    std::string html;
    // What was left out; all false when the page is shown whole.
    bool tooLarge = false;
    bool tooDeep = false;
    bool tablesTooDeep = false;
    bool tooManyCells = false;
    bool tooManyTags = false;
    bool tooManyPictures = false;
    bool wordsBroken = false; // not a cut: the words are all there

    bool cut() const { return tooLarge || tooDeep || tablesTooDeep || tooManyCells || tooManyTags || tooManyPictures; }
};

// The page as it may be shown: at most maxBytes of it, never cut inside a
// tag, an entity or a character; start tags nested deeper than the
// limits are dropped (their text stays); at the cell or tag limit the rest is
// left out; the elements still open are closed; a word longer than maxWord
// characters gets an invisible break opportunity ("&#8203;") every maxWord
// characters (a new line every maxPreLine characters in preformatted text).
// Style sheets and scripts are dropped, sizes the page sets are clamped to a
// few hundred pixels, and style attributes keep only colours, fonts, alignment,
// borders and small sizes. When anything was left out, a line at the end says
// what.
BoundedPage boundPage(std::string_view html, const PageLimits &limits = {});

// The line added at the end of a cut page (empty when nothing was cut).
std::string cutNotice(const BoundedPage &page, const PageLimits &limits);

} // namespace qv
