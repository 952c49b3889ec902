// The barcode control: paint cycle and sizes, visibility, opaque style,
// font and settings assignment, data binding, and printer scale.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "platform/controls/Controls.h"
#include "platform/controls/Printers.h"
#include "platform/db/Db.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"
#include "runtime/KdxData.h"
#include "Support.h"

using namespace kdx;

namespace {

// A form with one barcode control on it; the form owns the control.
struct Form {
    TWindowHost host{nullptr};
    TKordix* kordix = new TKordix(&host);
    Form() { kordix->SetParent(&host); }
    int Paint() { return host.ProcessMessages(); }
};

bool HasBarPixels(const TKordix& k) {
    const RasterCanvas& s = k.Surface();
    for (int x = 0; x < s.Width(); ++x)
        if (s.Pixel(x, 10) == clBlack) return true;
    return false;
}

TEST(Control, NewControlTakesTheSizeOfItsSymbol) {
    Form f;
    EXPECT_EQ(f.kordix->Width(), 100);
    EXPECT_GE(f.Paint(), 2) << "the resize after the first paint repaints";
    EXPECT_EQ(f.kordix->Width(), 110) << "Codabar 123456 with AutoSize at factor 1";
    EXPECT_EQ(f.kordix->Height(), 50);
    EXPECT_EQ(f.Paint(), 0) << "a stable size paints no more";
    EXPECT_TRUE(HasBarPixels(*f.kordix));
}

TEST(Control, RefusedDrawingKeepsTheControlsOwnSize) {
    test::Messages messages;
    Form other;
    other.kordix->Code().SetCode(TBarCodeType::Code_39);
    other.kordix->Code().SetCaption(std::string(40, 'A'));
    other.Paint();  // leaves a long extent behind
    ASSERT_GT(CodeWidth, 500);

    Form f;
    f.kordix->Code().SetCode(TBarCodeType::EAN_8);
    f.kordix->Code().SetCaption("12");
    f.Paint();
    EXPECT_EQ(messages.texts.back(), "EAN-8 should be 7 numeric char");
    EXPECT_EQ(f.kordix->Width(), 100);
    EXPECT_EQ(f.kordix->Height(), 50);
}

TEST(Control, VisibleOnlyMattersAtRunTime) {
    for (bool designing : {false, true}) {
        SCOPED_TRACE(designing ? "designer" : "run time");
        Form f;
        f.kordix->Visible = false;
        f.host.SetDesigning(designing);
        f.Paint();
        EXPECT_EQ(HasBarPixels(*f.kordix), designing);
        EXPECT_EQ(f.kordix->Surface().Width(), designing ? 110 : 100) << "hidden: the control keeps its area";
    }
}

TEST(Control, TransparentTogglesTheOpaqueStyle) {
    Form f;
    f.Paint();
    EXPECT_TRUE(f.kordix->ControlStyle() & csOpaque);
    f.kordix->Code().SetTransparent(true);
    EXPECT_FALSE(f.kordix->ControlStyle() & csOpaque);
    EXPECT_EQ(f.Paint(), 1) << "and repaints";
    EXPECT_EQ(f.kordix->Surface().Pixel(105, 45), clBtnFace) << "the host erased the background";
    f.kordix->Code().SetTransparent(false);
    EXPECT_TRUE(f.kordix->ControlStyle() & csOpaque);
}

TEST(Control, FontAssignment) {
    Form f;
    f.Paint();
    const int paints = f.kordix->PaintCount();
    f.kordix->SetFont(f.kordix->Font());
    EXPECT_EQ(f.kordix->PaintCount(), paints) << "its own font object: nothing happens";
    EXPECT_EQ(f.Paint(), 0);

    TFont other;
    other.SetName("Liberation Serif");
    other.SetSize(12);
    f.kordix->SetFont(other);
    EXPECT_EQ(f.kordix->PaintCount(), paints + 1) << "repainted at once";
    EXPECT_EQ(f.kordix->Font().Name(), "Liberation Serif");
    EXPECT_EQ(f.kordix->Font().Height(), other.Height());
    EXPECT_EQ(f.kordix->Canvas().Font.Name(), "Liberation Serif");
}

TEST(Control, TextAutosizePaintsOnlyUntilTheHeightSettles) {
    Form f;
    f.kordix->Code().SetTextAutoSize(true);
    f.kordix->SetHeight(80);
    EXPECT_LE(f.Paint(), 3);
    EXPECT_EQ(f.kordix->Font().Height(), -10);
    EXPECT_EQ(f.Paint(), 0);
}

TEST(Control, SetCodeCopiesSettingsIntoTheControlsOwnObject) {
    TKordix k;
    const auto own = k.SharedCode();
    TCode value;
    value.SetCode(TBarCodeType::EAN_13);
    value.SetCaption("400638133393");
    value.SetAlignment(TAlignment::txLeft);
    k.SetCode(value);
    EXPECT_EQ(k.SharedCode(), own);
    EXPECT_EQ(k.Code().Symbology(), TBarCodeType::EAN_13);
    EXPECT_EQ(k.Code().Caption(), "400638133393");
    EXPECT_EQ(k.Code().TextAlignment(), TAlignment::txDensity);
}

TEST(Control, SettingsObjectOutlivesTheControl) {
    std::shared_ptr<TCode> code;
    {
        TKordix k;
        code = k.SharedCode();
    }
    code->SetCaption("still usable");  // no handler of the destroyed control runs
    EXPECT_EQ(code->Caption(), "still usable");
}

TEST(Control, DesignerSamplesWithoutAField) {
    struct Case {
        TBarCodeType symbology;
        bool designing;
        const char* text;
    };
    const Case cases[] = {
        {TBarCodeType::EAN_13, true, "123456789012"},     {TBarCodeType::EAN_8, true, "1234567"},
        {TBarCodeType::EAN_13_2AddOn, true, "12345678901299"},
        {TBarCodeType::EAN_13_5AddOn, true, "12345678901212345"},
        {TBarCodeType::Code_128, true, "123"},            {TBarCodeType::EAN_8, false, "123"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << FBarCodeNames[size_t(t.symbology)] << (t.designing ? " designer" : ""));
        TKordix k;
        k.SetDesigning(t.designing);
        k.Code().SetCode(t.symbology);
        EXPECT_EQ(k.GetFieldText(), t.text);
    }
}

// ---- Data binding on a real SQLite file

class Bound : public testing::Test {
protected:
    void SetUp() override {
        path = std::filesystem::temp_directory_path() / ("kdx-control-" + std::to_string(::getpid()) + ".db");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE parts(id INTEGER, code TEXT, note CLOB);"
                               "INSERT INTO parts VALUES (1, 'PART-1', 'a'), (2, 'PART-2', 'b'), (3, 'PART-2', 'c');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        query = new TSQLiteQuery(&form.host);
        query->SetDatabaseName(path.string());
        query->SetSQL("SELECT id, code, note FROM parts ORDER BY id");
        source = new TDataSource(&form.host);
        source->SetDataSet(query);
        form.kordix->Code().SetCode(TBarCodeType::Code_39);
        form.kordix->SetDataSource(source);
        form.kordix->SetDataField("code");
    }
    void TearDown() override { std::filesystem::remove(path); }

