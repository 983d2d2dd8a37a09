#include "FontEngine.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include "FontDiscovery.h"
#include "FontMetrics.h"
#include "GlyphSynthesis.h"

// The engine proper: it opens faces, sizes them by the metrics rules (FontMetrics.h)
// for the faces that discovery finds (FontDiscovery.h), and renders and caches glyphs,
// synthesising the styles a face lacks (GlyphSynthesis.h).
namespace forms {
namespace {

using fontmetrics::FaceUnits;

// The last resort when fontconfig offers nothing: fonts-dejavu-core's sans.
const char* const kLastResortFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Height 0 asks for the default size, taken here as 8 points at 96 dpi.
constexpr int32_t kDefaultEm = 11;

// What draws a glyph: a face at this font's size, and the styles it must synthesise.
struct GlyphSource {
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    bool codePage1252 = false;  // a bitmap font indexed by Windows-1252 bytes
    bool synthBold = false;
    bool synthItalic = false;
};

// An outline face's vertical design, read as Windows reads it: ascent and descent
// from OS/2's usWin* (else hhea), the strike-out from OS/2 where it has one.
FaceUnits UnitsOf(FT_Face face) {
    FaceUnits u;
    u.unitsPerEm = face->units_per_EM;
    u.ascent = face->ascender;
    u.descent = -face->descender;
    u.underlinePosition = face->underline_position;
    u.underlineThickness = face->underline_thickness;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            u.ascent = os2->usWinAscent;
            u.descent = os2->usWinDescent;
        }
        u.strikeOutPosition = os2->yStrikeoutPosition;
        u.strikeOutSize = std::max<int64_t>(os2->yStrikeoutSize, 0);
    }
    return u;
}

glyphs::PixelMode ModeOf(const FT_Bitmap& bm) {
    switch (bm.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
            return glyphs::PixelMode::Mono;
        case FT_PIXEL_MODE_GRAY:
            return glyphs::PixelMode::Gray;
        case FT_PIXEL_MODE_BGRA:
            return glyphs::PixelMode::Bgra;
        default:
            return glyphs::PixelMode::Other;
    }
}

}  // namespace

struct FontEngine::Impl {
    FT_Library library = nullptr;
    FontDiscovery discovery;
    std::map<std::string, FT_Face> faces;  // by "path#index"
    std::map<std::string, std::unique_ptr<RasterFont>> fonts;
    size_t rendered = 0;

    ~Impl() {
        fonts.clear();
        for (auto& f : faces) FT_Done_Face(f.second);
        if (library) FT_Done_FreeType(library);
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

    std::optional<FontMatch> Match(const std::string& family, bool bold, bool italic, char32_t codepoint) {
        return discovery.Match(family, bold, italic, codepoint);
    }

    std::unique_ptr<RasterFont> Create(const TFontSpec& spec);
    std::unique_ptr<RasterFont> FromStrike(const Strike& s, bool bold, bool italic);
    std::unique_ptr<RasterFont> Substitute(const TFontSpec& spec, const Strike& nearest, int32_t em);
    std::unique_ptr<RasterFont> FromOutline(const TFontSpec& spec);
};

namespace {

class FreeTypeFont final : public RasterFont {
public:
    FreeTypeFont(FontEngine::Impl& engine, std::string family, bool bold, bool italic, int32_t em, GlyphSource primary,
                 const FontMetrics& metrics, std::string source)
        : engine_(engine), family_(std::move(family)), bold_(bold), italic_(italic), em_(em), primary_(primary) {
        metrics_ = metrics;
        // Only bitmap glyphs are slanted by whole pixels (Shear); an obliqued outline
        // stays within its advance closely enough to need none.
        const bool sheared = primary.synthItalic && primary.face && !FT_IS_SCALABLE(primary.face);
        metrics_.overhang = fontmetrics::Overhang(primary.synthBold, sheared, metrics.ascent);
        source_ = std::move(source);
    }

    ~FreeTypeFont() override {
        if (primary_.size) FT_Done_Size(primary_.size);
        for (GlyphSource& f : fallbacks_) FT_Done_Size(f.size);
    }

