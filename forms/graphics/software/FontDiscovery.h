#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "FontMetrics.h"

// Where the font engine's faces come from: the index of Windows bitmap fonts (.fon),
// which fontconfig does not offer, and fontconfig's match for everything else.
namespace forms {

// One size of a Windows bitmap font family (one face of a .fon file).
struct Strike : fontmetrics::StrikeCell {
    std::string family;  // lower case
    std::string path;
    FT_Long index = 0;
    bool bold = false;
    bool italic = false;
    bool dpi96 = false;
};

// The strikes of a family for a Windows height (not 0): the one of exactly that size
// (character height for a negative height, cell for a positive one) that best fits
// the style, preferring 96 dpi, and the one nearest in size, the larger on a tie.
// Either is null when the family has none.
struct StrikeChoice {
    const Strike* exact = nullptr;
    const Strike* nearest = nullptr;
};
StrikeChoice ChooseStrike(const std::vector<Strike>& strikes, const std::string& family, int32_t height, bool bold,
                          bool italic);

// A face as fontconfig matched it.
struct FontMatch {
    std::string path;
    int index = 0;
    bool bold = false;
    bool italic = false;
};

class FontDiscovery {
public:
    FontDiscovery() = default;
    ~FontDiscovery();
    FontDiscovery(const FontDiscovery&) = delete;
    FontDiscovery& operator=(const FontDiscovery&) = delete;

    // Every Western (Windows-1252) strike in the folders that Wine's fonts package
    // installs, indexed with `library` on first use, in file name order.
    const std::vector<Strike>& Strikes(FT_Library library);

    // The face fontconfig prefers for a family and style; with a code point, only a
    // face that has it.
    std::optional<FontMatch> Match(const std::string& family, bool bold, bool italic, char32_t codepoint);

private:
    void IndexFon(FT_Library library, const std::string& path);

    bool indexed_ = false;
    std::vector<Strike> strikes_;
    FcConfig* fontconfig_ = nullptr;
    bool fontconfigTried_ = false;
};

// A name in lower case (ASCII), as families and file extensions are compared.
std::string Lower(std::string_view s);

}  // namespace forms
