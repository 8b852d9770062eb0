#include "lobby/option_controls.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <set>
#include <system_error>

namespace tessary::lobby {
namespace {

using skin::OptionKind;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view nextToken(std::string_view& rest) {
    std::size_t at = 0;
    while (at < rest.size() && isBlank(rest[at])) ++at;
    std::size_t start = at;
    while (at < rest.size() && !isBlank(rest[at])) ++at;
    std::string_view token = rest.substr(start, at - start);
    rest.remove_prefix(at);
    return token;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A value goes into the line as one token.
void appendValue(std::string& text, std::string_view value) {
    for (char c : value) text.push_back(c == ' ' ? '|' : c);
    text.push_back(' ');
}

std::string fromToken(std::string_view token) {
    std::string value(token);
    std::replace(value.begin(), value.end(), '|', ' ');
    return value;
}

bool parseInt(std::string_view token, int& out) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), out);
    return error == std::errc() && end == token.data() + token.size();
}

std::unique_ptr<OptionControl> makeControl(const skin::OptionControlLayout& layout,
                                           const DirectoryLister& lister) {
    switch (layout.kind) {
        case OptionKind::List:
        case OptionKind::ListDefault:
            return std::make_unique<ListOption>(layout, layout.items);
        case OptionKind::DirList:
            return std::make_unique<ListOption>(
                layout, lister ? lister(layout.directory, layout.extension) : std::vector<std::string>{});
        case OptionKind::Edit:
        case OptionKind::EditDefault:
            return std::make_unique<EditOption>(layout);
        case OptionKind::Spin:
            return std::make_unique<SpinOption>(layout);
        case OptionKind::OnOff:
            return std::make_unique<OnOffOption>(layout);
        case OptionKind::BitList:
            return std::make_unique<BitListOption>(layout);
        case OptionKind::CheckBox:
            return std::make_unique<CheckBoxOption>(layout, lister);
        case OptionKind::Text:
        case OptionKind::TextRgb:
        case OptionKind::Unknown:
            break;
    }
    return std::make_unique<TextOption>(layout);
}

}  // namespace

DirectoryLister listDirectoriesUnder(std::vector<std::filesystem::path> roots) {
    return [roots = std::move(roots)](std::string_view directory, std::string_view extension) {
        // A layout naming a folder outside the game's own is not followed.
        std::filesystem::path relative(directory);
        for (const auto& part : relative) {
            if (part == ".." || relative.is_absolute()) return std::vector<std::string>{};
        }
        std::set<std::string> titles;
        std::string wanted = "." + std::string(extension);
        for (const auto& root : roots) {
            std::error_code error;
            for (std::filesystem::directory_iterator it(root / relative, error), end; !error && it != end;
                 it.increment(error)) {
                const std::filesystem::path& file = it->path();
                if (it->is_regular_file(error) && file.extension() == wanted) titles.insert(file.stem().string());
            }
        }
        return std::vector<std::string>(titles.begin(), titles.end());
    };
}

// --- the chain --------------------------------------------------------------

bool OptionControl::writeValue(std::string& text) const {
    if (!writeOwn(text)) return false;
    return !next_ || next_->writeValue(text);
}

bool OptionControl::checkValue(std::string_view text) const {
    if (!checkTake(text)) return false;
    return !next_ || next_->checkValue(text);
}

void OptionControl::setValue(std::string_view text) {
    setTake(text);
    if (next_) next_->setValue(text);
}

void OptionControl::setDefault() {
    defaultOwn();
    enabled_ = true;
    if (next_) next_->setDefault();
}

void OptionControl::show(bool visible) {
    visible_ = visible;
    showOwn(visible);
    if (next_) next_->show(visible);
}

bool OptionControl::checkTake(std::string_view& rest) const {
    if (!takesToken()) return true;
    std::string_view token = nextToken(rest);
    return !token.empty() && acceptsToken(token);
}

void OptionControl::setTake(std::string_view& rest) {
    enabled_ = false;
    if (!takesToken()) return;
    setOwn(fromToken(nextToken(rest)));
}

// --- lists --------------------------------------------------------------------