    const RenderedGlyph& Glyph(char32_t codepoint) override {
        auto it = glyphs_.find(codepoint);
        if (it != glyphs_.end()) return it->second;
        const GlyphSource* source = &primary_;
        FT_UInt index = CharIndex(primary_, codepoint);
        if (!index) {
            if (const GlyphSource* f = Fallback(codepoint, index)) source = f;
        }
        // index 0 is the face's default glyph: a box, or the bitmap font's default character.
        return glyphs_.emplace(codepoint, Render(*source, index)).first->second;
    }

private:
    static FT_UInt CharIndex(const GlyphSource& s, char32_t codepoint) {
        if (!s.face) return 0;
        if (s.codePage1252) {
            const uint8_t byte = glyphs::ToCp1252(codepoint);
            return byte ? FT_Get_Char_Index(s.face, byte) : 0;
        }
        return FT_Get_Char_Index(s.face, codepoint);
    }

    const GlyphSource* Fallback(char32_t codepoint, FT_UInt& index) {
        for (const GlyphSource& f : fallbacks_)
            if ((index = CharIndex(f, codepoint)) != 0) return &f;
        const std::optional<FontMatch> m = engine_.Match(family_, bold_, italic_, codepoint);
        if (!m) return nullptr;
        FT_Face face = engine_.OpenFace(m->path, m->index);
        if (!face || face == primary_.face) return nullptr;
        for (const GlyphSource& f : fallbacks_)
            if (f.face == face) return nullptr;  // it was asked already and lacks the character
        GlyphSource f;
        f.face = face;
        f.size = FontEngine::Impl::NewSize(face);
        if (!f.size) return nullptr;
        if (FT_IS_SCALABLE(face)) FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em_));
        else if (face->num_fixed_sizes > 0) FT_Select_Size(face, 0);
        f.synthBold = bold_ && !m->bold;
        f.synthItalic = italic_ && !m->italic;
        fallbacks_.push_back(f);
        index = CharIndex(fallbacks_.back(), codepoint);
        return index ? &fallbacks_.back() : nullptr;
    }

    RenderedGlyph Render(const GlyphSource& s, FT_UInt index) {
        RenderedGlyph g;
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
        g.mask = glyphs::MaskOf(slot->bitmap.buffer, g.width, g.height, slot->bitmap.pitch, ModeOf(slot->bitmap));
        if (!outline && s.synthItalic) glyphs::Shear(g, metrics_.ascent);
        if (s.synthBold) glyphs::Embolden(g);
        return g;
    }

    FontEngine::Impl& engine_;
    std::string family_;
    bool bold_;
    bool italic_;
    int32_t em_;  // character height: what fallback faces are scaled to
    GlyphSource primary_;
    std::vector<GlyphSource> fallbacks_;
    std::unordered_map<char32_t, RenderedGlyph> glyphs_;
};

}  // namespace

std::unique_ptr<RasterFont> FontEngine::Impl::Create(const TFontSpec& spec) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    const int32_t height = spec.Height == 0 ? -kDefaultEm : spec.Height;
    const std::string family = Lower(spec.Name);

    const StrikeChoice strikes = ChooseStrike(discovery.Strikes(Library()), family, height, bold, italic);
    if (strikes.exact) {
        if (auto f = FromStrike(*strikes.exact, bold, italic)) return f;
    }
    if (strikes.nearest) {
        if (auto f = Substitute(spec, *strikes.nearest, fontmetrics::SubstituteEm(height, *strikes.nearest))) return f;
    }
    TFontSpec sized = spec;
    sized.Height = height;
    return FromOutline(sized);
}

std::unique_ptr<RasterFont> FontEngine::Impl::FromStrike(const Strike& s, bool bold, bool italic) {
    FT_Face face = OpenFace(s.path, s.index);
    if (!face || face->num_fixed_sizes < 1 || face->num_charmaps < 1) return nullptr;
    FT_Set_Charmap(face, face->charmaps[0]);
    GlyphSource src;
    src.face = face;
    src.size = NewSize(face);
    if (!src.size) return nullptr;
    FT_Select_Size(face, 0);
    src.codePage1252 = true;
    src.synthBold = bold && !s.bold;
    src.synthItalic = italic && !s.italic;
    return std::make_unique<FreeTypeFont>(
        *this, s.family, bold, italic, s.Em(), src, fontmetrics::StrikeMetrics(s),
        s.path + "#" + std::to_string(s.index) + " (" + std::to_string(s.height) + " px strike)");
}

