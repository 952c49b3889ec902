#include "platform/surfaces/VectorCanvas.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <system_error>
#include <unordered_map>

#include "platform/graphics/FontEngine.h"

namespace kdx {

namespace {

std::string ErrnoText(int Code) { return std::generic_category().message(Code); }

void SetSource(cairo_t* Cr, TColor Color) {
    cairo_set_source_rgb(Cr, GetRValue(Color) / 255.0, GetGValue(Color) / 255.0, GetBValue(Color) / 255.0);
}

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += char(C);
    } else if (C < 0x800) {
        Out += char(0xC0 | (C >> 6));
        Out += char(0x80 | (C & 0x3F));
    } else {  // Windows-1252 maps into the Basic Multilingual Plane only
        Out += char(0xE0 | (C >> 12));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    }
}

std::atomic<unsigned> TempCounter{0};

}  // namespace

struct VectorCanvas::Impl {
    Format Kind = Format::PDF;
    std::string Path;
    std::string TempPath;  // the document is written here and renamed to Path by Finish
    FILE* File = nullptr;
    int WriteErrno = 0;
    bool Discard = false;  // closing without Finish: drop the output
    bool Finished = false;
    cairo_surface_t* Surface = nullptr;
    cairo_t* Cr = nullptr;
    std::unordered_map<std::string, cairo_font_face_t*> Faces;  // per face file
    std::string Error;

    void Fail(std::string Message) {
        if (Error.empty()) Error = std::move(Message);
    }

    // Picks up a failure cairo or the output stream reported since the last look.
    void Check() {
        if (!Error.empty()) return;
        if (WriteErrno) Fail("cannot write " + Path + ": " + ErrnoText(WriteErrno));
        else if (Surface && cairo_surface_status(Surface) != CAIRO_STATUS_SUCCESS)
            Fail("cannot write " + Path + ": " + cairo_status_to_string(cairo_surface_status(Surface)));
        else if (Cr && cairo_status(Cr) != CAIRO_STATUS_SUCCESS)
            Fail("drawing on " + Path + " failed: " + cairo_status_to_string(cairo_status(Cr)));
    }

    static cairo_status_t Write(void* Closure, const unsigned char* Data, unsigned int Length) {
        auto* self = static_cast<Impl*>(Closure);
        if (self->Discard) return CAIRO_STATUS_SUCCESS;
        if (!self->File || self->WriteErrno) return CAIRO_STATUS_WRITE_ERROR;
        if (std::fwrite(Data, 1, Length, self->File) != Length) {
            self->WriteErrno = errno ? errno : EIO;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return CAIRO_STATUS_SUCCESS;
    }

    // Creates the temporary file beside Path. A path that could not be written
    // directly (a directory, a read-only file) is refused here as well, although
    // the rename alone would replace it.
    bool Open() {
        struct stat st{};
        if (stat(Path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                Fail("cannot write " + Path + ": " + ErrnoText(EISDIR));
                return false;
            }
            if (access(Path.c_str(), W_OK) != 0) {
                Fail("cannot write " + Path + ": " + ErrnoText(errno));
                return false;
            }
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            TempPath = Path + "." + std::to_string(getpid()) + "-" + std::to_string(TempCounter++) + ".tmp";
            const int fd = open(TempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                File = fdopen(fd, "wb");
                if (File) return true;
                const int e = errno;
                close(fd);
                unlink(TempPath.c_str());
                TempPath.clear();
                Fail("cannot write " + Path + ": " + ErrnoText(e));
                return false;
            }
            if (errno != EEXIST) break;
        }
        const int e = errno;
        TempPath.clear();
        Fail("cannot write " + Path + ": " + ErrnoText(e));
        return false;
    }

    // Ends the document. Keep: report failures and move the file to Path;
    // otherwise (or after any failure) the temporary file is removed.
    void Close(bool Keep) {
        if (Keep) Check();
        if (Cr) {
            cairo_destroy(Cr);
            Cr = nullptr;
        }
        if (Surface) {
            cairo_surface_finish(Surface);
            if (Keep) Check();
            cairo_surface_destroy(Surface);
            Surface = nullptr;
        }
        for (auto& entry : Faces) cairo_font_face_destroy(entry.second);
        Faces.clear();
        if (File) {
            if (std::fclose(File) != 0 && Keep) Fail("cannot write " + Path + ": " + ErrnoText(errno));
            File = nullptr;
        }
        if (!TempPath.empty()) {
            if (Keep && Error.empty() && std::rename(TempPath.c_str(), Path.c_str()) != 0)
                Fail("cannot write " + Path + ": " + ErrnoText(errno));
            if (!Keep || !Error.empty()) unlink(TempPath.c_str());
            TempPath.clear();
        }
        Finished = true;
    }

    // One cairo face per face file; cairo opens and owns the FreeType face.
    cairo_font_face_t* FaceFor(const std::string& FacePath) {
        auto it = Faces.find(FacePath);
        if (it != Faces.end()) return it->second;
        FcPattern* pattern = FcPatternCreate();
        if (FacePath.empty()) {
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
        } else {
            FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(FacePath.c_str()));
            FcPatternAddInteger(pattern, FC_INDEX, 0);
        }
        cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
        FcPatternDestroy(pattern);
        Faces.emplace(FacePath, face);
        return face;
    }
};

