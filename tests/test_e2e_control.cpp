// End to end: a control bound to a SQLite field paints a symbol that zbar
// reads as each record's text, and a barcode printed at 600 dots per inch
// into a PDF reads back from the rasterised page.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <regex>
#include <string>

#include "platform/controls/Controls.h"
#include "platform/controls/Printers.h"
#include "platform/db/Db.h"
#include "runtime/Kdx.h"
#include "Process.h"

using namespace kdx;
using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

std::string Zbar(const std::string& Png) {
    auto r = RunProcess({ZBARIMG, "--raw", "-q", Png});
    while (!r.Out.empty() && r.Out.back() == '\n') r.Out.pop_back();
    return r.Out;
}

TEST(ControlDecodes, BoundControlFollowsTheRecords) {
    TempDir dir;
    const std::string dbPath = dir / "labels.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE labels(code TEXT);"
                           "INSERT INTO labels VALUES ('4006381333931'), ('9780201379624'), ('5012345678900');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    TWindowHost form(nullptr);
    auto* query = new TSQLiteQuery(&form);
    query->SetDatabaseName(dbPath);
    query->SetSQL("SELECT code FROM labels");
    auto* source = new TDataSource(&form);
    source->SetDataSet(query);
    auto* kordix = new TKordix(&form);
    kordix->SetParent(&form);
    kordix->Code().SetCode(TBarCodeType::EAN_13);
    kordix->Code().SetDensity(TDensity::Medium);  // 2-pixel modules for zbar
    kordix->SetHeight(80);
    kordix->SetDataSource(source);
    kordix->SetDataField("code");
    form.ClientWidth = 260;
    form.ClientHeight = 100;

    const std::string expected[] = {"4006381333931", "9780201379624", "5012345678900"};
    query->Open();
    for (int i = 0; i < 3; ++i, query->Next()) {
        SCOPED_TRACE(expected[i]);
        const std::string png = dir / ("record" + std::to_string(i) + ".png");
        ASSERT_TRUE(form.SavePng(png));
        // The 13-digit field text is cut to 12 and the check digit drawn again.
        EXPECT_EQ(kordix->Code().Caption(), expected[i].substr(0, 12));
        EXPECT_EQ(Zbar(png), expected[i]);
    }
}

TEST(ControlDecodes, PrintedPageReadsBack) {
    TempDir dir;
    const std::string pdf = dir / "print.pdf";
    Printer().Configure(pdf, 600);
    TKordix kordix;
    kordix.Code().SetCode(TBarCodeType::Code_39);
    kordix.Code().SetCaption("PRINT-600");
    ASSERT_TRUE(Printer().BeginDoc()) << Printer().Error();
    kordix.PrintBarCode(600, 600);  // one inch in from the top-left corner
    ASSERT_TRUE(Printer().EndDoc()) << Printer().Error();
    Printer().Unconfigure();

    const auto info = RunProcess({"pdfinfo", pdf});
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_TRUE(std::regex_search(info.Out, std::regex(R"(Pages:\s+1\n)"))) << info.Out;
    EXPECT_TRUE(std::regex_search(info.Out, std::regex(R"(Page size:\s+595\.\d+ x 841\.\d+ pts \(A4\))"))) << info.Out;

    const auto raster = RunProcess({"pdftoppm", "-r", "300", "-png", "-singlefile", pdf, dir / "page"});
    ASSERT_EQ(raster.Status, 0) << raster.Err;
    EXPECT_EQ(Zbar(dir / "page.png"), std::string("PRINT-600") + Code39CheckChar("PRINT-600"));
}

}  // namespace