std::unique_ptr<RasterFont> FontEngine::Impl::Substitute(const TFontSpec& spec, const Strike& nearest, int32_t em) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    const std::optional<FontMatch> match = Match(spec.Name, bold, italic, 0);
    FT_Face face = match ? OpenFace(match->path, match->index) : nullptr;
    if (!face || !FT_IS_SCALABLE(face)) return nullptr;
    GlyphSource src;
    src.face = face;
    src.size = NewSize(face);
    if (!src.size) return nullptr;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    src.synthBold = bold && !match->bold;
    src.synthItalic = italic && !match->italic;
    const FontMetrics m = fontmetrics::SubstituteMetrics(UnitsOf(face), spec.Height, em, nearest);
    return std::make_unique<FreeTypeFont>(*this, Lower(spec.Name), bold, italic, em, src, m,
                                          match->path + "#" + std::to_string(match->index) + " (" + std::to_string(em) +
                                              " ppem, in place of " + nearest.path + ")");
}

std::unique_ptr<RasterFont> FontEngine::Impl::FromOutline(const TFontSpec& spec) {
    const bool bold = (spec.Style & fsBold) != 0, italic = (spec.Style & fsItalic) != 0;
    FontMatch match;
    if (std::optional<FontMatch> m = Match(spec.Name, bold, italic, 0)) match = *m;
    else match.path = kLastResortFont;
    FT_Face face = OpenFace(match.path, match.index);
    GlyphSource src;
    FontMetrics m;
    int32_t em = spec.Height < 0 ? -spec.Height : spec.Height;
    std::string source = match.path + "#" + std::to_string(match.index);
    if (face) src.size = NewSize(face);
    if (face && src.size) {
        src.face = face;
        src.synthBold = bold && !match.bold;
        src.synthItalic = italic && !match.italic;
        if (FT_IS_SCALABLE(face)) {
            const FaceUnits units = UnitsOf(face);
            em = fontmetrics::OutlineEm(units, spec.Height);
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
            m = fontmetrics::OutlineMetrics(units, spec.Height, em);
            source += " (" + std::to_string(em) + " ppem)";
        } else {
            // A bitmap-only face that fontconfig offered: the strike nearest in height.
            int best = 0;
            for (int i = 1; i < face->num_fixed_sizes; ++i)
                if (std::abs(face->available_sizes[i].height - em) < std::abs(face->available_sizes[best].height - em))
                    best = i;
            FT_Select_Size(face, best);
            m = fontmetrics::BitmapFaceMetrics(face->size->metrics.ascender, face->size->metrics.descender);
            em = face->available_sizes[best].height;
            source += " (" + std::to_string(em) + " px strike)";
        }
    } else {
        m = fontmetrics::NoFontMetrics(em);
        source = "(no font)";
    }
    return std::make_unique<FreeTypeFont>(*this, Lower(spec.Name), bold, italic, std::max(em, 1), src, m, source);
}

TSize RasterFont::Extent(std::string_view text) {
    TSize size{0, metrics_.height};
    for (size_t pos = 0; pos < text.size();) size.cx += Glyph(base::NextCodepoint(text, pos)).advance;
    if (!text.empty()) size.cx += metrics_.overhang;
    return size;
}

FontEngine::FontEngine() : impl_(std::make_unique<Impl>()) {}
FontEngine::~FontEngine() = default;

FontEngine& FontEngine::Instance() {
    static FontEngine engine;
    return engine;
}

RasterFont& FontEngine::Font(const TFontSpec& spec) {
    const std::string key =
        Lower(spec.Name) + '\n' + std::to_string(spec.Height) + '\n' + std::to_string(spec.Style & (fsBold | fsItalic));
    auto it = impl_->fonts.find(key);
    if (it == impl_->fonts.end()) it = impl_->fonts.emplace(key, impl_->Create(spec)).first;
    return *it->second;
}

size_t FontEngine::RenderedGlyphCount() const { return impl_->rendered; }

}  // namespace forms
