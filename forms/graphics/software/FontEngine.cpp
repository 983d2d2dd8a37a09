#include "FontEngine.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include FT_WINFONTS_H

namespace forms {
namespace {

// Where Debian's fonts-wine (and Wine's own installs) keep the Windows bitmap fonts.
const char* const kBitmapFontDirs[] = {"/usr/share/wine/fonts", "/usr/local/share/wine/fonts",
                                       "/opt/wine-stable/share/wine/fonts"};

// The last resort when fontconfig offers nothing: fonts-dejavu-core's sans.
const char* const kLastResortFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Height 0 asks for the default size, taken here as 8 points at 96 dpi.
constexpr int32_t kDefaultEm = 11;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// a / b rounded half up, for b > 0.
int32_t RoundDiv(int64_t a, int64_t b) {
    const int64_t n = 2 * a + b, d = 2 * b;
    return static_cast<int32_t>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

// The Windows-1252 byte for a code point, or 0 when the code page has none.
uint8_t ToCp1252(char32_t c) {
    if ((c >= 0x20 && c < 0x80) || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
    static const char16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (k80[i] != 0 && k80[i] == c) return static_cast<uint8_t>(0x80 + i);
    return 0;
}

// One size of a Windows bitmap font family (one face of a .fon file).
struct TStrike {
    std::string family;  // lower case
    std::string path;
    FT_Long index = 0;
    int32_t height = 0;  // the cell
    int32_t ascent = 0;
    int32_t internalLeading = 0;
    bool bold = false;
    bool italic = false;
    bool dpi96 = false;

    int32_t Em() const { return height - internalLeading; }
};

// A face as fontconfig matched it.
struct TMatch {
    std::string path;
    int index = 0;
    bool bold = false;
    bool italic = false;
};

// What draws a glyph: a face at this font's size, and the styles it must synthesise.
struct TGlyphSource {
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    bool codePage1252 = false;  // a bitmap font indexed by Windows-1252 bytes
    bool synthBold = false;
    bool synthItalic = false;
};

void BitmapDecorations(TFontMetrics& m) {
    // Bitmap fonts carry no underline data: the line sits on the row below the
    // baseline, the strike-out half the ascent above it, both ascent / 20 + 1 rows thick.
    m.underlineSize = m.ascent / 20 + 1;
    m.underlineTop = m.ascent - m.underlineSize / 2;
    m.strikeOutSize = m.underlineSize;
    m.strikeOutTop = m.ascent - (m.ascent / 2 + m.strikeOutSize / 2);
}

void OutlineDecorations(FT_Face face, int32_t ppem, TFontMetrics& m) {
    const int64_t upem = face->units_per_EM;
    if (upem <= 0 || face->underline_thickness <= 0) {
        BitmapDecorations(m);
        return;
    }
    const int32_t pos = RoundDiv(int64_t{face->underline_position} * ppem, upem);  // up from the baseline
    m.underlineSize = std::max(1, RoundDiv(int64_t{face->underline_thickness} * ppem, upem));
    m.underlineTop = m.ascent - (pos + m.underlineSize / 2);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        const int32_t spos = RoundDiv(int64_t{os2->yStrikeoutPosition} * ppem, upem);
        m.strikeOutSize = std::max(1, RoundDiv(int64_t{os2->yStrikeoutSize} * ppem, upem));
        m.strikeOutTop = m.ascent - (spos + m.strikeOutSize / 2);
    } else {
        m.strikeOutSize = m.underlineSize;
        m.strikeOutTop = m.ascent - (m.ascent / 2 + m.strikeOutSize / 2);
    }
}

// Ascent and descent in font units, as Windows reads them (OS/2 usWin*, else hhea).
std::pair<int64_t, int64_t> WinAscentDescent(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return {os2->usWinAscent, os2->usWinDescent};
    return {face->ascender, -face->descender};
}

// The rows of a rendered FreeType bitmap as a one-byte-per-pixel mask.
std::vector<uint8_t> MaskOf(const FT_Bitmap& bm) {
    const int32_t w = static_cast<int32_t>(bm.width), h = static_cast<int32_t>(bm.rows);
    std::vector<uint8_t> mask(static_cast<size_t>(w) * static_cast<size_t>(h));
    const int32_t pitch = bm.pitch;
    const uint8_t* top = pitch >= 0 ? bm.buffer : bm.buffer + static_cast<ptrdiff_t>(h - 1) * -pitch;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = top + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < w; ++x) {
            bool on = false;
            switch (bm.pixel_mode) {
                case FT_PIXEL_MODE_MONO: on = (row[x >> 3] & (0x80 >> (x & 7))) != 0; break;
                case FT_PIXEL_MODE_GRAY: on = row[x] >= 128; break;
                case FT_PIXEL_MODE_BGRA: on = row[4 * x + 3] >= 128; break;
                default: on = false; break;
            }
            mask[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = on ? 1 : 0;
        }
    }
    return mask;
}

// Windows' bold for fonts without a bold face: the glyph drawn a second time one
// pixel to the right, and one more pixel of advance.
void Embolden(TGlyph& g) {
    if (g.width > 0 && g.height > 0) {
        const int32_t w = g.width + 1;
        std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(g.height));
        for (int32_t y = 0; y < g.height; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint8_t* row = g.mask.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width);
                const bool on = (x < g.width && row[x]) || (x > 0 && row[x - 1]);
                out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = on ? 1 : 0;
            }
        g.mask = std::move(out);
        g.width = w;
    }
    g.advance += 1;
}