ListOption::ListOption(const skin::OptionControlLayout& layout, std::vector<std::string> items)
    : OptionControl(layout), items_(std::move(items)) {
    defaultOwn();
}

void ListOption::choose(int index) {
    dropAppended();
    chosen_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
}

std::string ListOption::value() const {
    if (chosen_ < 0) return {};
    return layout().valueIsIndex ? std::to_string(chosen_) : items_[static_cast<std::size_t>(chosen_)];
}

bool ListOption::writeOwn(std::string& text) const {
    if (chosen_ < 0) return false;
    appendValue(text, value());
    return true;
}

bool ListOption::acceptsToken(std::string_view token) const {
    if (layout().valueIsIndex) return true;
    std::string value = fromToken(token);
    return std::find(items_.begin(), items_.end(), value) != items_.end();
}

void ListOption::setOwn(std::string_view token) {
    dropAppended();
    if (layout().valueIsIndex) {
        int index = -1;
        chosen_ = parseInt(token, index) && index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
        return;
    }
    auto found = std::find(items_.begin(), items_.end(), token);
    if (found == items_.end()) {
        // A value the local game does not list is shown as it came.
        items_.emplace_back(token);
        appended_ = true;
        found = items_.end() - 1;
    }
    chosen_ = static_cast<int>(found - items_.begin());
}

void ListOption::defaultOwn() {
    dropAppended();
    int wanted = layout().kind == OptionKind::ListDefault ? layout().defaultItem : 0;
    chosen_ = wanted >= 0 && wanted < static_cast<int>(items_.size()) ? wanted : (items_.empty() ? -1 : 0);
}

void ListOption::dropAppended() {
    if (!appended_) return;
    items_.pop_back();
    appended_ = false;
    if (chosen_ >= static_cast<int>(items_.size())) chosen_ = -1;
}

// --- fields -------------------------------------------------------------------

bool EditOption::writeOwn(std::string& text) const {
    if (text_.empty()) return false;
    appendValue(text, text_);
    return true;
}

void EditOption::defaultOwn() {
    text_ = layout().kind == OptionKind::EditDefault ? layout().text : std::string();
}

// A layout whose maximum lies below its minimum allows the minimum alone; the
// edits, the default and the check all keep to that one range.
int SpinOption::maximum() const { return std::max(layout().minimum, layout().maximum); }

void SpinOption::setNumber(int number) { number_ = std::clamp(number, layout().minimum, maximum()); }

bool SpinOption::writeOwn(std::string& text) const {
    appendValue(text, value());
    return true;
}

bool SpinOption::acceptsToken(std::string_view token) const {
    int number = 0;
    return parseInt(token, number) && number >= layout().minimum && number <= maximum();
}

void SpinOption::setOwn(std::string_view token) {
    int number = 0;
    if (parseInt(token, number)) number_ = number;
}

void SpinOption::defaultOwn() {
    const auto& l = layout();
    // Summed wide: two large limits would overflow an int.
    number_ = l.initial >= l.minimum && l.initial <= maximum()
                  ? l.initial
                  : static_cast<int>((int64_t{l.minimum} + maximum()) / 2);
}

bool OnOffOption::writeOwn(std::string& text) const {
    appendValue(text, value());
    return true;
}

void BitListOption::choose(int index) {
    if (index >= 0 && index < static_cast<int>(layout().pictures.size())) current_ = index;
}

std::string BitListOption::value() const {
    const auto& pictures = layout().pictures;
    return pictures.empty() ? std::string() : pictures[static_cast<std::size_t>(current_)].value;
}

bool BitListOption::writeOwn(std::string& text) const {
    if (layout().pictures.empty()) return false;
    appendValue(text, value());
    return true;
}

bool BitListOption::acceptsToken(std::string_view token) const {
    const auto& pictures = layout().pictures;
    std::string value = fromToken(token);
    return std::any_of(pictures.begin(), pictures.end(), [&](const auto& p) { return p.value == value; });
}

void BitListOption::setOwn(std::string_view token) {
    const auto& pictures = layout().pictures;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].value == token) current_ = static_cast<int>(i);
    }
}

