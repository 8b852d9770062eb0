#include "skin/session_options_layout.h"

#include <array>
#include <utility>

#include "skin/skin_error.h"

namespace tessary::skin {
namespace {

constexpr std::array<std::pair<std::string_view, OptionKind>, 11> kKeywords{{
    {"TEXT", OptionKind::Text},
    {"LIST", OptionKind::List},
    {"EDIT", OptionKind::Edit},
    {"SPIN", OptionKind::Spin},
    {"ONOFF", OptionKind::OnOff},
    {"BITLIST", OptionKind::BitList},
    {"DIRLIST", OptionKind::DirList},
    {"CHECKBOX", OptionKind::CheckBox},
    {"LISTDEFAULT", OptionKind::ListDefault},
    {"EDITDEFAULT", OptionKind::EditDefault},
    {"TEXTRGB", OptionKind::TextRgb},
}};

class LayoutReader {
public:
    explicit LayoutReader(SkinFile& file) : file_(file) {}

    // Reads `count` controls into `controls`; returns how many were skipped.
    int readControls(int count, std::vector<OptionControlLayout>& controls, int depth) {
        if (depth > kMaxOptionNesting) throw SkinFatalError(kTextBrokenFile, file_.path());
        int skipped = 0;
        for (int i = 0; i < count; ++i) {
            OptionKind kind = optionKindFromKeyword(file_.readToken());
            if (kind == OptionKind::Unknown) {
                ++skipped;
                continue;
            }
            controls.push_back(readControl(kind, depth));
        }
        return skipped;
    }

private:
    OptionControlLayout readControl(OptionKind kind, int depth) {
        OptionControlLayout control;
        control.kind = kind;
        control.rect = file_.readRect();
        switch (kind) {
            case OptionKind::Text:
            case OptionKind::EditDefault:
                control.text = file_.readToken();
                break;
            case OptionKind::TextRgb:
                control.text = file_.readToken();
                control.color = readColor();
                break;
            case OptionKind::List:
                readItems(control);
                break;
            case OptionKind::ListDefault:
                readItems(control);
                control.defaultItem = file_.readInt();
                control.valueIsIndex = file_.readInt() == 1;
                break;
            case OptionKind::Edit:
                break;
            case OptionKind::Spin:
                control.minimum = file_.readInt();
                control.maximum = file_.readInt();
                control.initial = file_.readInt();
                break;
            case OptionKind::OnOff:
                control.initial = file_.readInt();
                break;
            case OptionKind::BitList: {
                int count = file_.readInt();
                for (int i = 0; i < count; ++i) {
                    BitListItem item;
                    item.value = file_.readToken();
                    item.picture = file_.readToken();
                    control.pictures.push_back(std::move(item));
                }
                break;
            }
            case OptionKind::DirList:
                control.directory = file_.readToken();
                control.extension = file_.readToken();
                break;
            case OptionKind::CheckBox:
                readCheckBox(control, depth);
                break;
            case OptionKind::Unknown:
                break;
        }
        return control;
    }

    void readItems(OptionControlLayout& control) {
        int count = file_.readInt();
        for (int i = 0; i < count; ++i) control.items.push_back(file_.readToken());
    }

    void readCheckBox(OptionControlLayout& control, int depth) {
        int boxCount = file_.readInt();
        control.checkedBox = file_.readInt();
        for (int box = 1; box <= boxCount; ++box) {
            CheckBoxBox entry;
            entry.rect = box == 1 ? control.rect : file_.readRect();
            readControls(file_.readInt(), entry.controls, depth + 1);
            control.boxes.push_back(std::move(entry));
        }
    }

    RgbColor readColor() {
        RgbColor color;
        color.red = file_.readInt();
        color.green = file_.readInt();
        color.blue = file_.readInt();
        return color;
    }

    SkinFile& file_;
};

}  // namespace

OptionKind optionKindFromKeyword(std::string_view keyword) {
    for (const auto& [word, kind] : kKeywords) {
        if (word == keyword) return kind;
    }
    return OptionKind::Unknown;
}

SessionOptionsLayout readSessionOptionsLayout(SkinFile& file, std::string_view gameName) {
    SessionOptionsLayout layout;
    layout.ignoreInfo = file.findSection("IGNOREINFO");
    if (file.findSection("FULLNAME")) layout.fullName = file.readLineValue();
    if (layout.fullName.empty()) layout.fullName = gameName;
    if (file.findSection("SPECTATOR")) {
        layout.spectatorField = file.readRect();
        layout.minSpectators = file.readInt();
        layout.maxSpectators = file.readInt();
    }
    if (file.findSection("TEXTCOLOR")) {
        layout.textColor.red = file.readInt();
        layout.textColor.green = file.readInt();
        layout.textColor.blue = file.readInt();
    }

    LayoutReader reader(file);
    file.findSection("PAGE_INFO");
    int pageCount = file.readInt();
    for (int page = 0; page < pageCount; ++page) {
        OptionPage options;
        options.skippedControls = reader.readControls(file.readInt(), options.controls, 0);
        layout.pages.push_back(std::move(options));
    }

    file.findSection("BUTTON");
    SessionWindowFrame& frame = layout.frame;
    frame.nameField = file.readRect();
    frame.playersField = file.readRect();
    frame.minPlayers = file.readInt();
    frame.maxPlayers = file.readInt();
    frame.exitButton = file.readRect();
    frame.createButton = file.readRect();
    frame.quitButton = file.readRect();
    frame.privateButton = file.readRect();
    if (pageCount > 1) {
        frame.previousButton = file.readRect();
        frame.nextButton = file.readRect();
    }
    return layout;
}

SessionOptionsLayout loadSessionOptionsLayout(std::string_view path, std::string_view gameName) {
    SkinFile file;
    file.open(path, false);
    return readSessionOptionsLayout(file, gameName);
}

}  // namespace tessary::skin