// Slant for bitmap glyphs without an italic face: one pixel to the right for every
// two rows above the baseline (and to the left below it). The advance is kept.
void Shear(TGlyph& g, int32_t ascent) {
    if (g.width <= 0 || g.height <= 0) return;
    auto shift = [&](int32_t row) {
        const int32_t d = ascent - 1 - (g.top + row);
        return d >= 0 ? d / 2 : -((-d + 1) / 2);
    };
    const int32_t lo = std::min(shift(0), shift(g.height - 1)), hi = std::max(shift(0), shift(g.height - 1));
    const int32_t w = g.width + hi - lo;
    std::vector<uint8_t> out(static_cast<size_t>(w) * static_cast<size_t>(g.height), 0);
    for (int32_t y = 0; y < g.height; ++y) {
        const int32_t dx = shift(y) - lo;
        for (int32_t x = 0; x < g.width; ++x)
            out[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x + dx)] =
                g.mask[static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)];
    }
    g.mask = std::move(out);
    g.width = w;
    g.left += lo;
}

}  // namespace

struct TFontEngine::TImpl {
    FT_Library library = nullptr;
    bool bitmapFontsIndexed = false;
    std::vector<TStrike> strikes;
    FcConfig* fontconfig = nullptr;
    bool fontconfigTried = false;
    std::map<std::string, FT_Face> faces;  // by "path#index"
    std::map<std::string, std::unique_ptr<TRasterFont>> fonts;
    size_t rendered = 0;

    ~TImpl() {
        fonts.clear();
        for (auto& f : faces) FT_Done_Face(f.second);
        if (library) FT_Done_FreeType(library);
        if (fontconfig) FcConfigDestroy(fontconfig);
    }

    FT_Library Library() {
        if (!library && FT_Init_FreeType(&library) != 0) library = nullptr;
        return library;
    }

    FT_Face OpenFace(const std::string& path, long index) {
        const std::string key = path + "#" + std::to_string(index);
        auto it = faces.find(key);
        if (it != faces.end()) return it->second;
        FT_Face face = nullptr;
        if (!Library() || FT_New_Face(library, path.c_str(), index, &face) != 0) return nullptr;
        faces.emplace(key, face);
        return face;
    }

    // A new size object of the face, made active; the caller sets its scale.
    static FT_Size NewSize(FT_Face face) {
        FT_Size size = nullptr;
        if (FT_New_Size(face, &size) != 0) return nullptr;
        FT_Activate_Size(size);
        return size;
    }

