// The readers of Router messages and answers, on messages a fake Router sends.
#include <cstring>
#include <string>

#include "fake_server.h"

namespace tessary::clientlib {
namespace {

using namespace testing;

constexpr uint8_t kSuccess = 47;
constexpr uint8_t kFailure = 48;

// A text buffer of the promised size with a guard zone behind it.
struct TextOut {
    char bytes[TS_TEXT_OUT_SIZE + 64];
    TextOut() { std::memset(bytes, 0x7E, sizeof bytes); }
    operator char*() { return bytes; }
    std::string text() const { return std::string(bytes, ::strnlen(bytes, TS_TEXT_OUT_SIZE)); }
    bool guardIntact() const {
        for (size_t i = TS_TEXT_OUT_SIZE; i < sizeof bytes; ++i)
            if (bytes[i] != 0x7E) return false;
        return true;
    }
};

Values answer(uint8_t request, const Values& data) { return std::move(Values{}.i8(request).sub(data)); }
Values failure(uint8_t request, const std::string& text) { return answer(request, Values{}.text(text)); }

class RouterReaders : public ServerTest {};

TEST_F(RouterReaders, RouterListEndsAndStaysEnded) {
    ASSERT_EQ(deliver(78, Values{}
                              .sub(Values{}.text("r1").text("10.0.0.1").i32(4000))
                              .sub(Values{}.text("r2").text("10.0.0.2").i32(4001))
                              .sub(Values{}.text("r3").text("10.0.0.3").i32(4002))),
              78);
    TextOut name, address;
    int32_t port = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(TSRouterRcv_GetNextRouter(name, address, &port), 1) << i;
        EXPECT_EQ(name.text(), "r" + std::to_string(i + 1));
        EXPECT_EQ(address.text(), "10.0.0." + std::to_string(i + 1));
        EXPECT_EQ(port, 4000 + i);
    }
    EXPECT_EQ(TSRouterRcv_GetNextRouter(name, address, &port), 0);
    EXPECT_EQ(TSRouterRcv_GetNextRouter(name, address, &port), 0);
}

TEST_F(RouterReaders, ArenaListTakesItsValuesOutOfOrder) {
    ASSERT_EQ(deliver(18, Values{}.sub(Values{}.text("Arena").i32(12).text("127.0.0.9").i32(5000))), 18);
    TextOut r1, r2;
    int32_t r3 = 0, r4 = 0;
    ASSERT_EQ(TSRouterRcv_GetNextArena(r1, r2, &r3, &r4), 1);
    EXPECT_EQ(r1.text(), "Arena");
    EXPECT_EQ(r2.text(), "127.0.0.9");
    EXPECT_EQ(r3, 12);
    EXPECT_EQ(r4, 5000);
    EXPECT_EQ(TSRouterRcv_GetNextArena(r1, r2, &r3, &r4), 0);
}

TEST_F(RouterReaders, NewsAndAdvertisements) {
    ASSERT_EQ(deliver(13, Values{}.text("first").text("second")), 13);
    TextOut news;
    ASSERT_EQ(TSRouterRcv_GetNextNews(news), 1);
    EXPECT_EQ(news.text(), "first");
    ASSERT_EQ(TSRouterRcv_GetNextNews(news), 1);
    EXPECT_EQ(news.text(), "second");
    EXPECT_EQ(TSRouterRcv_GetNextNews(news), 0);

    ASSERT_EQ(deliver(200, Values{}
                               .text("ftp.host")
                               .text("user")
                               .text("password")
                               .sub(Values{}
                                        .sub(Values{}.i32(30).text("a.jpg").text("http://a").text("ad a"))
                                        .sub(Values{}.i32(45).text("b.jpg").text("http://b").text("ad b")))),
              200);
    TextOut r1, r2, r3, r4, r5, r6;
    int32_t r7 = 0;
    ASSERT_EQ(TSRouterRcv_GetNextAdvertisement(r1, r2, r3, r4, r5, r6, &r7), 1);
    EXPECT_EQ(r1.text() + "|" + r2.text() + "|" + r3.text(), "ftp.host|user|password");
    EXPECT_EQ(r7, 30);
    EXPECT_EQ(r5.text(), "a.jpg");
    EXPECT_EQ(r4.text(), "http://a");
    EXPECT_EQ(r6.text(), "ad a");
    ASSERT_EQ(TSRouterRcv_GetNextAdvertisement(r1, r2, r3, r4, r5, r6, &r7), 1);
    EXPECT_EQ(r7, 45);
    EXPECT_EQ(TSRouterRcv_GetNextAdvertisement(r1, r2, r3, r4, r5, r6, &r7), 0);
}

TEST_F(RouterReaders, VersionTellsWhetherTheUpdateIsMandatory) {
    for (const auto& [first, mandatory] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-7, 0}}) {
        ASSERT_EQ(deliver(204, Values{}.i32(first).text("2.0").text("update.exe").i32(123456)), 204);
        TextOut r1, r2;
        int32_t r3 = 0, r4 = -9;
        ASSERT_EQ(TSRouterRcv_GetVersion(r1, r2, &r3, &r4), 1);
        EXPECT_EQ(r4, mandatory) << first;
        EXPECT_EQ(r1.text(), "2.0");
        EXPECT_EQ(r2.text(), "update.exe");
        EXPECT_EQ(r3, 123456);
        EXPECT_EQ(TSRouterRcv_GetVersion(r1, r2, &r3, &r4), 1) << "the positions do not move with the cursor";
    }
}

