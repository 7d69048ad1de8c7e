// SPDX-License-Identifier: MIT
// GalleryJob: everything one gallery run needs, gathered from the windows when it starts.
#pragma once

#include "gallery/Color.h"

#include <string>
#include <vector>

namespace kameola {

// A job's defaults and the ranges its numbers keep to; the windows and the batch front
// end (its parser and its help) take them from here.
struct IntRange {
    int Min;
    int Max;
    constexpr bool Contains(int value) const { return value >= Min && value <= Max; }
};
inline constexpr char kDefaultPageName[] = "index.htm";
inline constexpr char kDefaultTitle[] = "画像一覧";
inline constexpr int kDefaultColumns = 8;
inline constexpr IntRange kColumnsRange{1, 100};
inline constexpr int kDefaultThumbWidth = 100;
inline constexpr IntRange kThumbWidthRange{1, 32767};

// One row of the main window's file list.
struct GalleryEntry {
    std::string Path;      // full path exactly as it was added
    std::string SizeText;  // size in bytes when added; shown only, never used by the run
};

// What the style dialog holds.
struct PageStyle {
    std::string FontFace;  // the front ends start it at DefaultPageFace()
    Color TextColor = 0x000000;
    Color BackgroundColor = 0xFFFFFF;
    std::string BackgroundImage;  // empty means none
    bool StyleChanged = false;    // decides whether the page gets a FONT element
};

struct GalleryJob {
    std::vector<GalleryEntry> Entries;  // page order
    std::string OutputDir;              // as typed; may or may not end with a separator
    std::string PageName = kDefaultPageName;
    std::string Title = kDefaultTitle;
    int Columns = kDefaultColumns;        // in kColumnsRange
    int ThumbWidth = kDefaultThumbWidth;  // in kThumbWidthRange
    bool MakeSmallImages = false;
    bool ShowFileNames = false;
    bool NumberEntries = false;
    bool LinkInPlace = false;
    // Batch front end only: small images of PNG, WebP, GIF and AVIF files, shown in their
    // cells, whatever MakeSmallImages says.
    bool SmallWebImages = false;
    PageStyle Style;
};

} // namespace kameola