    void IndexBitmapFonts() {
        if (bitmapFontsIndexed) return;
        bitmapFontsIndexed = true;
        if (!Library()) return;
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
            for (const std::string& path : files) IndexFon(path);
        }
    }

    void IndexFon(const std::string& path) {
        for (FT_Long i = 0, n = 1; i < n; ++i) {
            FT_Face face = nullptr;
            if (FT_New_Face(library, path.c_str(), i, &face) != 0) return;
            n = face->num_faces;
            FT_WinFNT_HeaderRec h;
            // Only the Western code page: other scripts come through the fallback fonts.
            if (FT_Get_WinFNT_Header(face, &h) == 0 && h.charset == FT_WinFNT_ID_CP1252 && face->family_name &&
                h.pixel_height > 0) {
                TStrike s;
                s.family = Lower(face->family_name);
                s.path = path;
                s.index = i;
                s.height = h.pixel_height;
                s.ascent = h.ascent;
                s.internalLeading = h.internal_leading;
                s.bold = h.weight >= 600;
                s.italic = h.italic != 0;
                s.dpi96 = h.vertical_resolution == 96;
                strikes.push_back(std::move(s));
            }
            FT_Done_Face(face);
        }
    }

    FcConfig* Fontconfig() {
        if (!fontconfigTried) {
            fontconfigTried = true;
            fontconfig = FcInitLoadConfigAndFonts();
        }
        return fontconfig;
    }

    // The face fontconfig prefers for a family and style; with a code point, only a
    // face that has it.
    std::optional<TMatch> Match(const std::string& family, bool bold, bool italic, char32_t codepoint) {
        FcConfig* config = Fontconfig();
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
        std::optional<TMatch> out;
        FcChar8* file = nullptr;
        FcCharSet* has = nullptr;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch &&
            (!codepoint ||
             (FcPatternGetCharSet(found, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, codepoint)))) {
            TMatch m;
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

    std::unique_ptr<TRasterFont> Create(const TFontSpec& spec);
    std::unique_ptr<TRasterFont> FromStrike(const TStrike& s, bool bold, bool italic);
    std::unique_ptr<TRasterFont> Substitute(const TFontSpec& spec, const TStrike& nearest, int32_t em);
    std::unique_ptr<TRasterFont> FromOutline(const TFontSpec& spec);
};

namespace {

class TFreeTypeFont final : public TRasterFont {
public:
    TFreeTypeFont(TFontEngine::TImpl& engine, std::string family, bool bold, bool italic, int32_t em,
                  TGlyphSource primary, const TFontMetrics& metrics, std::string source)
        : engine_(engine), family_(std::move(family)), bold_(bold), italic_(italic), em_(em), primary_(primary) {
        metrics_ = metrics;
        // Only bitmap glyphs are slanted by whole pixels (Shear); an obliqued outline
        // stays within its advance closely enough to need none.
        const bool sheared = primary.synthItalic && primary.face && !FT_IS_SCALABLE(primary.face);
        metrics_.overhang = (primary.synthBold ? 1 : 0) + (sheared ? (metrics.ascent - 1) / 2 : 0);
        source_ = std::move(source);
    }

    ~TFreeTypeFont() override {
        if (primary_.size) FT_Done_Size(primary_.size);
        for (TGlyphSource& f : fallbacks_) FT_Done_Size(f.size);
    }

    const TGlyph& Glyph(char32_t codepoint) override {
        auto it = glyphs_.find(codepoint);
        if (it != glyphs_.end()) return it->second;
        const TGlyphSource* source = &primary_;
        FT_UInt index = CharIndex(primary_, codepoint);
        if (!index) {
            if (const TGlyphSource* f = Fallback(codepoint, index)) source = f;
        }
        // index 0 is the face's default glyph: a box, or the bitmap font's default character.
        return glyphs_.emplace(codepoint, Render(*source, index)).first->second;
    }

private:
    static FT_UInt CharIndex(const TGlyphSource& s, char32_t codepoint) {
        if (!s.face) return 0;
        if (s.codePage1252) {
            const uint8_t byte = ToCp1252(codepoint);
            return byte ? FT_Get_Char_Index(s.face, byte) : 0;
        }
        return FT_Get_Char_Index(s.face, codepoint);
    }

