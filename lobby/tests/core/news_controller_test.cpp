#include "lobby/news_controller.h"

#include <gtest/gtest.h>

#include "../support/lobby_fixture.h"

namespace tessary::lobby {
namespace {

using enum protocol::MessageType;

using testing::fake;
using testing::LobbyStage;

TEST(NewsControllerTable, NewsAndAdvertisements) {
    const auto ads = [](LobbyStage&) {
        fake().ads = {{"ftp.example", "u", "p", "ads", "one.jpg", "https://a", 3000},
                      {"ftp.example", "u", "p", "ads", std::string(400, 'n'), "https://b", 5000}};
    };
    const testing::Row rows[] = {
        {"news lines (13)", [](LobbyStage&) { fake().news = {"Welcome", "Maintenance at noon"}; },
         [](LobbyStage& s) { s.deliver(NEWS); }, {"news 2"}},
        {"advertisements in answer order, fields cut to their size (200)", ads,
         [](LobbyStage& s) { s.deliver(ADVERTISEMENT); }, {"ads one.jpg/3000 " + std::string(255, 'n') + "/5000"}},
        {"no advertisement (200)", {}, [](LobbyStage& s) { s.deliver(ADVERTISEMENT); }, {"ads"}},
    };
    testing::runRows(rows);
}

}  // namespace
}  // namespace tessary::lobby
