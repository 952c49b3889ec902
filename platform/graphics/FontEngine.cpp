#include "platform/graphics/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace kdx {

namespace {

// ---- Name resolution (process-wide, fontconfig)

struct FaceFile {
    std::string Path;  // empty when nothing matched at all
    int Index = 0;     // face index inside a collection file
};

std::once_flag GFcInitOnce;
std::mutex GFcMutex;  // guards fontconfig calls and the cache below
std::unordered_map<std::string, FaceFile> GFcCache;

// The file fontconfig picks for a family name, weight and slant. Unknown
// names end in fontconfig's default family (sans-serif); outline faces are
// preferred so that any size and the rotated text can be rendered.
FaceFile ResolveFace(const std::string& Family, bool Bold, bool Italic) {
    std::call_once(GFcInitOnce, [] {
        // Releasing the configuration at exit keeps leak checkers quiet:
        // fontconfig stores its pointers as offsets, which they cannot follow.
        if (FcInit()) std::atexit(FcFini);
    });
    std::string key = Family;
    key += Bold ? "\x01"
                  "b"
                : "\x01"
                  "r";
    key += Italic ? 'i' : 'u';

    std::lock_guard<std::mutex> lock(GFcMutex);
    if (auto it = GFcCache.find(key); it != GFcCache.end()) return it->second;

    FaceFile result;
    if (FcPattern* pat = FcPatternCreate()) {
        const std::string& family = Family.empty() ? std::string("sans-serif") : Family;
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pat, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pat, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult res = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pat, &res)) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
                result.Path = reinterpret_cast<const char*>(file);
            int index = 0;
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) result.Index = index;
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
    }
    GFcCache.emplace(std::move(key), result);
    return result;
}

// Rounds a 26.6 fixed-point value to whole pixels.
int Round26_6(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

// Rotates a horizontal glyph by 90 degrees counter-clockwise in device space
// (y down): the unrotated pixel at offset (u, v) from the pen lands at
// (v, -u), so the text runs upwards and the tops of the letters face left.
// Pixel columns map to rows one for one (column u to row -u), matching the
// tiling of vertical rectangles, whose first row is the starting row.
GlyphBitmap Rotate900(const GlyphBitmap& g) {
    GlyphBitmap r;
    r.Width = g.Rows;
    r.Rows = g.Width;
    r.Left = g.Top;
    r.Top = -g.Left - (g.Width - 1);
    r.AdvanceX = 0;
    r.AdvanceY = -g.AdvanceX;
    r.Coverage.resize(static_cast<size_t>(r.Width) * r.Rows);
    for (int j = 0; j < g.Rows; ++j)
        for (int i = 0; i < g.Width; ++i)
            r.Coverage[static_cast<size_t>(g.Width - 1 - i) * r.Width + j] =
                g.Coverage[static_cast<size_t>(j) * g.Width + i];
    return r;
}

}  // namespace

// ---- Per-thread engine

struct FontEngine::Impl {
    // One loaded face file.
    struct Face {
        FT_Face Ft = nullptr;
        uint32_t Serial = 0;  // order of loading, part of the size key
        int Ppem = 0;         // pixel size currently set on Ft
        int UnitsPerEm = 2048;
        int CellAscent = 0;   // font units: usWinAscent, else ascender
        int CellDescent = 0;  // font units: usWinDescent, else -descender
    };

    // A face at one pixel size, with its per-character caches.
    struct Sized {
        Face* F = nullptr;
        int Ppem = 0;
        TTextMetrics Metrics;
        std::array<int, 256> Advance;  // INT_MIN: not loaded yet
        // Glyphs per character: [0] horizontal, [1] rotated by 900.
        std::array<std::array<std::unique_ptr<GlyphBitmap>, 256>, 2> Glyphs;
        Sized() { Advance.fill(INT_MIN); }
    };

    // The part of a LOGFONT that selects a sized face.
    struct Key {
        std::array<char, LF_FACESIZE> Name{};
        int32_t Height = 0;
        bool Bold = false;
        bool Italic = false;
        friend bool operator==(const Key&, const Key&) = default;
    };

    FT_Library Lib = nullptr;
    std::unordered_map<std::string, std::unique_ptr<Face>> Faces;  // by path + index
    std::unordered_map<uint64_t, std::unique_ptr<Sized>> Sizes;    // by face serial + ppem
    std::vector<std::pair<Key, Sized*>> Recent;                    // LOGFONT keys seen, most fonts are reused
    LOGFONT LastFont;                                              // the font of the last lookup
    Sized* LastSized = nullptr;                                    // and its answer (sized faces live on)

