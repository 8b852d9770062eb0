#include "skin/window_layouts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessary::skin {
namespace {

struct Box {
    int x, y, width, height;
    bool overlaps(const Box& o) const {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
    bool inside(int w, int h) const {
        return x >= 0 && y >= 0 && x + width <= w && y + height <= h;
    }
};

Box boxOf(const ButtonPlacement& button) {
    const ButtonArt* art = findButtonArt(button.prefix);
    return {button.x, button.y, art ? art->width : 0, art ? art->height : 0};
}

// Buttons that share a place on purpose: only one of them is shown at a time.
bool alternatives(std::string_view a, std::string_view b) {
    std::set<std::string_view> pair{a, b};
    return pair == std::set<std::string_view>{"button\\2join", "button\\2leave"};
}

TEST(WindowLayoutsTest, EveryButtonHasArtAndFitsItsWindow) {
    for (const WindowLayout& window : lobbyWindowLayouts()) {
        for (const ButtonPlacement& button : window.buttons) {
            ASSERT_NE(findButtonArt(button.prefix), nullptr) << window.name << " " << button.prefix;
            EXPECT_TRUE(boxOf(button).inside(window.width, window.height))
                << window.name << " " << button.prefix;
            EXPECT_GE(button.pictures, 2);
            EXPECT_LE(button.pictures, 4);
        }
        for (const AreaPlacement& area : window.areas) {
            EXPECT_TRUE(
                (Box{area.x, area.y, area.width, area.height}.inside(window.width, window.height)))
                << window.name << " " << area.name;
        }
    }
}

TEST(WindowLayoutsTest, ButtonsShownTogetherDoNotOverlap) {
    for (const WindowLayout& window : lobbyWindowLayouts()) {
        for (std::size_t i = 0; i < window.buttons.size(); ++i) {
            for (std::size_t j = i + 1; j < window.buttons.size(); ++j) {
                const ButtonPlacement& a = window.buttons[i];
                const ButtonPlacement& b = window.buttons[j];
                if (alternatives(a.prefix, b.prefix)) continue;
                EXPECT_FALSE(boxOf(a).overlaps(boxOf(b)))
                    << window.name << ": " << a.prefix << " and " << b.prefix;
            }
            for (const SwitchPlacement& toggle : window.switches) {
                EXPECT_FALSE(boxOf(window.buttons[i]).overlaps(Box{toggle.x, toggle.y, 16, 16}))
                    << window.name << ": " << window.buttons[i].prefix << " and " << toggle.name;
            }
        }
    }
}

TEST(WindowLayoutsTest, ThePartsFixedPlacesAreKept) {
    const WindowLayout* router = findWindowLayout("router view");
    ASSERT_NE(router, nullptr);
    EXPECT_EQ(router->width, 800);
    EXPECT_EQ(router->height, 600);
    const WindowLayout* login = findWindowLayout("login");
    ASSERT_NE(login, nullptr);
    bool found = false;
    for (const ButtonPlacement& button : login->buttons) {
        if (button.prefix == "button\\3newuser") {
            found = true;
            EXPECT_EQ(button.x, 15);
            EXPECT_EQ(button.y, 185);
            EXPECT_EQ(button.command, 1026);
        }
    }
    EXPECT_TRUE(found);
    std::set<std::string_view> backgrounds;
    for (const WindowLayout& window : lobbyWindowLayouts()) {
        EXPECT_TRUE(backgrounds.insert(window.background).second) << window.background;
    }
    EXPECT_EQ(findWindowLayout("no such window"), nullptr);
}

}  // namespace
}  // namespace tessary::skin