TEST_F(RouterReaders, AccountInformationWithItsGames) {
    ASSERT_EQ(deliver(26, Values{}
                              .text("nick").text("first").text("last").text("mail").text("town").text("FR")
                              .i8(3).i32(1975)
                              .sub(Values{}.sub(Values{}.text("POKER").text("12")).sub(Values{}.text("SLIME").text("3")))),
              26);
    TextOut r[6];
    uint8_t r7 = 0;
    int32_t r8 = 0;
    ASSERT_EQ(TSRouterRcv_AccountInfo(r[0], r[1], r[2], r[3], r[4], r[5], &r7, &r8), 1);
    EXPECT_EQ(r[0].text() + r[1].text() + r[2].text() + r[3].text() + r[4].text() + r[5].text(),
              "nickfirstlastmailtownFR");
    EXPECT_EQ(r7, 3);
    EXPECT_EQ(r8, 1975);
    TextOut game, score;
    ASSERT_EQ(TSRouterRcv_GetNextGame(game, score), 1);
    EXPECT_EQ(game.text() + score.text(), "POKER12");
    ASSERT_EQ(TSRouterRcv_AccountInfo(r[0], r[1], r[2], r[3], r[4], r[5], &r7, &r8), 1) << "does not move the cursor";
    ASSERT_EQ(TSRouterRcv_GetNextGame(game, score), 1);
    EXPECT_EQ(game.text() + score.text(), "SLIME3");
    EXPECT_EQ(TSRouterRcv_GetNextGame(game, score), 0);
}

TEST_F(RouterReaders, PhotoIsCopiedUpToTheSizeReadFirst) {
    int32_t size = 77;
    ASSERT_EQ(deliver(13, Values{}.text("not a photo")), 13);
    EXPECT_EQ(TSRouterRcv_GetPhotoSize(&size), 0);
    EXPECT_EQ(size, 0) << "written even when not a photo";

    const std::string picture = "\xFF\xD8\xFF\x00jpeg bytes";
    ASSERT_EQ(deliver(207, Values{}.binary(picture)), 207);
    uint8_t buffer[64];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(TSRouterRcv_Photo(buffer), 0) << "no size read yet: no room known";
    EXPECT_EQ(buffer[0], 0xEE);
    ASSERT_EQ(TSRouterRcv_GetPhotoSize(&size), 1);
    ASSERT_EQ(size, int32_t(picture.size()));
    ASSERT_EQ(TSRouterRcv_Photo(buffer), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), picture.size()), picture);
    EXPECT_EQ(buffer[picture.size()], 0xEE);

    ASSERT_EQ(deliver(207, Values{}.binary(picture)), 207);
    EXPECT_EQ(TSRouterRcv_Photo(buffer), 0) << "a new message needs its own size read";
}

