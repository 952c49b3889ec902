// The vector surface: PDF and SVG documents through Cairo, checked with
// independent tools (poppler's pdfinfo, pdftoppm and pdftotext, xmllint).

#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/surfaces/VectorCanvas.h"

namespace fs = std::filesystem;
using namespace kdx;

namespace {

// A fresh directory per test, removed afterwards.
class VectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = fs::temp_directory_path() / ("kdx_vector_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Dir)) names.push_back(e.path().filename().string());
        return names;
    }

    fs::path Dir;
};

std::string Quote(const std::string& S) { return "'" + S + "'"; }

// Runs a shell command; returns its standard output, and its exit status in Status.
std::string Shell(const std::string& Command, int* Status = nullptr) {
    std::string out;
    FILE* p = popen((Command + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int rc = pclose(p);
    if (Status) *Status = rc;
    return out;
}

std::string ReadAll(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Image {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Rgb;
    TColor At(int X, int Y) const {
        const uint8_t* p = &Rgb[(size_t(Y) * Width + X) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

Image ReadPng(const std::string& Path) {
    Image img;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, Path.c_str())) return img;
    png.format = PNG_FORMAT_RGB;
    img.Width = int(png.width);
    img.Height = int(png.height);
    img.Rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, img.Rgb.data(), 0, nullptr)) img = Image{};
    return img;
}

// Renders page 1 of a PDF at 72 dpi: one pixel per canvas unit.
Image Rasterise(const std::string& Pdf) {
    const std::string prefix = Pdf + ".page";
    int status = -1;
    Shell("pdftoppm -r 72 -png -singlefile " + Quote(Pdf) + " " + Quote(prefix), &status);
    EXPECT_EQ(status, 0) << "pdftoppm failed on " << Pdf;
    return ReadPng(prefix + ".png");
}

std::string PdfInfoField(const std::string& Pdf, const std::string& Field) {
    std::istringstream in(Shell("pdfinfo " + Quote(Pdf)));
    for (std::string line; std::getline(in, line);)
        if (line.rfind(Field + ":", 0) == 0) {
            const size_t v = line.find_first_not_of(' ', Field.size() + 1);
            return v == std::string::npos ? "" : line.substr(v);
        }
    return "";
}

void UseRotatedFont(TCanvas& C) {
    LOGFONT lf;
    ASSERT_EQ(GetObject(C.Font.Handle(), sizeof lf, &lf), int(sizeof lf));
    lf.lfEscapement = 900;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    C.Font.SetHandle(CreateFontIndirect(lf));
}

bool IsDark(TColor C) { return GetRValue(C) < 128 && GetGValue(C) < 128 && GetBValue(C) < 128; }

}  // namespace

TEST_F(VectorTest, PdfRectanglesLandOnExactPixels) {
    const std::string pdf = File("rects.pdf");
    {
        VectorCanvas c(VectorCanvas::Format::PDF, pdf, 40, 30);
        ASSERT_TRUE(c.Ok()) << c.Error();
        EXPECT_EQ(c.Width(), 40);
        EXPECT_EQ(c.Height(), 30);
        c.Brush.SetColor(clBlack);
        c.FillRect(Rect(10, 0, 12, 20));   // columns 10..11, rows 0..19
        c.FillRect(Rect(13, 0, 14, 20));   // a one-unit bar after a one-unit gap
        c.FillRect(Rect(20, 25, 23, 15));  // vertical element: rows 16..25
        c.FillRect(Rect(5, 5, 5, 10));     // empty: nothing
        c.Brush.SetColor(clBlue);
        c.Pen.SetColor(clRed);
        c.Rectangle(30, 2, 38, 10);  // red outline over columns 30..37, rows 2..9, blue inside
        ASSERT_TRUE(c.Finish()) << c.Error();
    }
    EXPECT_EQ(PdfInfoField(pdf, "Pages"), "1");
    EXPECT_EQ(PdfInfoField(pdf, "Page size").rfind("40 x 30 pts", 0), 0u) << PdfInfoField(pdf, "Page size");

    const Image img = Rasterise(pdf);
    ASSERT_EQ(img.Width, 40);
    ASSERT_EQ(img.Height, 30);
    auto expected = [](int x, int y) -> TColor {
        if ((x == 10 || x == 11 || x == 13) && y < 20) return clBlack;
        if (x >= 20 && x <= 22 && y >= 16 && y <= 25) return clBlack;
        if (x >= 31 && x <= 36 && y >= 3 && y <= 8) return clBlue;
        if (x >= 30 && x <= 37 && y >= 2 && y <= 9) return clRed;
        return clWhite;
    };
    int wrong = 0;
    for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x)
            if (img.At(x, y) != expected(x, y) && ++wrong <= 10)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << img.At(x, y) << ", expected "
                              << expected(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(VectorTest, PdfTextIsRealTextInItsCell) {
    const std::string pdf = File("text.pdf");
    const std::string text = "KDX 12345 \x80";  // 0x80 is the euro sign in Windows-1252
    int w = 0, h = 0, wr = 0, hr = 0;
    const int X = 10, Y = 8, XR = 20, YR = 150;
    {
        VectorCanvas c(VectorCanvas::Format::PDF, pdf, 200, 160);
        ASSERT_TRUE(c.Ok()) << c.Error();
        c.Font.SetName("Arial");
        c.Font.SetHeight(-20);
        c.Brush.SetColor(clYellow);  // opaque text: the cell is filled with the brush colour
        w = c.TextWidth(text);
        h = c.TextHeight(text);
        c.TextOut(X, Y, text);
        UseRotatedFont(c);
        wr = c.TextWidth(text);
        hr = c.TextHeight(text);
        c.TextOut(XR, YR, text);  // runs upwards from row YR, cell right of column XR
        ASSERT_TRUE(c.Finish()) << c.Error();
    }
    ASSERT_GT(w, 50);
    ASSERT_GT(h, 15);
    ASSERT_EQ(wr, w);
    ASSERT_EQ(hr, h);

    const std::string words = Shell("pdftotext " + Quote(pdf) + " -");
    EXPECT_NE(words.find("KDX 12345 \xE2\x82\xAC"), std::string::npos) << words;

    const Image img = Rasterise(pdf);
    ASSERT_EQ(img.Width, 200);
    ASSERT_EQ(img.Height, 160);
    // Horizontal cell: columns X .. X + w - 1, rows Y .. Y + h - 1.
    auto inFlat = [&](int x, int y) { return x >= X && x < X + w && y >= Y && y < Y + h; };
    // Turned cell: columns XR .. XR + h - 1, rows YR - w + 1 .. YR.
    auto inTurned = [&](int x, int y) { return x >= XR && x < XR + h && y > YR - w && y <= YR; };
    int outside = 0, darkFlat = 0, darkTurned = 0;
    for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x) {
            const TColor p = img.At(x, y);
            if (inFlat(x, y)) darkFlat += IsDark(p);
            else if (inTurned(x, y)) darkTurned += IsDark(p);
            else if (p != clWhite && ++outside <= 10)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") outside the text cells is " << std::hex << p;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(darkFlat, 50);
    EXPECT_GT(darkTurned, 50);
    // The cells are filled to their corners.
    for (auto [x, y] : {std::pair{X, Y}, {X + w - 1, Y}, {X, Y + h - 1}, {X + w - 1, Y + h - 1}})
        EXPECT_EQ(img.At(x, y), clYellow) << "flat cell corner (" << x << ", " << y << ")";
    for (auto [x, y] : {std::pair{XR, YR}, {XR + h - 1, YR}, {XR, YR - w + 1}, {XR + h - 1, YR - w + 1}})
        EXPECT_EQ(img.At(x, y), clYellow) << "turned cell corner (" << x << ", " << y << ")";
}

TEST_F(VectorTest, NewPageAddsPdfPages) {
    const std::string pdf = File("pages.pdf");
    VectorCanvas c(VectorCanvas::Format::PDF, pdf, 100, 50);
    ASSERT_TRUE(c.Ok()) << c.Error();
    c.Brush.SetColor(clBlack);
    for (int page = 0; page < 3; ++page) {
        if (page) c.NewPage();
        c.FillRect(Rect(10 * page, 0, 10 * page + 5, 50));
    }
    ASSERT_TRUE(c.Finish()) << c.Error();
    EXPECT_EQ(PdfInfoField(pdf, "Pages"), "3");
    EXPECT_EQ(PdfInfoField(pdf, "Page size").rfind("100 x 50 pts", 0), 0u);
}

TEST_F(VectorTest, SvgHasExactRectanglesInPixels) {
    const std::string svg = File("rects.svg");
    {
        VectorCanvas c(VectorCanvas::Format::SVG, svg, 50, 20);
        ASSERT_TRUE(c.Ok()) << c.Error();
        c.Brush.SetColor(clBlack);
        c.FillRect(Rect(10, 0, 12, 20));
        c.Brush.SetColor(clRed);
        c.FillRect(Rect(30, 17, 33, 7));  // vertical element: rows 8..17
        ASSERT_TRUE(c.Finish()) << c.Error();
    }
    int status = -1;
    Shell("xmllint --noout " + Quote(svg), &status);
    EXPECT_EQ(status, 0) << "not well-formed XML";

    const std::string doc = ReadAll(svg);
    const std::regex rootSize(R"re(<svg[^>]*\swidth="50(px)?"[^>]*\sheight="20(px)?")re");
    EXPECT_TRUE(std::regex_search(doc, rootSize)) << doc.substr(0, 400);

    // Bounding boxes of the filled shapes, from <rect> attributes or path data.
    std::vector<std::array<double, 4>> boxes;
    const std::regex number(R"(-?\d+(\.\d+)?)");
    const std::regex pathData(R"re(<path[^>]*\sd="([^"]*)")re");
    for (std::sregex_iterator it(doc.begin(), doc.end(), pathData), end; it != end; ++it) {
        const std::string d = (*it)[1];
        std::vector<double> v;
        for (std::sregex_iterator n(d.begin(), d.end(), number); n != end; ++n) v.push_back(std::stod(n->str()));
        if (v.size() < 4 || v.size() % 2) continue;
        std::array<double, 4> b{v[0], v[1], v[0], v[1]};
        for (size_t i = 0; i < v.size(); i += 2) {
            b[0] = std::min(b[0], v[i]), b[1] = std::min(b[1], v[i + 1]);
            b[2] = std::max(b[2], v[i]), b[3] = std::max(b[3], v[i + 1]);
        }
        boxes.push_back(b);
    }
    const std::regex rect(R"re(<rect[^>]*\sx="([^"]*)"[^>]*\sy="([^"]*)"[^>]*\swidth="([^"]*)"[^>]*\sheight="([^"]*)")re");
    for (std::sregex_iterator it(doc.begin(), doc.end(), rect), end; it != end; ++it) {
        const double x = std::stod((*it)[1]), y = std::stod((*it)[2]);
        boxes.push_back({x, y, x + std::stod((*it)[3]), y + std::stod((*it)[4])});
    }
    auto has = [&](std::array<double, 4> want) { return std::find(boxes.begin(), boxes.end(), want) != boxes.end(); };
    EXPECT_TRUE(has({10, 0, 12, 20})) << doc;
    EXPECT_TRUE(has({30, 8, 33, 18})) << doc;
    EXPECT_NE(doc.find("rgb(100%,0%,0%)"), std::string::npos) << "red fill";
}

TEST_F(VectorTest, UnwritablePathFailsWithoutFile) {
    for (auto kind : {VectorCanvas::Format::PDF, VectorCanvas::Format::SVG}) {
        const std::string missingDir = File("no/such/dir/out.doc");
        {
            VectorCanvas c(kind, missingDir, 100, 50);
            EXPECT_FALSE(c.Ok());
            EXPECT_NE(c.Error().find(missingDir), std::string::npos) << c.Error();
            c.Brush.SetColor(clBlack);
            c.FillRect(Rect(0, 0, 10, 10));  // harmless on a failed canvas
            c.TextOut(0, 0, "x");
            c.NewPage();
            EXPECT_FALSE(c.Finish());
            EXPECT_FALSE(c.Error().empty());
        }
        EXPECT_FALSE(fs::exists(missingDir));

        fs::create_directory(File("adir"));
        VectorCanvas dir(kind, File("adir"), 100, 50);
        EXPECT_FALSE(dir.Ok());
        EXPECT_FALSE(dir.Finish());
        EXPECT_TRUE(fs::is_directory(File("adir")));

        VectorCanvas empty(kind, File("empty.doc"), 0, 50);
        EXPECT_FALSE(empty.Ok());
        EXPECT_FALSE(empty.Finish());
        EXPECT_FALSE(fs::exists(File("empty.doc")));
        fs::remove(File("adir"));
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(VectorTest, DocumentAppearsOnlyOnFinish) {
    const std::string pdf = File("late.pdf");
    {
        VectorCanvas c(VectorCanvas::Format::PDF, pdf, 100, 50);
        ASSERT_TRUE(c.Ok()) << c.Error();
        c.Brush.SetColor(clBlack);
        c.FillRect(Rect(0, 0, 10, 10));
        EXPECT_FALSE(fs::exists(pdf));
    }  // destroyed without Finish: abandoned
    EXPECT_TRUE(Entries().empty());

    VectorCanvas c(VectorCanvas::Format::PDF, pdf, 100, 50);
    c.FillRect(Rect(0, 0, 10, 10));
    EXPECT_FALSE(fs::exists(pdf));
    ASSERT_TRUE(c.Finish()) << c.Error();
    EXPECT_TRUE(c.Finish());  // a second Finish changes nothing
    EXPECT_EQ(Entries(), std::vector<std::string>{"late.pdf"});
    EXPECT_EQ(PdfInfoField(pdf, "Pages"), "1");
}
