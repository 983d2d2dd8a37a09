#include "FontDiscovery.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include <dirent.h>

#include FT_WINFONTS_H

namespace forms {
namespace {

// Where Debian's fonts-wine (and Wine's own installs) keep the Windows bitmap fonts.
const char* const kBitmapFontDirs[] = {"/usr/share/wine/fonts", "/usr/local/share/wine/fonts",
                                       "/opt/wine-stable/share/wine/fonts"};

}  // namespace

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

StrikeChoice ChooseStrike(const std::vector<Strike>& strikes, const std::string& family, int32_t height, bool bold,
                          bool italic) {
    StrikeChoice choice;
    auto size = [&](const Strike& s) { return height < 0 ? s.Em() : s.height; };
    const int32_t wanted = height < 0 ? -height : height;
    auto score = [&](const Strike& s) { return (s.bold == bold) * 4 + (s.italic == italic) * 2 + s.dpi96; };
    for (const Strike& s : strikes) {
        if (s.family != family) continue;
        if (size(s) == wanted && (!choice.exact || score(s) > score(*choice.exact))) choice.exact = &s;
        const int32_t d = std::abs(size(s) - wanted);
        if (!choice.nearest || d < std::abs(size(*choice.nearest) - wanted) ||
            (d == std::abs(size(*choice.nearest) - wanted) && size(s) > size(*choice.nearest)))
            choice.nearest = &s;
    }
    return choice;
}

FontDiscovery::~FontDiscovery() {
    if (fontconfig_) FcConfigDestroy(fontconfig_);
}

const std::vector<Strike>& FontDiscovery::Strikes(FT_Library library) {
    if (indexed_) return strikes_;
    indexed_ = true;
    if (!library) return strikes_;
    for (const char* dir : kBitmapFontDirs) {
        DIR* d = opendir(dir);
        if (!d) continue;
        std::vector<std::string> files;
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".fon")
                files.push_back(std::string(dir) + "/" + name);
        }
        closedir(d);
        std::sort(files.begin(), files.end());
        for (const std::string& path : files) IndexFon(library, path);
    }
    return strikes_;
}

void FontDiscovery::IndexFon(FT_Library library, const std::string& path) {
    for (FT_Long i = 0, n = 1; i < n; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), i, &face) != 0) return;
        n = face->num_faces;
        FT_WinFNT_HeaderRec h;
        // Only the Western code page: other scripts come through the fallback fonts.
        if (FT_Get_WinFNT_Header(face, &h) == 0 && h.charset == FT_WinFNT_ID_CP1252 && face->family_name &&
            h.pixel_height > 0) {
            Strike s;
            s.family = Lower(face->family_name);
            s.path = path;
            s.index = i;
            s.height = h.pixel_height;
            s.ascent = h.ascent;
            s.internalLeading = h.internal_leading;
            s.bold = h.weight >= 600;
            s.italic = h.italic != 0;
            s.dpi96 = h.vertical_resolution == 96;
            strikes_.push_back(std::move(s));
        }
        FT_Done_Face(face);
    }
}

std::optional<FontMatch> FontDiscovery::Match(const std::string& family, bool bold, bool italic, char32_t codepoint) {
    if (!fontconfigTried_) {
        fontconfigTried_ = true;
        fontconfig_ = FcInitLoadConfigAndFonts();
    }
    FcConfig* config = fontconfig_;
    if (!config) return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (codepoint) {
        FcCharSet* wanted = FcCharSetCreate();
        FcCharSetAddChar(wanted, codepoint);
        FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
        FcCharSetDestroy(wanted);
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found) return std::nullopt;
    std::optional<FontMatch> out;
    FcChar8* file = nullptr;
    FcCharSet* has = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch &&
        (!codepoint ||
         (FcPatternGetCharSet(found, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, codepoint)))) {
        FontMatch m;
        m.path = reinterpret_cast<const char*>(file);
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(found, FC_SLANT, 0, &slant);
        m.bold = weight >= FC_WEIGHT_DEMIBOLD;
        m.italic = slant != FC_SLANT_ROMAN;
        out = std::move(m);
    }
    FcPatternDestroy(found);
    return out;
}

}  // namespace forms