TEST_F(RouterReaders, PagesAndUrgentMessages) {
    ASSERT_EQ(deliver(205, Values{}.text("ann").text("hello")), 205);
    TextOut sender, text;
    ASSERT_EQ(TSRcv_Page(sender, text), 1);
    EXPECT_EQ(sender.text() + "/" + text.text(), "ann/hello");
    EXPECT_EQ(TSRcv_UrgentMessage(text), 0);
    ASSERT_EQ(deliver(61, Values{}.text("ADIOS")), 61);
    ASSERT_EQ(TSRcv_UrgentMessage(text), 1);
    EXPECT_EQ(text.text(), "ADIOS");
}

TEST_F(RouterReaders, AnswersAreCheckedAgainstTheirRequest) {
    char result = 0;
    TextOut error;
    ASSERT_EQ(deliver(48, failure(206, "X")), 206) << "the poll reports the request answered";
    ASSERT_EQ(TSRouterRcv_LoginResult(&result, error), 1);
    EXPECT_EQ(result, kFailure);
    EXPECT_EQ(error.text(), "X");
    EXPECT_EQ(TSRouterRcv_AccountCreationResult(&result, error), 0) << "answers 206, not 1";
    EXPECT_EQ(TSRouterRcv_ModifyAccountResult(&result, error), 0);

    ASSERT_EQ(deliver(47, Values{}.i8(1)), 1);
    ASSERT_EQ(TSRouterRcv_AccountCreationResult(&result, error), 1);
    EXPECT_EQ(result, kSuccess);
    ASSERT_EQ(deliver(47, Values{}.i8(201)), 201);
    EXPECT_EQ(TSRouterRcv_ModifyAccountResult(&result, error), 1);

    ASSERT_EQ(deliver(48, Values{}.i8(206)), 206);
    EXPECT_EQ(TSRouterRcv_LoginResult(&result, error), 0) << "a failure without its text";
    ASSERT_EQ(deliver(48, Values{}.i8(206).text("not in a list")), 206);
    EXPECT_EQ(TSRouterRcv_LoginResult(&result, error), 0);
    ASSERT_EQ(deliver(48, Values{}.i32(206).sub(Values{}.text("X"))), 48) << "a 4-byte code is no request code";
    EXPECT_EQ(TSRouterRcv_LoginResult(&result, error), 0);

    ASSERT_EQ(deliver(13, Values{}.text("news")), 13);
    EXPECT_EQ(TSRouterRcv_LoginResult(&result, error), 0);
    EXPECT_EQ(result, 13) << "the type is written before the check";
}

TEST_F(RouterReaders, JoinArenaAndSearchAnswers) {
    char result = 0;
    TextOut address, error, r3, r4;
    int32_t port = 0;
    ASSERT_EQ(deliver(47, answer(4, Values{}.text("127.0.0.5").i32(4100))), 4);
    ASSERT_EQ(TSRouterRcv_JoinArenaResult(&result, address, &port, error), 1);
    EXPECT_EQ(address.text(), "127.0.0.5");
    EXPECT_EQ(port, 4100);

    ASSERT_EQ(deliver(47, answer(4, Values{}.text("127.0.0.6"))), 4);
    EXPECT_EQ(TSRouterRcv_JoinArenaResult(&result, address, &port, error), 0) << "no port";
    EXPECT_EQ(address.text(), "127.0.0.6") << "the address before it is written";

    ASSERT_EQ(deliver(48, failure(4, "full")), 4);
    port = 1;
    ASSERT_EQ(TSRouterRcv_JoinArenaResult(&result, address, &port, error), 1);
    EXPECT_EQ(error.text(), "full");
    EXPECT_EQ(port, 1) << "untouched on a failure";

    ASSERT_EQ(deliver(47, answer(14, Values{}.text("Arena 2").text("bob"))), 14);
    ASSERT_EQ(TSRouterRcv_SearchPlayerResult(&result, error, r3, r4), 1);
    EXPECT_EQ(r3.text() + "/" + r4.text(), "Arena 2/bob");
    ASSERT_EQ(deliver(47, Values{}.i8(14)), 14);
    EXPECT_EQ(TSRouterRcv_SearchPlayerResult(&result, error, r3, r4), 0) << "no data list";
}

