#include "skin/window_layouts.h"

namespace tessary::skin {
namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kMinimize = 108;
constexpr int kMaximize = 107;
constexpr int kExit = 106;
constexpr int kHelp = 103;  // dialogs use their help context as the command
constexpr int kLogo = 104;

// The caption row every main-window view shares.
std::vector<ButtonPlacement> mainWindowCaptionButtons() {
    return {
        {"button\\quillon", 498, 12, 3, kLogo, "web.wav"},
        {"button\\help", 710, 12, 3, kHelp, ""},
        {"button\\min", 733, 10, 2, kMinimize, ""},
        {"button\\max", 751, 10, 2, kMaximize, ""},
        {"button\\exit", 769, 10, 2, kExit, ""},
    };
}

std::vector<SwitchPlacement> mainWindowSwitches() {
    return {
        {"page toggle", 674, 10, "pageoff.bmp", "pageon.bmp", ""},
        {"sound toggle", 692, 10, "soundoff.bmp", "soundon.bmp", ""},
    };
}

template <typename T>
std::vector<T> joined(std::vector<T> first, const std::vector<T>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

WindowLayout routerView() {
    WindowLayout w{"router view", "window\\1connect.jpg", "", 800, 600, {}, {}, {}};
    w.buttons = joined(mainWindowCaptionButtons(),
                       {
                           {"button\\1connect", 500, 262, 3, 1009, "connectarena.wav"},
                           {"button\\1returnlogin", 640, 262, 3, 112, ""},
                           {"button\\1search", 500, 299, 3, 102, ""},
                           {"button\\1page", 640, 299, 3, 109, ""},
                           {"button\\1moreinfo", 500, 542, 3, 113, "web.wav"},
                           {"button\\1modify", 18, 542, 3, 1027, ""},
                           {"button\\1buddy", 261, 542, 3, 121, ""},
                       });
    w.areas = {
        {"advertisement", AreaKind::Panel, 17, 17, 468, 60, ""},
        {"player information", AreaKind::Panel, 17, 100, 468, 430, "My profile"},
        {"arena panel", AreaKind::Panel, 500, 78, 280, 183, "Arenas"},
        {"router list", AreaKind::Region, 500, 78, 97, 183, ""},
        {"arena list", AreaKind::Region, 605, 78, 175, 183, ""},
        {"news", AreaKind::Panel, 500, 347, 281, 195, "News"},
    };
    w.switches = mainWindowSwitches();
    return w;
}

WindowLayout arenaView() {
    WindowLayout w{"arena view", "window\\2chat.jpg", "", 800, 600, {}, {}, {}};
    w.buttons =
        joined(mainWindowCaptionButtons(), {
                                               {"button\\2create", 497, 488, 4, 111, ""},
                                               {"button\\2join", 497, 521, 3, 1017, ""},
                                               {"button\\2leave", 497, 521, 3, 1018, ""},
                                               {"button\\2gameinfo", 497, 554, 3, 128, "web.wav"},
                                               {"button\\2start", 644, 488, 4, 1023, ""},
                                               {"button\\2arena", 644, 521, 3, 1022, ""},
                                               {"button\\2page", 644, 554, 3, 109, ""},
                                               {"button\\2name", 503, 46, 3, 126, ""},
                                               {"button\\2session", 642, 46, 3, 127, ""},
                                           });
    w.areas = {
        {"advertisement", AreaKind::Panel, 17, 17, 468, 60, ""},
        {"session panel", AreaKind::Panel, 18, 92, 467, 140, ""},
        {"chat box", AreaKind::Panel, 18, 250, 467, 332, ""},
        {"chat input", AreaKind::Field, 23, 556, 431, 19, ""},
        {"player panel", AreaKind::Panel, 503, 46, 278, 430, ""},
    };
    w.switches = mainWindowSwitches();
    w.switches.push_back({"chat pause", 459, 552, "play.bmp", "pause.bmp", ""});
    return w;
}

WindowLayout loginWindow() {
    return {"login",
            "window\\3login.jpg",
            "",
            300,
            228,
            {
                {"button\\quillon", 18, 15, 3, kLogo, "web.wav"},
                {"button\\help", 250, 11, 3, 137, ""},
                {"button\\exit", 271, 11, 2, kCancel, ""},
                {"button\\3login", 15, 149, 3, kOk, ""},
                {"button\\3quit", 152, 149, 3, kCancel, ""},
                {"button\\3newuser", 15, 185, 3, 1026, ""},
                {"button\\3help", 152, 185, 3, 137, ""},
            },
            {
                {"user name", AreaKind::Field, 124, 66, 159, 20, "User name"},
                {"password", AreaKind::Field, 124, 102, 159, 20, "Password"},
            },
            {}};
}

WindowLayout accountWindow(std::string_view name, std::string_view background,
                           std::string_view title) {
    return {name,
            background,
            title,
            760,
            560,
            {
                {"button\\quillon", 20, 24, 3, kLogo, "web.wav"},
                {"button\\help", 687, 17, 3, 105, ""},
                {"button\\min", 710, 17, 2, kMinimize, ""},
                {"button\\exit", 731, 17, 2, kCancel, ""},
                {"button\\4save", 416, 503, 3, kOk, "profile.wav"},
                {"button\\4cancel", 573, 503, 3, kCancel, ""},
                {"button\\4choose", 562, 122, 3, 1028, ""},
                {"button\\4send", 562, 173, 3, 1029, ""},
            },
            {
                {"user name", AreaKind::Field, 160, 130, 180, 17, "User name"},
                {"password", AreaKind::Field, 160, 189, 180, 17, "Password"},
                {"password again", AreaKind::Field, 160, 248, 180, 17, "Password again"},
                {"field 1003", AreaKind::Field, 160, 306, 180, 17, "Real name"},
                {"field 1004", AreaKind::Field, 160, 363, 180, 17, "E-mail"},
                {"field 1005", AreaKind::Field, 160, 418, 180, 17, "Home page"},
                {"gender", AreaKind::Text, 158, 464, 160, 20, "Gender"},
                {"country", AreaKind::Field, 160, 516, 180, 19, "Country"},
                {"photo", AreaKind::Picture, 417, 126, 128, 128, "Photo"},
                {"description", AreaKind::Panel, 418, 364, 304, 115, "About me"},
            },
            {
                {"gender male", 158, 464, "off.bmp", "on.bmp", "Male"},
                {"gender female", 232, 464, "off.bmp", "on.bmp", "Female"},
            }};
}

WindowLayout searchWindow() {
    return {"player search",
            "window\\5searchplayer.jpg",
            "Find a player",
            340,
            230,
            {
                {"button\\exit", 316, 10, 2, kCancel, ""},
                {"button\\5search", 15, 182, 3, 1030, ""},
                {"button\\5go", 120, 182, 3, 1031, "connectarena.wav"},
                {"button\\5cancel", 225, 182, 3, kCancel, ""},
            },
            {
                {"player name", AreaKind::Field, 120, 62, 195, 20, "Player"},
                {"found arena", AreaKind::Field, 120, 102, 195, 18, "Arena"},
                {"found player", AreaKind::Field, 120, 132, 195, 18, "Found"},
            },
            {}};
}

WindowLayout pageWindow(std::string_view name, std::string_view background, std::string_view title,
                        bool reply) {
    WindowLayout w{name, background, title, 440, 330, {}, {}, {}};
    w.buttons = {
        {"button\\min", 398, 10, 2, kMinimize, ""},
        {"button\\exit", 416, 10, 2, kCancel, ""},
    };
    if (reply) {
        w.buttons.push_back({"button\\6reply", 20, 284, 3, 1032, ""});
        w.buttons.push_back({"button\\6close", 300, 284, 3, kCancel, ""});
        w.areas = {{"sender", AreaKind::Field, 90, 62, 320, 20, "From"},
                   {"message", AreaKind::Panel, 20, 100, 400, 170, ""}};
    } else {
        w.buttons.push_back({"button\\6send", 20, 284, 3, kOk, ""});
        w.buttons.push_back({"button\\6cancel", 300, 284, 3, kCancel, ""});
        w.areas = {{"recipients", AreaKind::Field, 90, 62, 210, 20, "To"},
                   {"message", AreaKind::Panel, 20, 100, 400, 170, ""}};
        w.switches = {
            {"all buddies", 312, 62, "button\\6off.bmp", "button\\6on.bmp", "All buddies"}};
    }
    return w;
}

WindowLayout playerOrSpectatorWindow() {
    return {"player or spectator",
            "window\\7playersel.jpg",
            "Join the session",
            276,
            200,
            {
                {"button\\exit", 238, 15, 2, kCancel, ""},
                {"button\\7player", 15, 108, 3, kOk, ""},
                {"button\\7spectator", 141, 108, 3, 138, ""},
                {"button\\7cancel", 15, 152, 3, kCancel, ""},
            },
            {{"question", AreaKind::Text, 15, 50, 246, 48, "Play in the session, or watch it?"}},
            {}};
}

WindowLayout passwordWindow() {
    return {"password",
            "window\\8private.jpg",
            "Private session",
            305,
            165,
            {
                {"button\\exit", 273, 13, 2, kCancel, ""},
                {"button\\8ok", 17, 119, 3, kOk, ""},
                {"button\\8cancel", 159, 119, 3, kCancel, ""},
            },
            {{"password", AreaKind::Field, 135, 78, 145, 17, "Password"}},
            {}};
}

WindowLayout photoChoiceWindow() {
    return {"photo choice",
            "window\\9picselect.jpg",
            "Choose your photo",
            560,
            300,
            {
                {"button\\exit", 536, 10, 2, kCancel, ""},
                {"button\\9back", 38, 204, 3, 1034, ""},
                {"button\\9next", 394, 204, 3, 1035, ""},
                {"button\\9ok", 146, 252, 3, kOk, ""},
                {"button\\9cancel", 286, 252, 3, kCancel, ""},
            },
            {
                {"photo before", AreaKind::Picture, 38, 60, 128, 128, ""},
                {"photo", AreaKind::Picture, 216, 60, 128, 128, ""},
                {"photo after", AreaKind::Picture, 394, 60, 128, 128, ""},
            },
            {}};
}

WindowLayout gameChoiceWindow() {
    return {"game choice",
            "window\\10gamelist.jpg",
            "Choose a game",
            320,
            300,
            {
                {"button\\exit", 296, 10, 2, kCancel, ""},
                {"button\\10ok", 20, 250, 3, kOk, ""},
                {"button\\10cancel", 170, 250, 3, kCancel, ""},
            },
            {{"games", AreaKind::Panel, 20, 60, 280, 172, ""}},
            {}};
}

WindowLayout playerInfoWindow() {
    return {"player information",
            "window\\11playerinfo.jpg",
            "Player information",
            420,
            330,
            {
                {"button\\exit", 396, 10, 2, kCancel, ""},
                {"button\\11ok", 20, 284, 3, kOk, ""},
                {"button\\11add", 280, 284, 3, 123, ""},
            },
            {
                {"photo", AreaKind::Picture, 20, 62, 128, 128, ""},
                {"details", AreaKind::Panel, 165, 62, 235, 200, ""},
            },
            {}};
}

WindowLayout buddyWindow() {
    return {"buddies",
            "window\\12buddy.jpg",
            "My buddies",
            337,
            420,
            {
                {"button\\exit", 313, 10, 2, kCancel, ""},
                {"button\\12remove", 30, 372, 3, 1036, ""},
                {"button\\12cancel", 180, 372, 3, kCancel, ""},
            },
            {{"buddy list", AreaKind::Panel, 30, 71, 277, 288, ""}},
            {}};
}

// The fallback session windows. A game's config.tsc places its fields and
// buttons; these are the places the fallback backgrounds are drawn for.
WindowLayout sessionWindow(std::string_view name, std::string_view background,
                           std::string_view title, bool create) {
    WindowLayout w{name, background, title, 500, 400, {}, {}, {}};
    w.buttons = {
        {"session\\exit", 476, 8, 2, kCancel, ""},
        {"session\\private", 140, 352, 3, 129, ""},
        {"session\\previous", 270, 355, 3, 1038, ""},
        {"session\\next", 302, 355, 3, 1039, ""},
    };
    if (create) {
        w.buttons.push_back({"session\\quit", 20, 352, 3, kCancel, ""});
        w.buttons.push_back({"session\\create", 380, 352, 3, kOk, ""});
    } else {
        w.buttons.push_back({"session\\close", 20, 352, 3, kCancel, ""});
    }
    w.areas = {
        {"session name", AreaKind::Field, 150, 62, 180, 18, "Session name"},
        {"players", AreaKind::Field, 150, 92, 50, 18, "Players"},
        {"spectators", AreaKind::Field, 330, 92, 50, 18, "Spectators"},
        {"options", AreaKind::Panel, 20, 128, 460, 210, "Options"},
    };
    return w;
}

// The download of a new version: the bar, its status line and the cancel
// button centred below the bar.
WindowLayout updateWindow() {
    return {"update",
            "window\\update.jpg",
            "Update",
            360,
            150,
            {{"button\\cancel", 142, 112, 3, kCancel, ""}},
            {
                {"progress", AreaKind::Panel, 20, 52, 320, 22, ""},
                {"status", AreaKind::Text, 20, 82, 320, 18, ""},
            },
            {}};
}

std::vector<WindowLayout> buildLayouts() {
    return {
        routerView(),
        arenaView(),
        loginWindow(),
        accountWindow("account", "window\\4account.jpg", "New account"),
        accountWindow("account modify", "window\\4modify.jpg", "My account"),
        searchWindow(),
        pageWindow("page", "window\\6page.jpg", "Send a page", false),
        pageWindow("page reply", "window\\6replypage.jpg", "Page", true),
        playerOrSpectatorWindow(),
        passwordWindow(),
        photoChoiceWindow(),
        gameChoiceWindow(),
        playerInfoWindow(),
        buddyWindow(),
        sessionWindow("create session", "session\\createsession.jpg", "Create a session", true),
        sessionWindow("session information", "session\\sessioninfo.jpg", "Session information",
                      false),
        updateWindow(),
    };
}

std::vector<ButtonArt> buildButtonArt() {
    return {
        {"button\\min", 16, 16, ""},
        {"button\\max", 16, 16, ""},
        {"button\\exit", 16, 16, ""},
        {"button\\help", 18, 18, ""},
        {"button\\quillon", 160, 32, ""},
        {"button\\ok", 76, 26, "OK"},
        {"button\\cancel", 76, 26, "Cancel"},
        {"button\\1connect", 132, 32, "Join arena"},
        {"button\\1returnlogin", 132, 32, "Log out"},
        {"button\\1search", 132, 32, "Find player"},
        {"button\\1page", 132, 32, "Page"},
        {"button\\1moreinfo", 132, 32, "Web site"},
        {"button\\1modify", 132, 32, "My account"},
        {"button\\1buddy", 132, 32, "Buddies"},
        {"button\\2create", 140, 30, "Create"},
        {"button\\2join", 140, 30, "Join"},
        {"button\\2leave", 140, 30, "Leave"},
        {"button\\2gameinfo", 140, 30, "Game info"},
        {"button\\2start", 140, 30, "Start game"},
        {"button\\2arena", 140, 30, "Arenas"},
        {"button\\2page", 140, 30, "Page"},
        {"button\\2name", 139, 22, "Player"},
        {"button\\2session", 139, 22, "Session"},
        {"button\\3login", 130, 30, "Log in"},
        {"button\\3quit", 130, 30, "Quit"},
        {"button\\3newuser", 130, 30, "New account"},
        {"button\\3help", 130, 30, "Help"},
        {"button\\4save", 150, 36, "Save"},
        {"button\\4cancel", 150, 36, "Cancel"},
        {"button\\4choose", 150, 36, "Stock photo"},
        {"button\\4send", 150, 36, "My own photo"},
        {"button\\5search", 100, 30, "Search"},
        {"button\\5go", 100, 30, "Go there"},
        {"button\\5cancel", 100, 30, "Cancel"},
        {"button\\6send", 120, 32, "Send"},
        {"button\\6cancel", 120, 32, "Cancel"},
        {"button\\6reply", 120, 32, "Reply"},
        {"button\\6close", 120, 32, "Close"},
        {"button\\7player", 120, 34, "Player"},
        {"button\\7spectator", 120, 34, "Spectator"},
        {"button\\7cancel", 120, 34, "Cancel"},
        {"button\\8ok", 130, 30, "OK"},
        {"button\\8cancel", 130, 30, "Cancel"},
        {"button\\9back", 128, 32, "< Back"},
        {"button\\9next", 128, 32, "Next >"},
        {"button\\9ok", 128, 32, "OK"},
        {"button\\9cancel", 128, 32, "Cancel"},
        {"button\\10ok", 130, 32, "OK"},
        {"button\\10cancel", 130, 32, "Cancel"},
        {"button\\11ok", 120, 32, "OK"},
        {"button\\11add", 120, 32, "Add buddy"},
        {"button\\12remove", 127, 32, "Remove"},
        {"button\\12cancel", 127, 32, "Close"},
        {"session\\exit", 16, 16, ""},
        {"session\\create", 100, 30, "Create"},
        {"session\\quit", 100, 30, "Quit"},
        {"session\\close", 100, 30, "Close"},
        {"session\\private", 100, 30, "Password"},
        {"session\\previous", 28, 24, ""},
        {"session\\next", 28, 24, ""},
    };
}

}  // namespace

const std::vector<WindowLayout>& lobbyWindowLayouts() {
    static const std::vector<WindowLayout> layouts = buildLayouts();
    return layouts;
}

const WindowLayout* findWindowLayout(std::string_view name) {
    for (const WindowLayout& layout : lobbyWindowLayouts()) {
        if (layout.name == name) return &layout;
    }
    return nullptr;
}

const std::vector<ButtonArt>& lobbyButtonArt() {
    static const std::vector<ButtonArt> art = buildButtonArt();
    return art;
}

const ButtonArt* findButtonArt(std::string_view prefix) {
    for (const ButtonArt& art : lobbyButtonArt()) {
        if (art.prefix == prefix) return &art;
    }
    return nullptr;
}

}  // namespace tessary::skin