VectorCanvas::VectorCanvas(Format Kind, const std::string& Path, int Width, int Height, double PointsPerUnit)
    : d(std::make_unique<Impl>()), FWidth(Width), FHeight(Height) {
    d->Kind = Kind;
    d->Path = Path;
    if (Width <= 0 || Height <= 0 || !(PointsPerUnit > 0)) {
        d->Fail("cannot write " + Path + ": invalid size " + std::to_string(Width) + " x " + std::to_string(Height));
        d->Finished = true;
        return;
    }
    if (!d->Open()) {
        d->Finished = true;
        return;
    }
    if (Kind == Format::PDF) {
        d->Surface =
            cairo_pdf_surface_create_for_stream(&Impl::Write, d.get(), Width * PointsPerUnit, Height * PointsPerUnit);
    } else {
        d->Surface =
            cairo_svg_surface_create_for_stream(&Impl::Write, d.get(), Width * PointsPerUnit, Height * PointsPerUnit);
#if CAIRO_VERSION >= CAIRO_VERSION_ENCODE(1, 16, 0)
        // One canvas unit is one px in the document's width and height.
        cairo_svg_surface_set_document_unit(d->Surface, CAIRO_SVG_UNIT_PX);
#endif
    }
    d->Cr = cairo_create(d->Surface);
    cairo_scale(d->Cr, PointsPerUnit, PointsPerUnit);
    // Rectangles lie on whole units; no fractional coverage at their edges.
    cairo_set_antialias(d->Cr, CAIRO_ANTIALIAS_NONE);
    d->Check();
    if (!d->Error.empty()) d->Close(false);
}

// Without Finish the document is abandoned: nothing appears under Path.
VectorCanvas::~VectorCanvas() {
    if (!d->Finished) {
        d->Discard = true;
        d->Close(false);
    }
}

bool VectorCanvas::Ok() const {
    d->Check();
    return d->Error.empty();
}

const std::string& VectorCanvas::Error() const {
    d->Check();
    return d->Error;
}

void VectorCanvas::NewPage() {
    // An SVG document holds a single picture: drawing simply continues on it.
    if (d->Cr && d->Kind == Format::PDF) cairo_show_page(d->Cr);
}

bool VectorCanvas::Finish() {
    if (!d->Finished) d->Close(true);
    return d->Error.empty();
}

void VectorCanvas::DoFillRect(const TRect& R, TColor Color) {
    if (!d->Cr || R.Right <= R.Left || R.Bottom <= R.Top) return;
    SetSource(d->Cr, Color);
    cairo_rectangle(d->Cr, R.Left, R.Top, double(R.Right) - R.Left, double(R.Bottom) - R.Top);
    cairo_fill(d->Cr);
}

void VectorCanvas::DoTextOut(int X, int Y, const std::string& Text, const LOGFONT& Font, TColor TextColor,
                             bool Opaque, TColor BackColor) {
    if (!d->Cr || Text.empty()) return;
    cairo_t* cr = d->Cr;
    FontEngine& engine = FontEngine::ForThisThread();
    const TTextMetrics metrics = engine.Metrics(Font);
    const int width = engine.TextWidth(Font, Text);

    // Text space: x along the text, y down the cell, origin at the cell's
    // top-left corner. The reference is pixel (X, Y); the cell's top-left
    // corner is that pixel's corner which the turn brings there, so a quarter
    // turn counter-clockwise puts the cell over columns X .. X + height - 1
    // and rows Y - width + 1 .. Y, the text starting on row Y.
    const int tenths = ((Font.lfEscapement % 3600) + 3600) % 3600;
    double c, s;
    switch (tenths) {  // exact quarter turns keep the document's numbers whole
        case 0: c = 1, s = 0; break;
        case 900: c = 0, s = 1; break;
        case 1800: c = -1, s = 0; break;
        case 2700: c = 0, s = -1; break;
        default:
            c = std::cos(tenths * std::numbers::pi / 1800);
            s = std::sin(tenths * std::numbers::pi / 1800);
    }
    // Counter-clockwise on screen is clockwise in y-down coordinates.
    cairo_matrix_t m;
    cairo_matrix_init(&m, c, -s, s, c, X + 0.5 - 0.5 * (c + s), Y + 0.5 + 0.5 * (s - c));

    cairo_save(cr);
    cairo_transform(cr, &m);
    if (Opaque && width > 0 && metrics.Height() > 0) {
        SetSource(cr, BackColor);
        cairo_rectangle(cr, 0, 0, width, metrics.Height());
        cairo_fill(cr);
    }

    cairo_set_font_face(cr, d->FaceFor(engine.FacePath(Font)));
    cairo_set_font_size(cr, engine.PixelSize(Font));
    SetSource(cr, TextColor);

    std::string utf8;
    for (unsigned char ch : Text) AppendUtf8(utf8, Cp1252ToUnicode(ch));
    cairo_glyph_t* glyphs = nullptr;
    int glyphCount = 0;
    cairo_text_cluster_t* clusters = nullptr;
    int clusterCount = 0;
    cairo_text_cluster_flags_t flags{};
    if (cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, metrics.Ascent, utf8.data(), int(utf8.size()),
                                         &glyphs, &glyphCount, &clusters, &clusterCount,
                                         &flags) == CAIRO_STATUS_SUCCESS) {
        // One glyph per character: place each where the font engine's advances
        // put it, so the text fills exactly the cell that TextWidth measured.
        if (glyphCount == int(Text.size()))
            for (int i = 0; i < glyphCount; ++i) glyphs[i].x = engine.TextWidth(Font, Text.substr(0, i));
        cairo_show_text_glyphs(cr, utf8.data(), int(utf8.size()), glyphs, glyphCount, clusters, clusterCount, flags);
    }
    cairo_glyph_free(glyphs);
    cairo_text_cluster_free(clusters);
    cairo_restore(cr);
}

}  // namespace kdx