    Impl() {
        if (FT_Init_FreeType(&Lib) != 0) Lib = nullptr;
    }
    ~Impl() {
        Sizes.clear();
        for (auto& [path, face] : Faces)
            if (face->Ft) FT_Done_Face(face->Ft);
        Faces.clear();
        if (Lib) FT_Done_FreeType(Lib);
    }

    Face* LoadFace(const FaceFile& file) {
        std::string key = file.Path;
        key += '#';
        key += std::to_string(file.Index);
        if (auto it = Faces.find(key); it != Faces.end()) return it->second.get();
        auto face = std::make_unique<Face>();
        face->Serial = static_cast<uint32_t>(Faces.size());
        if (Lib && !file.Path.empty() && FT_New_Face(Lib, file.Path.c_str(), file.Index, &face->Ft) == 0) {
            FT_Select_Charmap(face->Ft, FT_ENCODING_UNICODE);
            if (face->Ft->units_per_EM > 0) face->UnitsPerEm = face->Ft->units_per_EM;
            const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face->Ft, FT_SFNT_OS2));
            if (os2 && os2->version != 0xFFFFu && os2->usWinAscent + os2->usWinDescent > 0) {
                face->CellAscent = os2->usWinAscent;
                face->CellDescent = os2->usWinDescent;
            } else {
                face->CellAscent = face->Ft->ascender;
                face->CellDescent = -face->Ft->descender;
            }
        } else {
            face->Ft = nullptr;
        }
        Face* raw = face.get();
        Faces.emplace(std::move(key), std::move(face));
        return raw;
    }

    // Pixels per em for a logical height: negative = em height, positive =
    // cell height (ascent + descent), zero = the platform's default height.
    // Kept within what FreeType and a glyph bitmap can sensibly hold.
    static int PpemFor(const Face& f, int32_t Height) {
        constexpr long long kMaxPpem = 4096;
        long long ppem;
        if (Height == 0)
            ppem = 11;
        else if (Height < 0)
            ppem = -static_cast<long long>(Height);
        else if (f.CellAscent + f.CellDescent <= 0)
            ppem = Height;
        else
            ppem = std::llround(double(Height) * f.UnitsPerEm / (f.CellAscent + f.CellDescent));
        return static_cast<int>(std::clamp(ppem, 1LL, kMaxPpem));
    }

    Sized* Lookup(const LOGFONT& lf) {
        // A drawing asks for the same font for every character it writes.
        if (LastSized && std::memcmp(&lf, &LastFont, sizeof(LOGFONT)) == 0) return LastSized;
        Sized* s = LookupKey(lf);
        LastFont = lf;
        LastSized = s;
        return s;
    }

    Sized* LookupKey(const LOGFONT& lf) {
        Key k;
        k.Name = lf.lfFaceName;
        k.Name[LF_FACESIZE - 1] = '\0';
        // Bytes after the terminator do not select anything.
        const size_t len = strnlen(k.Name.data(), k.Name.size());
        std::fill(k.Name.begin() + len, k.Name.end(), '\0');
        k.Height = lf.lfHeight;
        k.Bold = lf.lfWeight >= FW_BOLD;
        k.Italic = lf.lfItalic != 0;
        for (size_t i = 0; i < Recent.size(); ++i)
            if (Recent[i].first == k) {
                if (i) std::swap(Recent[i], Recent[0]);  // the font in use stays in front
                return Recent[0].second;
            }

        Face* face = LoadFace(ResolveFace(std::string(k.Name.data(), len), k.Bold, k.Italic));
        const int ppem = PpemFor(*face, k.Height);
        const uint64_t sizeKey = (uint64_t(face->Serial) << 32) | uint32_t(ppem);
        auto& slot = Sizes[sizeKey];
        if (!slot) {
            slot = std::make_unique<Sized>();
            slot->F = face;
            slot->Ppem = ppem;
            // Cell as the platform derives it: the cell ascent and descent
            // scaled to the size and rounded up to whole pixels.
            const long long upem = face->UnitsPerEm;
            slot->Metrics.Ascent = static_cast<int>((face->CellAscent * 1LL * ppem + upem - 1) / upem);
            slot->Metrics.Descent = static_cast<int>((face->CellDescent * 1LL * ppem + upem - 1) / upem);
        }
        if (Recent.size() >= 32) Recent.clear();  // bounds the linear search
        Recent.emplace_back(k, slot.get());
        return slot.get();
    }

    // Loads the hinted outline of Ch at the sized face's pixel size; false
    // when the face is missing or the glyph cannot be loaded.
    bool LoadGlyph(Sized& s, unsigned char Ch) {
        Face& f = *s.F;
        if (!f.Ft) return false;
        if (f.Ppem != s.Ppem) {
            if (FT_Set_Pixel_Sizes(f.Ft, 0, static_cast<FT_UInt>(s.Ppem)) != 0) return false;
            f.Ppem = s.Ppem;
        }
        const FT_UInt index = FT_Get_Char_Index(f.Ft, Cp1252ToUnicode(Ch));
        return FT_Load_Glyph(f.Ft, index, FT_LOAD_DEFAULT) == 0;
    }

    int Advance(Sized& s, unsigned char Ch) {
        int& a = s.Advance[Ch];
        if (a == INT_MIN) a = LoadGlyph(s, Ch) ? Round26_6(s.F->Ft->glyph->advance.x) : 0;
        return a;
    }

    // Bytes of coverage the cached glyphs hold; past the budget every cached
    // glyph is dropped (each size renders its glyphs again on demand), so
    // that drawing at ever new sizes cannot grow a thread's memory without
    // end. A 4096-pixel glyph alone takes up to 16 MB.
    static constexpr size_t kGlyphBudget = size_t{64} << 20;
    size_t GlyphBytes = 0;

    void DropGlyphsOverBudget() {
        if (GlyphBytes <= kGlyphBudget) return;
        for (auto& [key, sized] : Sizes)
            for (auto& set : sized->Glyphs)
                for (auto& g : set) g.reset();
        GlyphBytes = 0;
    }

    const GlyphBitmap& Glyph(Sized& s, unsigned char Ch, bool Rotated) {
        auto& slot = s.Glyphs[Rotated ? 1 : 0][Ch];
        if (slot) return *slot;
        if (Rotated) {
            slot = std::make_unique<GlyphBitmap>(Rotate900(Glyph(s, Ch, false)));
            GlyphBytes += slot->Coverage.size();
            return *slot;
        }
        auto g = std::make_unique<GlyphBitmap>();
        if (LoadGlyph(s, Ch)) {
            FT_GlyphSlot gs = s.F->Ft->glyph;
            g->AdvanceX = Round26_6(gs->advance.x);
            s.Advance[Ch] = g->AdvanceX;
            if (FT_Render_Glyph(gs, FT_RENDER_MODE_NORMAL) == 0) {
                const FT_Bitmap& bm = gs->bitmap;
                g->Left = gs->bitmap_left;
                g->Top = -gs->bitmap_top;
                g->Width = static_cast<int>(bm.width);
                g->Rows = static_cast<int>(bm.rows);
                g->Coverage.resize(static_cast<size_t>(g->Width) * g->Rows);
                for (int y = 0; y < g->Rows; ++y) {
                    const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
                    uint8_t* dst = g->Coverage.data() + static_cast<size_t>(y) * g->Width;
                    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256) {
                        std::memcpy(dst, src, static_cast<size_t>(g->Width));
                    } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays > 1) {
                        for (int x = 0; x < g->Width; ++x) dst[x] = uint8_t(src[x] * 255 / (bm.num_grays - 1));
                    } else if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                        for (int x = 0; x < g->Width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    } else {
                        std::memset(dst, 0, static_cast<size_t>(g->Width));
                    }
                }
            }
        }
        GlyphBytes += g->Coverage.size();
        slot = std::move(g);
        return *slot;
    }
};

FontEngine::FontEngine() : d(std::make_unique<Impl>()) {}
FontEngine::~FontEngine() = default;

FontEngine& FontEngine::ForThisThread() {
    thread_local FontEngine engine;
    return engine;
}

std::string FontEngine::FacePath(const LOGFONT& Font) {
    return ResolveFace(Font.FaceName(), Font.lfWeight >= FW_BOLD, Font.lfItalic != 0).Path;
}

TTextMetrics FontEngine::Metrics(const LOGFONT& Font) { return d->Lookup(Font)->Metrics; }

int FontEngine::TextWidth(const LOGFONT& Font, const std::string& Text) {
    Impl::Sized& s = *d->Lookup(Font);
    int w = 0;
    for (unsigned char c : Text) w += d->Advance(s, c);
    return w;
}

const GlyphBitmap& FontEngine::Glyph(const LOGFONT& Font, unsigned char Ch) {
    const int esc = ((Font.lfEscapement % 3600) + 3600) % 3600;
    d->DropGlyphsOverBudget();
    return d->Glyph(*d->Lookup(Font), Ch, esc == 900);
}

double FontEngine::PixelSize(const LOGFONT& Font) { return d->Lookup(Font)->Ppem; }

}  // namespace kdx
