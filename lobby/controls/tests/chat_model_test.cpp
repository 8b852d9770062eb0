#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/chat_commands.h"
#include "controls/chat_model.h"

namespace tessary::controls {
namespace {

TEST(ChatInput, CommandsAndChatAreToldApart) {
    struct Row {
        const char* input;
        CommandAction action;
        const char* word;
        const char* argument;
    };
    const std::vector<Row> rows = {
        {"", CommandAction::Nothing, "", ""},
        {"hello /whois", CommandAction::Chat, "", "hello /whois"},
        {"/me waves", CommandAction::Chat, "", "/me waves"},
        {"/ME waves", CommandAction::Chat, "", "/ME waves"},
        {"/mention", CommandAction::Unknown, "MENTION", ""},
        {"/me", CommandAction::Unknown, "ME", ""},
        {"/whois", CommandAction::MissingArgument, "WHOIS", ""},
        {"/whois  Bob ", CommandAction::Whois, "WHOIS", "Bob"},
        {"/Chat Alexandra_the_great_one", CommandAction::PrivateChat, "CHAT", "Alexandra_the_g"},
        {"/join", CommandAction::MissingArgument, "JOIN", ""},
        {"/join Friday night", CommandAction::Join, "JOIN", "Friday night"},
        {"/page", CommandAction::Page, "PAGE", ""},
        {"/leave now", CommandAction::Leave, "LEAVE", "now"},
        {"/nocolor", CommandAction::NoColour, "NOCOLOR", ""},
        {"/IGNORE", CommandAction::ListIgnored, "IGNORE", ""},
        {"/IGNORE Bob", CommandAction::Ignore, "IGNORE", "Bob"},
        {"/unignore", CommandAction::MissingArgument, "UNIGNORE", ""},
        {"/UNIGNORE Bob", CommandAction::Unignore, "UNIGNORE", "Bob"},
        {"/", CommandAction::Unknown, "", ""},
        {"/kick", CommandAction::MissingArgument, "KICK", ""},
        {"/kick  Mallory  spamming links ", CommandAction::Moderate, "KICK", "/KICK Mallory  spamming links"},
        {"/Mute Mallory_with_a_long_name 30", CommandAction::Moderate, "MUTE",
         "/MUTE Mallory_with_a_long_name 30"},
        {"/BAN Mallory 7 spam", CommandAction::Moderate, "BAN", "/BAN Mallory 7 spam"},
        {"/unban Mallory", CommandAction::Moderate, "UNBAN", "/UNBAN Mallory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const ChatCommand command = parseChatInput(row.input);
        EXPECT_EQ(command.action, row.action);
        EXPECT_EQ(command.word, row.word);
        EXPECT_EQ(command.argument, row.argument);
    }
}

TEST(ChatLineFormat, ChatActionsColoursAndLinks) {
    struct Row {
        const char* text;
        ChatColour colour;
        const char* shown;
        ChatColour shownColour;
        int shownFont;
        bool link;
    };
    const ChatColour blue = chatColour(0, 0, 255);
    const std::vector<Row> rows = {
        {"hi", blue, "<Ann> hi ", blue, 3, false},
        {"/me waves", blue, "~~~> Ann waves ", kWhite, 0, false},
        {"/ME waves", blue, "~~~> Ann waves ", kWhite, 0, false},
        {"/mention", blue, "<Ann> /mention ", blue, 3, false},
        {"hi", 0x01000000u | blue, "<Ann> hi ", kWhite, 3, false},
        {"see www.Tessary.example now", blue, "<Ann> see www.Tessary.example now ", blue, 3, true},
        {"HTTP://x", blue, "<Ann> HTTP://x ", blue, 3, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const ChatLine line = formatChatLine("Ann", row.text, row.colour, 3);
        EXPECT_EQ(line.text, row.shown);
        EXPECT_EQ(line.colour, row.shownColour);
        EXPECT_EQ(line.font, row.shownFont);
        EXPECT_EQ(line.link, row.link);
    }
}

TEST(ChatPane, LimitsPauseAndScrolling) {
    ChatPane pane;
    for (int i = 0; i < 201; ++i) pane.add(makeChatLine(std::to_string(i), kWhite, 0), false);
    EXPECT_EQ(pane.count(), 200);
    EXPECT_EQ(pane.lines().front().text, "1");
    EXPECT_EQ(pane.bottom(), 199);

    pane.scroll(ScrollRequest::LineUp);
    EXPECT_EQ(pane.bottom(), 198);
    for (int i = 0; i < 5; ++i) pane.add(makeChatLine("paused", kWhite, 0), true);
    EXPECT_EQ(pane.count(), 205);
    EXPECT_EQ(pane.bottom(), 198);  // a paused pane keeps its view
    pane.add(makeChatLine("resumed", kWhite, 0), false);
    EXPECT_EQ(pane.count(), 200);
    EXPECT_EQ(pane.bottom(), 199);

    pane.setTop(180);
    pane.scroll(ScrollRequest::PageUp);
    EXPECT_EQ(pane.bottom(), 181);
    pane.setTop(170);
    pane.scroll(ScrollRequest::PageDown);
    EXPECT_EQ(pane.bottom(), 193);
    pane.scroll(ScrollRequest::ThumbTrack, 1000);
    EXPECT_EQ(pane.bottom(), 199);
    pane.scroll(ScrollRequest::ThumbTrack, -3);
    EXPECT_EQ(pane.bottom(), 0);
    pane.scroll(ScrollRequest::LineUp);
    EXPECT_EQ(pane.bottom(), 0);

    ChatTabs tabs("Arena");
    for (int i = 0; i < 501; ++i) tabs.addLine(0, makeChatLine("x", kWhite, 0), 0);
    EXPECT_EQ(tabs.tab(0).pane.count(), 500);
}

std::vector<std::string> names(const ChatTabs& tabs) {
    std::vector<std::string> result;
    for (int i = 0; i < tabs.count(); ++i) result.push_back(tabs.tab(i).name);
    return result;
}

TEST(ChatTabs, PrivateAndSessionTabs) {
    ChatTabs tabs("Arena");
    EXPECT_EQ(tabs.openPrivate("Bob", 10), 1);
    EXPECT_EQ(tabs.openPrivate("Cid", 11), 2);
    EXPECT_EQ(tabs.openPrivate("Bob", 12), 1);  // reused
    EXPECT_EQ(tabs.count(), 3);

    tabs.addLine(2, makeChatLine("hi", kWhite, 0), 20);
    EXPECT_TRUE(tabs.tab(2).unread);
    tabs.select(2);
    EXPECT_FALSE(tabs.tab(2).unread);

    tabs.setSessionTab("Friday");
    EXPECT_EQ(names(tabs), (std::vector<std::string>{"Arena", "Friday", "Bob", "Cid"}));
    EXPECT_EQ(tabs.current(), 1);
    EXPECT_FALSE(tabs.closeByUser(1));
    EXPECT_FALSE(tabs.closeByUser(0));
    EXPECT_EQ(tabs.findPrivate("Friday"), -1);

    // Ten tabs: the next private chat closes the quietest private tab (Bob, 10).
    for (int i = 0; i < 6; ++i) tabs.openPrivate("P" + std::to_string(i), 30 + i);
    EXPECT_EQ(tabs.count(), 10);
    tabs.select(5);
    tabs.openPrivate("New", 50);
    EXPECT_EQ(tabs.count(), 10);
    EXPECT_EQ(tabs.findPrivate("Bob"), -1);
    EXPECT_EQ(tabs.current(), 9);
    EXPECT_EQ(tabs.tab(9).name, "New");

    // Closing a tab before the current one moves the current index down.
    tabs.select(6);
    const std::string shown = tabs.currentTab().name;
    EXPECT_TRUE(tabs.closeByUser(2));
    EXPECT_EQ(tabs.currentTab().name, shown);
    EXPECT_TRUE(tabs.closeByUser(tabs.current()));
    EXPECT_EQ(tabs.current(), 0);

    tabs.setSessionTab("");
    EXPECT_FALSE(tabs.hasSessionTab());
    EXPECT_EQ(tabs.findPrivate("New"), tabs.count() - 1);

    tabs.setPaused(true);
    tabs.reset();
    EXPECT_EQ(tabs.count(), 1);
    EXPECT_EQ(tabs.tab(0).pane.count(), 0);
}

TEST(ChatTabRow, OverlapAndDrawingOrder) {
    struct Row {
        int width, tabWidth, count, current;
        std::vector<int> left;
        std::vector<int> order;
    };
    const std::vector<Row> rows = {
        {467, 90, 1, 0, {0}, {0}},
        {467, 90, 3, 1, {0, 90, 180}, {0, 2, 1}},
        {467, 90, 6, 2, {0, 75, 150, 225, 300, 375}, {0, 1, 5, 4, 3, 2}},
    };
    for (const Row& row : rows) {
        const TabRowLayout layout = layoutTabRow(row.width, row.tabWidth, row.count, row.current);
        EXPECT_EQ(layout.left, row.left);
        EXPECT_EQ(layout.drawOrder, row.order);
    }
    const TabRowLayout overlapping = layoutTabRow(467, 90, 6, 2);
    EXPECT_EQ(tabAt(overlapping, 80), 1);   // tab 0 lies below tab 1 there
    EXPECT_EQ(tabAt(overlapping, 160), 2);  // the current tab is on top
    EXPECT_EQ(tabAt(overlapping, 470), -1);
}

TEST(ChatSave, NamesFromTheNetworkStayInTheFolder) {
    struct Row {
        const char* tab;
        const char* file;
    };
    const std::vector<Row> rows = {
        {"Bob", "Bob.txt"},
        {"Arena 1", "Arena 1.txt"},
        {"../../etc/passwd", "_.._etc_passwd.txt"},
        {"..", "chat.txt"},
        {".hidden", "hidden.txt"},
        {"a\\b:c", "a_b_c.txt"},
        {"", "chat.txt"},
    };
    for (const Row& row : rows) EXPECT_EQ(chatSaveFileName(row.tab), row.file) << row.tab;
}

}  // namespace
}  // namespace tessary::controls
