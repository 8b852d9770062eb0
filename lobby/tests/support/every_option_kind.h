// Test data shared by the option-control tests with and without windows: a
// session window's config.tsc with every option kind, placed for the 500 x 400
// fallback window.
#pragma once

namespace tessary::lobby::testing {

// Two pages with every kind; the CHECKBOX's second box nests another one.
inline constexpr const char* kEveryOptionKind = R"([FULLNAME]
name=Every kind
[SPECTATOR]
330 92 380 110 0 3
[TEXTCOLOR]
0 200 255
[PAGE_INFO]
2
7
TEXT 20 130 120 148 Caption|one
LIST 130 130 250 190 3 Small Large Very|large
EDIT 260 130 380 148
EDITDEFAULT 260 160 380 178 Joe|Bloggs
SPIN 390 130 450 148 2 8 20
ONOFF 390 160 406 176 1
BITLIST 20 200 140 300 2 red r.bmp blue b.bmp
5
TEXTRGB 20 130 120 148 Colour 0 200 0
LISTDEFAULT 130 130 250 190 3 a b c 2 1
DIRLIST 260 130 380 190 maps map
CHECKBOX 20 200 36 216 2 1
1 SPIN 60 200 120 218 0 9 3
20 230 36 246 2 ONOFF 60 230 76 246 0 CHECKBOX 100 230 116 246 2 2
0
140 230 156 246 1 EDITDEFAULT 180 230 300 248 deep
LIST 260 260 380 300 1 last
[BUTTON]
150 62 330 80
150 92 200 110 2 4
476 8 492 24
380 352 500 382
20 352 140 382
140 352 260 382
270 355 298 379
302 355 330 379
)";

}  // namespace tessary::lobby::testing
