// The defaults written into a new CONFIG.INI.
#pragma once

namespace tessary::artgen {

// The local reference service's Router (tessaryd run without arguments).
inline constexpr const char* kDefaultRouterHost = "127.0.0.1";
inline constexpr int kDefaultRouterPort = 7000;

// The web pages of the main window's commands and logo button, section WEB.
inline constexpr const char* kDefaultHomePage = "https://www.tessary.example/";
inline constexpr const char* kDefaultGameInfoPage = "https://www.tessary.example/game_info.html";
inline constexpr const char* kDefaultMakerSite = "https://www.quillon.example/";

// Stock player photos written to data/Picture/1.jpg ... and named by NBPICTURE.
inline constexpr int kStockPhotoCount = 12;

}  // namespace tessary::artgen