    std::filesystem::path path;
    Form form;
    TSQLiteQuery* query = nullptr;
    TDataSource* source = nullptr;
};

TEST_F(Bound, FollowsTheRecordsAndRepaintsOnlyOnChange) {
    EXPECT_EQ(form.kordix->Code().Caption(), "123456") << "a closed data set leaves the caption";
    query->Open();
    EXPECT_EQ(form.kordix->Code().Caption(), "PART-1");
    EXPECT_GE(form.Paint(), 1);
    query->Next();
    EXPECT_EQ(form.kordix->Code().Caption(), "PART-2");
    EXPECT_GE(form.Paint(), 1);
    query->Next();  // same text in the next record
    EXPECT_EQ(form.Paint(), 0) << "unchanged text: no repaint";
    EXPECT_EQ(form.kordix->CMGetDataLink()->Field()->FieldName(), "code");
}

TEST_F(Bound, MissingFieldShowsTheRunTimeSample) {
    form.kordix->SetDataField("nope");
    query->Open();
    EXPECT_EQ(form.kordix->Code().Caption(), "123");
}

TEST_F(Bound, RemovedDataSourceIsDropped) {
    query->Open();
    delete source;  // removed from the form
    EXPECT_EQ(form.kordix->GetDataSource(), nullptr);
    EXPECT_EQ(form.kordix->Code().Caption(), "123") << "the unbound control shows the run-time sample";
    query->Next();  // no dangling link
    EXPECT_EQ(form.kordix->Code().Caption(), "123");
}

TEST_F(Bound, DataSourceOnAnotherOwnerIsDroppedToo) {
    TWindowHost module(nullptr);
    auto* elsewhere = new TDataSource(&module);
    elsewhere->SetDataSet(query);
    form.kordix->SetDataSource(elsewhere);
    delete elsewhere;
    EXPECT_EQ(form.kordix->GetDataSource(), nullptr);
}

// ---- Printer scale

TEST(Control, PrinterScaleWholeAndExact) {
    struct Case {
        bool configured;
        int16_t quality;
        int printFactor;   // PrintBarCode: resolution div 96
        double dbcFactor;  // DBC: resolution / 96
    };
    const Case cases[] = {
        {true, 600, 6, 6.25},
        {true, 300, 3, 3.125},
        {false, 0, 3, 3.125},   // no printer: 300 dots per inch
        {true, -4, 3, 3.125},   // a quality code, not a resolution
        {true, 1200, 12, 12.5},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << t.quality << (t.configured ? "" : " (no printer)"));
        if (t.configured)
            Printer().Configure("", t.quality);
        else
            Printer().Unconfigure();
        TKordix k;
        k.Code().SetCode(TBarCodeType::Code_39);
        k.Code().SetDensity(TDensity::Low);
        k.Code().SetAutoSize(false);

        k.PrintBarCode(0, 0);  // outside a document: the idle printer canvas
        EXPECT_EQ(CodeHeight, 50 * t.printFactor);
        EXPECT_EQ(ModulWidth, 3 * t.printFactor);

        RecordingCanvas canvas;
        k.DBC(canvas, 0, 0);
        EXPECT_EQ(CodeWidth, static_cast<int>(std::nearbyint(100 * t.dbcFactor)));
        EXPECT_EQ(ModulWidth, static_cast<int>(std::nearbyint(3 * t.dbcFactor)));
    }
    Printer().Unconfigure();
}

}  // namespace