// --- boxes --------------------------------------------------------------------

CheckBoxOption::CheckBoxOption(const skin::OptionControlLayout& layout, const DirectoryLister& lister)
    : OptionControl(layout) {
    for (const auto& box : layout.boxes) boxes_.push_back(std::make_unique<OptionChain>(box.controls, lister));
    defaultOwn();
}

CheckBoxOption::~CheckBoxOption() = default;

void CheckBoxOption::check(int box) {
    if (box < 1 || box > static_cast<int>(boxes_.size())) return;
    checked_ = box;
    showBoxes();
}

bool CheckBoxOption::writeOwn(std::string& text) const {
    if (boxes_.empty()) return false;
    appendValue(text, value());
    return boxes_[static_cast<std::size_t>(checked_ - 1)]->writeValue(text);
}

bool CheckBoxOption::acceptsToken(std::string_view token) const {
    int box = 0;
    return parseInt(token, box) && box >= 1 && box <= static_cast<int>(boxes_.size());
}

void CheckBoxOption::setOwn(std::string_view token) {
    int box = 0;
    if (parseInt(token, box)) check(box);
}

void CheckBoxOption::defaultOwn() {
    for (auto& box : boxes_) box->setDefault();
    int wanted = layout().checkedBox;
    checked_ = wanted >= 1 && wanted <= static_cast<int>(boxes_.size()) ? wanted : 1;
    showBoxes();
}

void CheckBoxOption::showOwn(bool visible) {
    shown_ = visible;
    showBoxes();
}

bool CheckBoxOption::checkTake(std::string_view& rest) const {
    std::string_view token = nextToken(rest);
    if (token.empty() || !acceptsToken(token)) return false;
    int box = 0;
    parseInt(token, box);
    return boxes_[static_cast<std::size_t>(box - 1)]->checkPrefix(rest);
}

void CheckBoxOption::setTake(std::string_view& rest) {
    OptionControl::setTake(rest);
    if (!boxes_.empty()) boxes_[static_cast<std::size_t>(checked_ - 1)]->setPrefix(rest);
}

void CheckBoxOption::showBoxes() {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->show(shown_ && static_cast<int>(i) == checked_ - 1);
    }
}

// --- chains and pages ---------------------------------------------------------

OptionChain::OptionChain(const std::vector<skin::OptionControlLayout>& layouts, const DirectoryLister& lister) {
    for (const auto& layout : layouts) controls_.push_back(makeControl(layout, lister));
    for (std::size_t i = 0; i + 1 < controls_.size(); ++i) controls_[i]->setNext(controls_[i + 1].get());
}

bool OptionChain::checkPrefix(std::string_view& text) const {
    for (const auto& control : controls_) {
        if (!control->checkTake(text)) return false;
    }
    return true;
}

void OptionChain::setPrefix(std::string_view& text) {
    for (const auto& control : controls_) control->setTake(text);
}

OptionPages::OptionPages(const skin::SessionOptionsLayout& layout, const DirectoryLister& lister) {
    for (const auto& page : layout.pages) pages_.push_back(std::make_unique<OptionChain>(page.controls, lister));
    setDefault();
}

std::string OptionPages::collectPage(std::size_t index) const {
    std::string text;
    if (!pages_.at(index)->writeValue(text)) return std::string(kOptionError);
    return text;
}

std::string OptionPages::collect() const {
    std::string line;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        std::string page = collectPage(i);
        if (page == kOptionError) return page;
        line += page;
    }
    return line;
}

bool OptionPages::accepts(std::string_view line) const {
    std::string_view rest = trimmed(line);
    for (const auto& page : pages_) {
        if (!page->checkPrefix(rest)) return false;
    }
    return trimmed(rest).empty();
}

void OptionPages::setValue(std::string_view line) {
    for (auto& page : pages_) page->setPrefix(line);
}

void OptionPages::setDefault() {
    for (auto& page : pages_) page->setDefault();
}

void OptionPages::showPage(std::size_t index) {
    for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i]->show(i == index);
}

}  // namespace tessary::lobby
