// The program's icon (resource 8001): a straight Morse key under the dahs and
// dits of "Z", as XPM text so that the core needs no image library.

#include "resources/templates.h"

namespace zt {

namespace {

// clang-format off
const char* const kIconRows[] = {
    // width height colours chars-per-pixel
    "32 32 8 1",
    ". c #1B2A49", // tile
    "+ c #F2A900", // dahs and dits
    "@ c #C8CCD4", // lever, contact, trunnion
    "# c #101418", // shadow under the base
    "o c #B8860B", // brass base
    "- c #D9826F", // knob highlight
    "k c #9C2F25", // knob
    "  c None",   // transparent corners
    "    ........................    ",
    "  ............................  ",
    " .............................. ",
    " .............................. ",
    ".....++++++..++++++..+++..+++...",
    ".....++++++..++++++..+++..+++...",
    ".....++++++..++++++..+++..+++...",
    "................................",
    "................................",
    "................................",
    "................................",
    "........kkkkkk..................",
    "......kk---kkkkk................",
    ".....kkkkkkkkkkkk...............",
    ".....kkkkkkkkkkkk...............",
    "......kkkkkkkkkk................",
    "........kkkkkk..................",
    ".......@@@@@@@@@@@@@@@@@@@@@....",
    ".......@@@@@@@@@@@@@@@@@@@@@....",
    "....................@@@.........",
    "...................@@@@@........",
    "..........@@.......@@@@@........",
    "..........@@.......@@@@@........",
    "..........@@.......@@@@@........",
    "..........@@.......@@@@@........",
    "....oooooooooooooooooooooooo....",
    "....oooooooooooooooooooooooo....",
    "....oooooooooooooooooooooooo....",
    " ....######################.... ",
    " .............................. ",
    "  ............................  ",
    "    ........................    ",
};
// clang-format on

}  // namespace

const char* const* const kIconXpm = kIconRows;

}  // namespace zt
