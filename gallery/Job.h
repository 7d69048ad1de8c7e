// GalleryJob: everything one gallery run needs, gathered from the windows when it starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kameola {

// A 24-bit colour held as 0x00BBGGRR (red in the lowest byte).
using Color = std::uint32_t;

// One row of the main window's file list.
struct GalleryEntry {
    std::string Path;      // full path exactly as it was added
    std::string SizeText;  // size in bytes when added; shown only, never used by the run
};

// What the style dialog holds.
struct PageStyle {
    std::string FontFace = "ＭＳ Ｐゴシック";
    Color TextColor = 0x000000;
    Color BackgroundColor = 0xFFFFFF;
    std::string BackgroundImage;  // empty means none
    bool StyleChanged = false;    // decides whether the page gets a FONT element
};

struct GalleryJob {
    std::vector<GalleryEntry> Entries;  // page order
    std::string OutputDir;              // as typed; may or may not end with a separator
    std::string PageName = "index.htm";
    std::string Title = "画像一覧";
    int Columns = 8;       // 1..100
    int ThumbWidth = 100;  // 1..32767
    bool MakeSmallImages = false;
    bool ShowFileNames = false;
    bool NumberEntries = false;
    bool LinkInPlace = false;
    PageStyle Style;
};

} // namespace kameola
