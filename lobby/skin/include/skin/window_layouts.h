// Where everything sits on the lobby's windows: each window's background
// picture and size, its bitmap buttons (prefix, top-left corner, picture
// count, command, sound) and the areas its other controls fill. Positions that
// the lobby's design fixes are taken as given; the rest are chosen to fit the
// generated backgrounds. The artwork generator draws from this table, the
// preview renders it, and the lobby's windows place their controls by it.
#pragma once

#include <string_view>
#include <vector>

namespace tessary::skin {

struct ButtonPlacement {
    std::string_view prefix;  // below the skin directory, e.g. "button\\3login"
    int x = 0;
    int y = 0;
    int pictures = 3;
    int command = 0;
    std::string_view sound;  // empty: "button.wav"
};

// How the background shows an area.
enum class AreaKind {
    Field,    // a one-line control in a sunken frame, its label to the left
    Panel,    // a larger control in a sunken frame, its caption above
    Picture,  // a photo in a thin frame
    Text,     // only the label, drawn in the area
    Region,   // nothing: a part of a larger area
};

// A control or panel that the window places itself (an edit field, a list,
// a panel); `label` is the caption the background carries for it, if any.
struct AreaPlacement {
    std::string_view name;
    AreaKind kind = AreaKind::Panel;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string_view label;
};

// A two-picture switch: `off` and `on` are picture names below the skin
// directory, drawn at (x, y).
struct SwitchPlacement {
    std::string_view name;
    int x = 0;
    int y = 0;
    std::string_view off;
    std::string_view on;
    std::string_view label;  // drawn on the background right of the switch
};

struct WindowLayout {
    std::string_view name;        // e.g. "login"
    std::string_view background;  // below the skin directory, e.g. "window\\3login.jpg"
    std::string_view title;       // the caption drawn on the background
    int width = 0;
    int height = 0;
    std::vector<ButtonPlacement> buttons;
    std::vector<AreaPlacement> areas;
    std::vector<SwitchPlacement> switches;
};

// Every window of the lobby that has a background picture, including both
// views of the main window and both modes of the account and page windows.
// The session windows' backgrounds lie in the session skin directory: their
// `background` starts with "session\\".
[[nodiscard]] const std::vector<WindowLayout>& lobbyWindowLayouts();

// The layout named `name`; nullptr when there is none.
[[nodiscard]] const WindowLayout* findWindowLayout(std::string_view name);

// Size of every button picture, by prefix (pictures of one prefix share it).
struct ButtonArt {
    std::string_view prefix;
    int width = 0;
    int height = 0;
    std::string_view label;  // the text on the button; empty for drawn symbols
};
[[nodiscard]] const std::vector<ButtonArt>& lobbyButtonArt();
[[nodiscard]] const ButtonArt* findButtonArt(std::string_view prefix);

}  // namespace tessary::skin
