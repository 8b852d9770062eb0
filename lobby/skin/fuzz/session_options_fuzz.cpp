// Any bytes as a game's config.tsc (plain text, written by whoever made the
// game): the layout is read or refused with SkinFatalError, and what is read
// keeps the shape the session windows rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "skin/session_options_layout.h"
#include "skin/skin_error.h"
#include "skin/skin_file.h"

namespace {

using namespace tessary::skin;

void checkControls(const std::vector<OptionControlLayout>& controls, int depth) {
    require(depth <= kMaxOptionNesting + 1);
    for (const OptionControlLayout& control : controls) {
        require(control.kind != OptionKind::Unknown);
        for (const CheckBoxBox& box : control.boxes) checkControls(box.controls, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        SkinFile file;
        file.openBytes(std::string(reinterpret_cast<const char*>(data), size), "config.tsc", false);
        const SessionOptionsLayout layout = readSessionOptionsLayout(file, "GAME");
        require(!layout.fullName.empty());
        require(layout.frame.previousButton.has_value() == (layout.pages.size() > 1));
        require(layout.frame.nextButton.has_value() == (layout.pages.size() > 1));
        for (const OptionPage& page : layout.pages) checkControls(page.controls, 0);
    } catch (const SkinFatalError&) {
    }
    return 0;
}
