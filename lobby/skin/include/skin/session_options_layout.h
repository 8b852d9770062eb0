// The layout a game gives for its create-session and session-information
// windows, read from "config.tsc" in the game's directory (plain text, SkinFile
// grammar). This is the model only; the option controls built from it belong
// to the skinned controls.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_file.h"

namespace tessary::skin {

// Kind codes as the layout grammar numbers them.
enum class OptionKind : int {
    Unknown = -1,
    Text = 0,
    List = 1,
    Edit = 2,
    Spin = 3,
    OnOff = 4,
    BitList = 5,
    DirList = 6,
    CheckBox = 7,
    ListDefault = 8,
    EditDefault = 9,
    TextRgb = 10,
};

// The kind of a layout keyword ("LIST" -> List), Unknown for any other word.
[[nodiscard]] OptionKind optionKindFromKeyword(std::string_view keyword);

struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

struct BitListItem {
    std::string value;
    std::string picture;  // file name inside the game's directory
};

struct CheckBoxBox;

// One option control. Which fields mean something depends on the kind.
struct OptionControlLayout {
    OptionKind kind = OptionKind::Unknown;
    SkinRect rect;
    std::string text;                   // Text, TextRgb: caption; EditDefault: default text
    RgbColor color;                     // TextRgb
    std::vector<std::string> items;     // List, ListDefault
    int defaultItem = 0;                // ListDefault: 0-based item selected at first
    bool valueIsIndex = false;          // ListDefault: the value is the item's index
    int minimum = 0;                    // Spin
    int maximum = 0;                    // Spin
    int initial = 0;                    // Spin: initial value; OnOff: 0 or 1
    std::vector<BitListItem> pictures;  // BitList
    std::string directory;              // DirList
    std::string extension;              // DirList
    int checkedBox = 1;                 // CheckBox: 1-based box checked at first
    std::vector<CheckBoxBox> boxes;     // CheckBox: box 1 uses `rect`
};

struct CheckBoxBox {
    SkinRect rect;
    std::vector<OptionControlLayout> controls;  // shown while the box is checked
};

struct OptionPage {
    std::vector<OptionControlLayout> controls;
    int skippedControls = 0;  // unknown keywords, counted but not kept
};

// The create-session window's own fields and buttons (section "BUTTON").
struct SessionWindowFrame {
    SkinRect nameField;
    SkinRect playersField;
    int minPlayers = 0;
    int maxPlayers = 0;
    SkinRect exitButton;
    SkinRect createButton;
    SkinRect quitButton;
    SkinRect privateButton;
    std::optional<SkinRect> previousButton;  // only with more than one page
    std::optional<SkinRect> nextButton;
};

struct SessionOptionsLayout {
    bool ignoreInfo = false;
    std::string fullName;
    SkinRect spectatorField;
    int minSpectators = 0;
    int maxSpectators = 0;
    RgbColor textColor{255, 168, 0};
    std::vector<OptionPage> pages;
    SessionWindowFrame frame;
};

// CHECKBOX controls nest; deeper nesting than this is a broken file.
inline constexpr int kMaxOptionNesting = 8;

// Reads every section. "PAGE_INFO" and "BUTTON" are required: without them,
// or on any missing or malformed token, SkinFatalError 37 is thrown. A game
// without "FULLNAME" (or with an empty one) is shown by `gameName`.
[[nodiscard]] SessionOptionsLayout readSessionOptionsLayout(SkinFile& file,
                                                            std::string_view gameName);
[[nodiscard]] SessionOptionsLayout loadSessionOptionsLayout(std::string_view path,
                                                            std::string_view gameName);

}  // namespace tessary::skin