    const TGlyphSource* Fallback(char32_t codepoint, FT_UInt& index) {
        for (const TGlyphSource& f : fallbacks_)
            if ((index = CharIndex(f, codepoint)) != 0) return &f;
        const std::optional<TMatch> m = engine_.Match(family_, bold_, italic_, codepoint);
        if (!m) return nullptr;
        FT_Face face = engine_.OpenFace(m->path, m->index);
        if (!face || face == primary_.face) return nullptr;
        for (const TGlyphSource& f : fallbacks_)
            if (f.face == face) return nullptr;  // it was asked already and lacks the character
        TGlyphSource f;
        f.face = face;
        f.size = TFontEngine::TImpl::NewSize(face);
        if (!f.size) return nullptr;
        if (FT_IS_SCALABLE(face))
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em_));
        else if (face->num_fixed_sizes > 0)
            FT_Select_Size(face, 0);
        f.synthBold = bold_ && !m->bold;
        f.synthItalic = italic_ && !m->italic;
        fallbacks_.push_back(f);
        index = CharIndex(fallbacks_.back(), codepoint);
        return index ? &fallbacks_.back() : nullptr;
    }

    TGlyph Render(const TGlyphSource& s, FT_UInt index) {
        TGlyph g;
        if (!s.face) return g;
        FT_Activate_Size(s.size);
        if (FT_Load_Glyph(s.face, index, FT_LOAD_TARGET_MONO) != 0) return g;
        FT_GlyphSlot slot = s.face->glyph;
        const bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
        if (outline && s.synthItalic) FT_GlyphSlot_Oblique(slot);
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return g;
        ++engine_.rendered;
        g.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = metrics_.ascent - slot->bitmap_top;
        g.width = static_cast<int32_t>(slot->bitmap.width);
        g.height = static_cast<int32_t>(slot->bitmap.rows);
        g.mask = MaskOf(slot->bitmap);
        if (!outline && s.synthItalic) Shear(g, metrics_.ascent);
        if (s.synthBold) Embolden(g);
        return g;
    }

    TFontEngine::TImpl& engine_;
    std::string family_;
    bool bold_;
    bool italic_;
    int32_t em_;  // character height: what fallback faces are scaled to
    TGlyphSource primary_;
    std::vector<TGlyphSource> fallbacks_;
    std::unordered_map<char32_t, TGlyph> glyphs_;
};

}  // namespace

std::unique_ptr<TRasterFont> TFontEngine::TImpl::Create(const TFontSpec& spec) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    const int32_t height = spec.Height == 0 ? -kDefaultEm : spec.Height;
    const std::string family = Lower(spec.Name);

    IndexBitmapFonts();
    const TStrike* exact = nullptr;
    const TStrike* nearest = nullptr;
    auto size = [&](const TStrike& s) { return height < 0 ? s.Em() : s.height; };
    const int32_t wanted = height < 0 ? -height : height;
    auto score = [&](const TStrike& s) { return (s.bold == bold) * 4 + (s.italic == italic) * 2 + s.dpi96; };
    for (const TStrike& s : strikes) {
        if (s.family != family) continue;
        if (size(s) == wanted && (!exact || score(s) > score(*exact))) exact = &s;
        const int32_t d = std::abs(size(s) - wanted);
        if (!nearest || d < std::abs(size(*nearest) - wanted) ||
            (d == std::abs(size(*nearest) - wanted) && size(s) > size(*nearest)))
            nearest = &s;
    }
    if (exact) {
        if (auto f = FromStrike(*exact, bold, italic)) return f;
    }
    if (nearest) {
        const int32_t em = height < 0 ? wanted : RoundDiv(int64_t{wanted} * nearest->Em(), nearest->height);
        if (auto f = Substitute(spec, *nearest, std::max(1, em))) return f;
    }
    TFontSpec sized = spec;
    sized.Height = height;
    return FromOutline(sized);
}

std::unique_ptr<TRasterFont> TFontEngine::TImpl::FromStrike(const TStrike& s, bool bold, bool italic) {
    FT_Face face = OpenFace(s.path, s.index);
    if (!face || face->num_fixed_sizes < 1 || face->num_charmaps < 1) return nullptr;
    FT_Set_Charmap(face, face->charmaps[0]);
    TGlyphSource src;
    src.face = face;
    src.size = NewSize(face);
    if (!src.size) return nullptr;
    FT_Select_Size(face, 0);
    src.codePage1252 = true;
    src.synthBold = bold && !s.bold;
    src.synthItalic = italic && !s.italic;
    TFontMetrics m;
    m.height = s.height;
    m.ascent = s.ascent;
    BitmapDecorations(m);
    return std::make_unique<TFreeTypeFont>(*this, s.family, bold, italic, s.Em(), src, m,
                                           s.path + "#" + std::to_string(s.index) + " (" +
                                               std::to_string(s.height) + " px strike)");
}

