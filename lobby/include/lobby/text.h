// The numbered texts of data/strings.bin that the lobby shows, by meaning. The
// wording is data; the numbers are fixed by the data file.
#pragma once

namespace tessary::lobby {

enum class Text : int {
    // Titles.
    TitleLobby = 1,             // "TSClient"
    TitleAccount = 3,
    TitlePhoto = 7,
    TitleOwnPhoto = 9,
    TitleChoosePhoto = 11,      // also the file dialog's title
    TitleArena = 15,
    TitleArenaTab = 21,
    TitleFatalError = 35,
    TitleBuddies = 42,
    TitleConnection = 45,
    TitleUpdate = 48,
    TitlePlayerInformation = 56,
    TitleJoinSession = 57,
    TitlePrivateChat = 58,
    TitlePage = 59,
    TitlePlayerSearch = 68,
    TitleJoinSessionAgain = 73,
    TitleSessionInformation = 75,
    TitleJoinSessionChoice = 76,
    TitleLeaveSession = 77,
    TitleJoinSessionVersion = 80,
    TitleCreateSession = 84,

    // Account window.
    FillEveryField = 2,
    PasswordsDiffer = 4,
    StockPhotoReplacesOwn = 6,
    OwnPhotoRules = 8,
    PhotoWrongType = 10,
    PhotoTooLarge = 12,
    PhotoSentOnSave = 13,
    PhotoFileFilter = 67,

    // Arenas and the connection.
    SelectArenaFirst = 14,
    NoSuchArena = 16,
    ArenaConnectionFailed = 17,
    ArenaPingNotReady = 18,
    RouterUnreachable = 44,
    SharedMemoryUnavailable = 46,
    ClientLibraryMissing = 40,
    ArenaConnectionLost = 52,
    ArenaWelcome = 53,          // takes the arena name
    LeftArena = 54,
    ClientVersion = 88,         // sent with every Router login

    // 19, 20, 36 and 37, the skin's fatal errors, are named in skin/skin_error.h.

    // Chat.
    CommandNeedsName = 22,
    UnknownCommand = 23,
    NoSuchPlayerForCommand = 24,
    LeaveSessionMenu = 25,
    ClosePrivateChatMenu = 26,
    JoinedSession = 27,         // takes a player name
    LeftSession = 28,
    EnteredArena = 29,
    LeftArenaPlayer = 30,
    FontNumber = 31,
    ChatColourMenu = 32,
    ChatFontMenu = 33,
    SaveConversationMenu = 34,
    FontCancel = 93,
    ColourRed = 94,
    ColourGreen = 95,
    ColourBlue = 96,

    // Updates and web pages.
    UpdateFailed = 38,
    UpdateRequired = 47,
    UpdateAvailable = 49,
    NoProgramForLink = 50,

    // Games and sessions.
    GameLinkNotReady = 39,
    SelectSessionFirst = 51,
    LeaveSessionToJoin = 72,    // takes a session name
    SelectSessionToJoin = 74,
    OtherGameRunning = 78,      // takes a game name
    GameVersionCannotPlay = 79,
    OptionsNotShown = 81,
    SessionPrefix = 82,
    SessionNeedsName = 83,
    NumberOutOfRange = 85,      // takes a minimum and a maximum
    OptionsMissing = 86,
    GameStartFailed = 87,
    LeaveThisSession = 89,
    JoinThisSession = 90,
    SessionInformation = 91,
    SessionPlayers = 92,

    // Buddies, players and pages.
    SelectBuddiesFirst = 41,
    RemoveBuddyQuestion = 43,
    SelectPlayerFirst = 55,
    PlayerInformationMenu = 60,  // the player menu's items take a player name
    AddBuddyMenu = 61,
    PrivateChatMenu = 62,
    ClosePrivateChatPlayerMenu = 63,
    PagePlayerMenu = 64,
    JoinPlayersSessionMenu = 65,
    SearchNeedsName = 69,
    FoundPlayerArenaUnreachable = 70,
    PlayerNotConnected = 71,

    // The ignore list (each takes a player name, 99 the list, 100 none).
    IgnoredPlayer = 97,
    UnignoredPlayer = 98,
    IgnoreListShown = 99,
    IgnoreListEmpty = 100,
    IgnoreMenu = 101,
    UnignoreMenu = 102,
    NotIgnored = 103,
};

constexpr int number(Text text) { return static_cast<int>(text); }

}  // namespace tessary::lobby