TEST_F(RouterReaders, CurrentMessageOutlivesItsConnection) {
    ASSERT_EQ(deliver(13, Values{}.text("kept")), 13);
    EXPECT_EQ(TS_GetMessageType(), 0) << "nothing new";
    server_->reset();
    int32_t result = 0;
    protocol::testing::pollUntil([&] { result = TS_GetMessageType(); }, [&] { return result == -1; });
    ASSERT_EQ(result, -1);
    TextOut news;
    ASSERT_EQ(TSRouterRcv_GetNextNews(news), 1);
    EXPECT_EQ(news.text(), "kept");
    TS_DisconnectFromHost();
    EXPECT_EQ(TSRouterRcv_GetNextNews(news), 0) << "still the same message, at its end";
}

// A hostile server: long texts are cut, wrong kinds and short lists read nothing.
TEST_F(RouterReaders, HostileMessagesStayInsideTheBuffers) {
    const std::string huge(2'000'000, 'N');
    ASSERT_EQ(deliver(78, Values{}.sub(Values{}.text(huge).text("a").i32(1))), 78);
    TextOut name, address;
    int32_t port = 0;
    ASSERT_EQ(TSRouterRcv_GetNextRouter(name, address, &port), 1);
    EXPECT_EQ(name.text(), std::string(TS_TEXT_OUT_SIZE - 1, 'N'));
    EXPECT_TRUE(name.guardIntact());
    EXPECT_TRUE(address.guardIntact());

    ASSERT_EQ(deliver(48, failure(206, huge)), 206);
    char result = 0;
    TextOut error;
    ASSERT_EQ(TSRouterRcv_LoginResult(&result, error), 1);
    EXPECT_EQ(error.text().size(), size_t(TS_TEXT_OUT_SIZE - 1));
    EXPECT_TRUE(error.guardIntact());

    struct Case {
        const char* name;
        Values body;
    };
    const Case malformed[] = {
        {"empty", Values{}},
        {"entry not a list", Values{}.text("r1")},
        {"port of two bytes", Values{}.sub(Values{}.text("r").text("a").binary("\x01\x02"))},
        {"text where the port goes", Values{}.sub(Values{}.text("r").text("a").text("4000"))},
        {"truncated entry", Values{}.sub(Values{}.text("r").text("a"))},
        {"binary where a text goes", Values{}.sub(Values{}.binary("r").text("a").i32(1))},
    };
    for (const auto& c : malformed) {
        ASSERT_EQ(deliver(78, c.body), 78) << c.name;
        EXPECT_EQ(TSRouterRcv_GetNextRouter(name, address, &port), 0) << c.name;
    }
}

TEST_F(RouterReaders, NullOutputsAreSkipped) {
    ASSERT_EQ(deliver(78, Values{}.sub(Values{}.text("r1").text("a").i32(1))), 78);
    EXPECT_EQ(TSRouterRcv_GetNextRouter(nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(deliver(48, failure(206, "X")), 206);
    EXPECT_EQ(TSRouterRcv_LoginResult(nullptr, nullptr), 1);
}

}  // namespace
}  // namespace tessary::clientlib