std::unique_ptr<TRasterFont> TFontEngine::TImpl::Substitute(const TFontSpec& spec, const TStrike& nearest,
                                                            int32_t em) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    const std::optional<TMatch> match = Match(spec.Name, bold, italic, 0);
    FT_Face face = match ? OpenFace(match->path, match->index) : nullptr;
    if (!face || !FT_IS_SCALABLE(face)) return nullptr;
    TGlyphSource src;
    src.face = face;
    src.size = NewSize(face);
    if (!src.size) return nullptr;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    src.synthBold = bold && !match->bold;
    src.synthItalic = italic && !match->italic;
    TFontMetrics m;
    m.height = spec.Height > 0 ? spec.Height : em + RoundDiv(int64_t{em} * nearest.internalLeading, nearest.Em());
    m.ascent = m.height - RoundDiv(int64_t{m.height} * (nearest.height - nearest.ascent), nearest.height);
    OutlineDecorations(face, em, m);
    return std::make_unique<TFreeTypeFont>(*this, Lower(spec.Name), bold, italic, em, src, m,
                                           match->path + "#" + std::to_string(match->index) + " (" +
                                               std::to_string(em) + " ppem, in place of " + nearest.path + ")");
}

std::unique_ptr<TRasterFont> TFontEngine::TImpl::FromOutline(const TFontSpec& spec) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    TMatch match;
    if (std::optional<TMatch> m = Match(spec.Name, bold, italic, 0))
        match = *m;
    else
        match.path = kLastResortFont;
    FT_Face face = OpenFace(match.path, match.index);
    TGlyphSource src;
    TFontMetrics m;
    int32_t em = spec.Height < 0 ? -spec.Height : spec.Height;
    std::string source = match.path + "#" + std::to_string(match.index);
    if (face) src.size = NewSize(face);
    if (face && src.size) {
        src.face = face;
        src.synthBold = bold && !match.bold;
        src.synthItalic = italic && !match.italic;
        if (FT_IS_SCALABLE(face)) {
            const auto [asc, desc] = WinAscentDescent(face);
            const int64_t upem = std::max<int64_t>(face->units_per_EM, 1);
            if (spec.Height > 0) em = std::max(1, RoundDiv(int64_t{spec.Height} * upem, std::max<int64_t>(asc + desc, 1)));
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
            m.ascent = RoundDiv(asc * em, upem);
            m.height = spec.Height > 0 ? spec.Height : m.ascent + RoundDiv(desc * em, upem);
            if (spec.Height > 0) m.ascent = RoundDiv(asc * spec.Height, std::max<int64_t>(asc + desc, 1));
            OutlineDecorations(face, em, m);
            source += " (" + std::to_string(em) + " ppem)";
        } else {
            // A bitmap-only face that fontconfig offered: the strike nearest in height.
            int best = 0;
            for (int i = 1; i < face->num_fixed_sizes; ++i)
                if (std::abs(face->available_sizes[i].height - em) < std::abs(face->available_sizes[best].height - em))
                    best = i;
            FT_Select_Size(face, best);
            m.ascent = static_cast<int32_t>((face->size->metrics.ascender + 63) >> 6);
            m.height = m.ascent + static_cast<int32_t>((-face->size->metrics.descender + 63) >> 6);
            em = face->available_sizes[best].height;
            BitmapDecorations(m);
            source += " (" + std::to_string(em) + " px strike)";
        }
    } else {
        // No font at all: text measures and draws as empty, in a plausible cell.
        m.ascent = em;
        m.height = em + (em + 4) / 5;
        BitmapDecorations(m);
        source = "(no font)";
    }
    return std::make_unique<TFreeTypeFont>(*this, Lower(spec.Name), bold, italic, std::max(em, 1), src, m, source);
}

TSize TRasterFont::Extent(std::string_view text) {
    TSize size{0, metrics_.height};
    for (size_t pos = 0; pos < text.size();) size.cx += Glyph(base::NextCodepoint(text, pos)).advance;
    if (!text.empty()) size.cx += metrics_.overhang;
    return size;
}

TFontEngine::TFontEngine() : impl_(std::make_unique<TImpl>()) {}
TFontEngine::~TFontEngine() = default;

TFontEngine& TFontEngine::Instance() {
    static TFontEngine engine;
    return engine;
}

TRasterFont& TFontEngine::Font(const TFontSpec& spec) {
    const std::string key = Lower(spec.Name) + '\n' + std::to_string(spec.Height) + '\n' +
                            std::to_string(spec.Style & (fsBold | fsItalic));
    auto it = impl_->fonts.find(key);
    if (it == impl_->fonts.end()) it = impl_->fonts.emplace(key, impl_->Create(spec)).first;
    return *it->second;
}

size_t TFontEngine::RenderedGlyphCount() const { return impl_->rendered; }

}  // namespace forms
