// A game's config.tsc and option texts as an Arena sends them, checked against
// the controls built from it. Input: the config.tsc bytes, then a NUL, then
// option texts separated by NULs. Whatever the texts hold, checking and
// filling never fail, and the controls keep their promises: a text that is
// accepted fills the controls read-only, and any line the controls write is
// accepted and reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "lobby/option_controls.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"

namespace {

using namespace tessary;

// The same two files for every DIRLIST, wherever it points.
std::vector<std::string> twoFiles(std::string_view, std::string_view) { return {"Arena", "Duel"}; }

void requireReadOnly(lobby::OptionChain& chain) {
    for (const auto& control : chain.controls()) {
        require(!control->enabled());
        if (control->kind() == skin::OptionKind::CheckBox) {
            auto& box = static_cast<lobby::CheckBoxOption&>(*control);
            requireReadOnly(box.box(box.checked()));
        }
    }
}

// What the controls write now is accepted, and filling them with it writes
// it again.
void requireWrittenLineReadsBack(lobby::OptionPages& pages) {
    const std::string written = pages.collect();
    if (written == lobby::kOptionError) return;
    require(pages.accepts(written));
    pages.setValue(written);
    require(pages.collect() == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view config = input.substr(0, split);
    std::string_view texts = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    skin::SessionOptionsLayout layout;
    try {
        skin::SkinFile file;
        file.openBytes(std::string(config), "config.tsc", false);
        layout = skin::readSessionOptionsLayout(file, "GAME");
    } catch (const skin::SkinFatalError&) {
        return 0;
    }
    lobby::OptionPages pages(layout, twoFiles);
    requireWrittenLineReadsBack(pages);

    while (true) {
        const std::size_t end = texts.find('\0');
        const std::string_view text = texts.substr(0, end);
        if (pages.accepts(text)) {
            pages.setValue(text);
            for (std::size_t i = 0; i < pages.size(); ++i) requireReadOnly(pages.page(i));
            requireWrittenLineReadsBack(pages);
        }
        pages.setDefault();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            for (const auto& control : pages.page(i).controls()) require(control->enabled());
        }
        if (end == std::string_view::npos) break;
        texts.remove_prefix(end + 1);
    }

    for (std::size_t shown = 0; shown < pages.size(); ++shown) {
        pages.showPage(shown);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            for (const auto& control : pages.page(i).controls()) require(control->visible() == (i == shown));
        }
    }
    return 0;
}
