// The report icons 136, 137, 138 and 153, and the program's icon 128.

#include "platform/paint/bitmap_resource.h"

#include "res/resource.h"

#include <array>

namespace {

constexpr std::array kReportPalette{
    PaletteEntry{'.', kWhite},
    PaletteEntry{'r', Color{255, 0, 0}},
    PaletteEntry{'b', Color{0, 0, 255}},
    PaletteEntry{'k', kBlack},
};

// Value below the goal: a short red bar over a full blue one.
constexpr std::array<std::string_view, 16> kBelowGoal{
    "................",
    "................",
    "................",
    "................",
    "rrrrrrrrrr......",
    "rrrrrrrrrr......",
    "rrrrrrrrrr......",
    "rrrrrrrrrr......",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "................",
    "................",
    "................",
    "................",
};

// Value at the goal or within its range: both bars full width.
constexpr std::array<std::string_view, 16> kAtGoal{
    "................",
    "................",
    "................",
    "................",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "bbbbbbbbbbbbbbbb",
    "................",
    "................",
    "................",
    "................",
};

// Value above the goal: a full red bar over a shorter blue one.
constexpr std::array<std::string_view, 16> kAboveGoal{
    "................",
    "................",
    "................",
    "................",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrr",
    "bbbbbbbbbbb.....",
    "bbbbbbbbbbb.....",
    "bbbbbbbbbbb.....",
    "bbbbbbbbbbb.....",
    "................",
    "................",
    "................",
    "................",
};

// Heading line: a black dot in the middle.
constexpr std::array<std::string_view, 16> kHeading{
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    ".......kk.......",
    "......kkkk......",
    "......kkkk......",
    ".......kk.......",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
};

constexpr std::array kIconPalette{
    PaletteEntry{'.', kWhite, true},
    PaletteEntry{'k', Color{40, 40, 64}},     // glass outline
    PaletteEntry{'w', Color{246, 250, 255}},  // glass
    PaletteEntry{'g', Color{200, 224, 242}},  // glass shine
    PaletteEntry{'r', Color{214, 32, 44}},    // sample
    PaletteEntry{'R', Color{160, 20, 30}},    // sample, shaded
    PaletteEntry{'p', Color{240, 120, 128}},  // sample, light
    PaletteEntry{'n', kNavy},                 // chart axes
    PaletteEntry{'b', Color{40, 96, 210}},    // chart bars
};

// A test tube beside a small rising bar chart.
constexpr std::array<std::string_view, 32> kVantrelIcon{
    "................................",
    "..kkkkkkkkkkkk..................",
    "..kwwwwwwwwwwk..................",
    "..kkkkkkkkkkkk..................",
    "....kggwwwwk....................",
    "....kggwwwwk....................",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n...............",
    "....kggwwwwk....n.........bbb...",
    "....kggwwwwk....n.........bbb...",
    "....kggwwwwk....n.........bbb...",
    "....kRRRRRRk....n.........bbb...",
    "....krRrrprk....n.........bbb...",
    "....krRrrprk....n.....bbb.bbb...",
    "....krRrrprk....n.....bbb.bbb...",
    "....krRrrprk....n.....bbb.bbb...",
    "....krRrrprk....n.....bbb.bbb...",
    "....krRrrprk....n.....bbb.bbb...",
    "....krRrrprk....n.bbb.bbb.bbb...",
    "....krRrrprk....n.bbb.bbb.bbb...",
    "....krRrrprk....n.bbb.bbb.bbb...",
    "....krRrrprk....n.bbb.bbb.bbb...",
    "....krRrrrrk....n.bbb.bbb.bbb...",
    ".....krrrrk.....n.bbb.bbb.bbb...",
    "......krrk......n.bbb.bbb.bbb...",
    ".......kk.......nnnnnnnnnnnnnnn.",
    "................................",
    "................................",
};

constexpr std::array kBitmaps{
    BitmapResource{IDB_BELOW_GOAL, 16, 16, kBelowGoal, kReportPalette},
    BitmapResource{IDB_AT_GOAL, 16, 16, kAtGoal, kReportPalette},
    BitmapResource{IDB_ABOVE_GOAL, 16, 16, kAboveGoal, kReportPalette},
    BitmapResource{IDB_HEADING, 16, 16, kHeading, kReportPalette},
};

constexpr std::array kIcons{
    BitmapResource{IDI_VANTREL, 32, 32, kVantrelIcon, kIconPalette},
};

template <std::size_t N>
const BitmapResource* FindIn(const std::array<BitmapResource, N>& table, int id) {
    for (const BitmapResource& b : table) {
        if (b.id == id) return &b;
    }
    return nullptr;
}

}  // namespace

const BitmapResource* FindBitmap(int id) { return FindIn(kBitmaps, id); }
const BitmapResource* FindIcon(int id) { return FindIn(kIcons, id); }
