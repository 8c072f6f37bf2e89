#pragma once
// The small interfaces through which the round and game flow reaches the rest of
// the program. The main window implements GameView (its controls, found by name),
// the sound gate implements SoundSink and the tally list implements TallySink.
// Tests implement all three with recorders.

#include <string>
#include <string_view>

namespace qv {

class GameView {
public:
    virtual ~GameView() = default;
    // Shows or hides a control by name ("panel_over", "button_start", ...).
    virtual void setVisible(std::string_view control, bool visible) = 0;
    // Sets a label's caption ("label_cardtype", "label_linescore3", ...).
    virtual void setCaption(std::string_view control, std::string_view text) = 0;
    // Sets a label's integer tag ("label_total", "label_linescore3", ...).
    virtual void setTag(std::string_view control, int tag) = 0;
    // Shows card n (0 = the card back) in a picture control and makes n its tag.
    virtual void showCard(std::string_view control, int card) = 0;
    // Drops a picture control's picture and sets its tag to 0 (an empty cell).
    virtual void clearCard(std::string_view control) = 0;
    // Starts or stops the window's end-of-round timer (Timer2); its ticks come back
    // through GameFlow::Timer2Timer.
    virtual void setTimer2(bool enabled) = 0;
    // The player name: the text of edit_name.
    virtual std::string playerName() const = 0;
};

class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual void playsounds(std::string_view name) = 0;
};

class TallySink {
public:
    virtual ~TallySink() = default;
    // 1: one more round played; 2: one more round cleared.
    virtual void addtomineincrease(int counter) = 0;
    // A finished game's score, ranked among the ten best.
    virtual void checkscore(int score, std::string_view name) = 0;
};

} // namespace qv
