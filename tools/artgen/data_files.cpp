// The lobby's text data: the numbered texts, the country list, the font list
// with its fonts, and the default settings file.
#include <QString>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "artgen.h"
#include "default_settings.h"
#include "skin/scramble.h"

namespace tessary::artgen {
namespace {

// Source text is UTF-8; the lobby's files are Windows-1252.
std::string ansi(const char* utf8) {
    return QString::fromUtf8(utf8).toLatin1().toStdString();
}

// Every numbered text the lobby shows. "%s" and "%d" are filled by the caller;
// a backslash and n is a line break.
constexpr std::pair<int, const char*> kTexts[] = {
    {1, "TSClient"},
    {2, "Please fill in every field."},
    {3, "Account"},
    {4, "The two passwords differ. Please type the password again."},
    {6, "Choosing a stock photo replaces the photo you sent.\\nContinue?"},
    {7, "Photo"},
    {8,
     "Your own photo must be a .bmp, .gif or .jpg picture of at most 20,480 bytes.\\nChoose a file "
     "now?"},
    {9, "Send your own photo"},
    {10, "This kind of file cannot be used.\\nPlease choose a .bmp, .gif or .jpg picture."},
    {11, "Choose a photo"},
    {12, "This picture is too large: a photo may be at most 20,480 bytes."},
    {13, "Your photo will be sent when you save your account."},
    {14, "Please select an arena first."},
    {15, "Arena"},
    {16, "There is no arena of that name."},
    {17, "The connection to the arena failed."},
    {18,
     "This arena cannot be joined yet: its ping is not measured or is too high.\\nPlease wait a "
     "moment or choose another arena."},
    {19, "The picture\\n%s\\ncannot be opened. TSClient will close."},
    {20, "The picture\\n%s\\nis not a readable bitmap. TSClient will close."},
    {21, "Arena"},
    {22, "The command /%s needs a name."},
    {23, "Unknown command: /%s"},
    {24, "/%s: there is no player named %s in this arena."},
    {25, "Leave the session "},
    {26, "Close the chat with "},
    {27, "%s joined the session."},
    {28, "%s left the session."},
    {29, "%s entered the arena."},
    {30, "%s left the arena."},
    {31, "Font %d"},
    {32, "Chat colour..."},
    {33, "Chat font..."},
    {34, "Save this conversation"},
    {35, "Fatal error"},
    {36, "The file\\n%s\\ncannot be opened. TSClient will close."},
    {37, "The file\\n%s\\nis damaged or too long. TSClient will close."},
    {38, "The update could not be downloaded or started."},
    {39, "The game cannot be started: the link with the games is not ready."},
    {40,
     "The service library libTSClient.so is missing or incomplete.\\nPlease install TSClient "
     "again."},
    {41, "Please select the buddies to remove first."},
    {42, "Buddies"},
    {43, "Do you really want to remove "},
    {44, "The Tessary service cannot be reached.\\nPlease check your connection and try again."},
    {45, "Connection"},
    {46, "The link with the games cannot be set up.\\nIs another TSClient already running?"},
    {47, "A new version of TSClient is required.\\nDownload it now?"},
    {48, "Update"},
    {49, "A new version of TSClient is available.\\nDownload it now?"},
    {50, "No program is set up to open this link."},
    {51, "Please select a session first."},
    {52, "The connection to the arena was lost."},
    {53, "Welcome to the arena %s."},
    {54, "You have left the arena."},
    {55, "Please select a player first."},
    {56, "Player information"},
    {57, "Join a session"},
    {58, "Private chat"},
    {59, "Page"},
    {60, "Information on %s"},
    {61, "Add %s to my buddies"},
    {62, "Chat privately with %s"},
    {63, "Close the chat with %s"},
    {64, "Page %s"},
    {65, "Join the session of %s"},
    {67, "Pictures (*.bmp *.gif *.jpg)"},
    {68, "Player search"},
    {69, "Please type the name of the player to find."},
    {70, "The arena of this player cannot be joined."},
    {71, "No player of that name is connected."},
    {72, "You are in the session %s.\\nLeave it and join this one?"},
    {73, "Join a session"},
    {74, "Please select a session first."},
    {75, "Session information"},
    {76, "Join a session"},
    {77, "Leave the session"},
    {78, "The game %s is still running.\\nStart the new game anyway?"},
    {79, "Your version of this game cannot play this session."},
    {80, "Join a session"},
    {81, "The options of this session cannot be shown by your version of the game."},
    {82, "Session "},
    {83, "Please give the session a name."},
    {84, "Create a session"},
    {85, "Please choose a number from %d to %d."},
    {86, "Some options are missing. Please fill in every option."},
    {87, "The game could not be started."},
    {88, "TSClient 1.0 for Linux"},
    {89, "Leave this session"},
    {90, "Join this session"},
    {91, "Session information"},
    {92, "Players:"},
    {93, "Cancel"},
    {94, "Red"},
    {95, "Green"},
    {96, "Blue"},
    // The lobby's own ignore list.
    {97, "%s is ignored: their chat and pages are not shown."},
    {98, "%s is no longer ignored."},
    {99, "You ignore: %s"},
    {100, "You ignore nobody."},
    {101, "Ignore %s"},
    {102, "Stop ignoring %s"},
    {103, "%s was not ignored."},
};

constexpr const char* kCountries[] = {
    "Afghanistan",
    "Albania",
    "Algeria",
    "Andorra",
    "Angola",
    "Antigua and Barbuda",
    "Argentina",
    "Armenia",
    "Australia",
    "Austria",
    "Azerbaijan",
    "Bahamas",
    "Bahrain",
    "Bangladesh",
    "Barbados",
    "Belarus",
    "Belgium",
    "Belize",
    "Benin",
    "Bhutan",
    "Bolivia",
    "Bosnia and Herzegovina",
    "Botswana",
    "Brazil",
    "Brunei",
    "Bulgaria",
    "Burkina Faso",
    "Burundi",
    "Cabo Verde",
    "Cambodia",
    "Cameroon",
    "Canada",
    "Central African Republic",
    "Chad",
    "Chile",
    "China",
    "Colombia",
    "Comoros",
    "Congo",
    "Costa Rica",
    "Côte d'Ivoire",
    "Croatia",
    "Cuba",
    "Cyprus",
    "Czechia",
    "Democratic Republic of the Congo",
    "Denmark",
    "Djibouti",
    "Dominica",
    "Dominican Republic",
    "Ecuador",
    "Egypt",
    "El Salvador",
    "Equatorial Guinea",
    "Eritrea",
    "Estonia",
    "Eswatini",
    "Ethiopia",
    "Fiji",
    "Finland",
    "France",
    "Gabon",
    "Gambia",
    "Georgia",
    "Germany",
    "Ghana",
    "Greece",
    "Grenada",
    "Guatemala",
    "Guinea",
    "Guinea-Bissau",
    "Guyana",
    "Haiti",
    "Honduras",
    "Hong Kong",
    "Hungary",
    "Iceland",
    "India",
    "Indonesia",
    "Iran",
    "Iraq",
    "Ireland",
    "Israel",
    "Italy",
    "Jamaica",
    "Japan",
    "Jordan",
    "Kazakhstan",
    "Kenya",
    "Kiribati",
    "Kosovo",
    "Kuwait",
    "Kyrgyzstan",
    "Laos",
    "Latvia",
    "Lebanon",
    "Lesotho",
    "Liberia",
    "Libya",
    "Liechtenstein",
    "Lithuania",
    "Luxembourg",
    "Madagascar",
    "Malawi",
    "Malaysia",
    "Maldives",
    "Mali",
    "Malta",
    "Marshall Islands",
    "Mauritania",
    "Mauritius",
    "Mexico",
    "Micronesia",
    "Moldova",
    "Monaco",
    "Mongolia",
    "Montenegro",
    "Morocco",
    "Mozambique",
    "Myanmar",
    "Namibia",
    "Nauru",
    "Nepal",
    "Netherlands",
    "New Zealand",
    "Nicaragua",
    "Niger",
    "Nigeria",
    "North Korea",
    "North Macedonia",
    "Norway",
    "Oman",
    "Pakistan",
    "Palau",
    "Palestine",
    "Panama",
    "Papua New Guinea",
    "Paraguay",
    "Peru",
    "Philippines",
    "Poland",
    "Portugal",
    "Puerto Rico",
    "Qatar",
    "Romania",
    "Russia",
    "Rwanda",
    "Saint Kitts and Nevis",
    "Saint Lucia",
    "Saint Vincent and the Grenadines",
    "Samoa",
    "San Marino",
    "São Tomé and Príncipe",
    "Saudi Arabia",
    "Senegal",
    "Serbia",
    "Seychelles",
    "Sierra Leone",
    "Singapore",
    "Slovakia",
    "Slovenia",
    "Solomon Islands",
    "Somalia",
    "South Africa",
    "South Korea",
    "South Sudan",
    "Spain",
    "Sri Lanka",
    "Sudan",
    "Suriname",
    "Sweden",
    "Switzerland",
    "Syria",
    "Taiwan",
    "Tajikistan",
    "Tanzania",
    "Thailand",
    "Timor-Leste",
    "Togo",
    "Tonga",
    "Trinidad and Tobago",
    "Tunisia",
    "Turkey",
    "Turkmenistan",
    "Tuvalu",
    "Uganda",
    "Ukraine",
    "United Arab Emirates",
    "United Kingdom",
    "United States",
    "Uruguay",
    "Uzbekistan",
    "Vanuatu",
    "Vatican City",
    "Venezuela",
    "Vietnam",
    "Yemen",
    "Zambia",
    "Zimbabwe",
};

struct FontFile {
    int height;
    const char* file;
    const char* face;
};

// Font 0 is every control's default; font 1 the news panel's; all of them are
// offered as chat fonts.
constexpr FontFile kFonts[] = {
    {13, "DejaVuSans.ttf", "DejaVu Sans"},
    {13, "DejaVuSansCondensed.ttf", "DejaVu Sans Condensed"},
    {15, "DejaVuSerif.ttf", "DejaVu Serif"},
    {14, "DejaVuSansMono.ttf", "DejaVu Sans Mono"},
    {17, "DejaVuSans.ttf", "DejaVu Sans"},
};

std::string token(std::string text) {
    for (char& c : text) {
        if (c == ' ') c = '|';
    }
    return text;
}

void writeScrambled(ArtWriter& out, std::string_view relative, std::string text) {
    if (text.size() > skin::kMaxScrambledSize) throw std::runtime_error("scrambled file too long");
    skin::scramble(text);
    out.writeText(relative, text);
}

}  // namespace

void writeDataFiles(ArtWriter& out, const std::filesystem::path& fontSource) {
    std::ostringstream strings;
    for (const auto& [number, text] : kTexts) strings << number << ':' << ansi(text) << '\n';
    out.writeText("data/strings.bin", strings.str());

    std::ostringstream countries;
    countries << "[START]\n" << std::size(kCountries) << '\n';
    for (const char* name : kCountries) countries << token(ansi(name)) << '\n';
    writeScrambled(out, "data/country.bin", countries.str());

    std::ostringstream fonts;
    fonts << "; The lobby's fonts: height, file in this folder (or none), face.\n"
          << "[FONT]\n"
          << std::size(kFonts) << '\n';
    for (const FontFile& font : kFonts) {
        fonts << font.height << ' ' << font.file << ' ' << token(font.face) << '\n';
        std::filesystem::path target = out.root() / "data/font" / font.file;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(fontSource / font.file, target,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    out.writeText("data/font/font.ini", fonts.str());

    std::ostringstream config;
    config << "[SOUND]\n1\n"
           << "[ROUTER]\n"
           << kDefaultRouterHost << ' ' << kDefaultRouterPort << '\n'
           << "[NBPICTURE]\n"
           << kStockPhotoCount << '\n'
           << "[USERINFO]\nDUMMY DUMMY\n"
           << "[PLAYERCOLOR]\n200 220 255\n"
           << "[FONT]\n0\n"
           << "[BUDDY]\n0\n"
           << "[WEB]\n"
           << kDefaultHomePage << ' ' << kDefaultGameInfoPage << ' ' << kDefaultMakerSite << '\n';
    writeScrambled(out, "CONFIG.INI", config.str());
}

}  // namespace tessary::artgen
