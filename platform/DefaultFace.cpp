// SPDX-License-Identifier: MIT
// The page's default font face, looked up through fontconfig.
#include "platform/DefaultFace.h"

#include <fontconfig/fontconfig.h>
#include <memory>

namespace kameola {

namespace {

constexpr const char* kDefaultFace = "ＭＳ Ｐゴシック";

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};

// Whether the configuration lists a font of exactly this family (no substitutes).
bool FamilyListed(const char* family)
{
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config)
        return false;
    std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    if (!pattern || !objects ||
        !FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family)))
        return false;
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
        FcFontList(config.get(), pattern.get(), objects.get()));
    return fonts && fonts->nfont > 0;
}

} // namespace

std::string DefaultPageFace()
{
    return FamilyListed(kDefaultFace) ? kDefaultFace : std::string();
}

} // namespace kameola
