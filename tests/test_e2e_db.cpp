// End to end with data from a database: the sample products of
// samples/labels.sql drawn by `kdx render --db` into PNG files and printed by
// `kdx print --db` into a PDF, each label decoded by zbar (zbarimg) and
// ZXing-cpp (zxing_read) back to its record's EAN-13 number.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Process.h"

using kdx::test::RunProcess;
using kdx::test::TempDir;

namespace {

const std::string kKdx = std::string(KDX_BIN_DIR) + "/kdx";
const std::string kSampleSql =
    (std::filesystem::path(KDX_TEST_DATA).parent_path().parent_path() / "samples" / "labels.sql").string();
const std::string kQuery = "SELECT ean FROM products ORDER BY id";

std::string WithoutTrailingNewline(std::string Text) {
    while (!Text.empty() && Text.back() == '\n') Text.pop_back();
    return Text;
}

// The sample database, built from its SQL script; Eans receives the field
// text of each record of kQuery.
std::string SampleDatabase(const TempDir& Dir, std::vector<std::string>& Eans) {
    const std::string path = Dir / "labels.db";
    const std::string sql = kdx::test::ReadWholeFile(kSampleSql);
    EXPECT_FALSE(sql.empty()) << kSampleSql;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, kQuery.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        Eans.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return path;
}

// Both readers must report the EAN-13 number Ean.
void ExpectReads(const std::string& Png, const std::string& Ean) {
    const auto zbar = RunProcess({ZBARIMG, "-q", "--raw", Png});
    EXPECT_EQ(zbar.Status, 0) << "zbar read nothing";
    EXPECT_EQ(WithoutTrailingNewline(zbar.Out), Ean) << "zbar";
    const auto zxing = RunProcess({ZXING_READ, Png});
    EXPECT_EQ(zxing.Status, 0) << zxing.Err;
    EXPECT_EQ(WithoutTrailingNewline(zxing.Out), "EAN-13 " + Ean) << "ZXing";
}

}  // namespace

TEST(ReadersDecodeDatabase, OneLabelPerRecord) {
    TempDir data, out;
    std::vector<std::string> eans;
    const std::string db = SampleDatabase(data, eans);
    ASSERT_EQ(eans.size(), 10u);

    const auto r = RunProcess({kKdx, "render", "-s", "EAN_13", "--density", "Medium", "--jobs", "2", "--db", db,
                               "--sql", kQuery, "--field", "ean", "-o", out / "{recno}-{field}.png"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(out.Entries().size(), eans.size());
    for (size_t i = 0; i < eans.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        ExpectReads(out / (std::to_string(i + 1) + "-" + eans[i] + ".png"), eans[i]);
    }
}

TEST(ReadersDecodeDatabase, OnePrintedPagePerRecord) {
    TempDir data, out;
    std::vector<std::string> eans;
    const std::string db = SampleDatabase(data, eans);
    ASSERT_EQ(eans.size(), 10u);

    // 600 dots per inch: factor 6, so a module is 6 pixels of the page
    // rasterised at the same resolution.
    const std::string pdf = out / "labels.pdf";
    const auto r = RunProcess(
        {kKdx, "print", "-s", "EAN_13", "--at", "600,600", "--db", db, "--sql", kQuery, "--field", "ean", "-o", pdf});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto info = RunProcess({"pdfinfo", pdf});
    EXPECT_NE(info.Out.find("Pages:           10\n"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("(A4)"), std::string::npos) << info.Out;
    for (size_t i = 0; i < eans.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string page = std::to_string(i + 1);
        const auto raster = RunProcess({"pdftoppm", "-r", "600", "-f", page, "-l", page, "-singlefile", "-png", "-W",
                                        "2400", "-H", "1400", pdf, out / "page"});
        ASSERT_EQ(raster.Status, 0) << raster.Err;
        ExpectReads(out / "page.png", eans[i]);
    }
}

TEST(ReadersDecodeDatabase, QualityCodePrintsAt300) {
    TempDir out;
    const std::string pdf = out / "code.pdf";
    const auto r = RunProcess(
        {kKdx, "print", "-s", "EAN_13", "-d", "200123400001", "--quality", "-2", "--at", "300,300", "-o", pdf});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto raster =
        RunProcess({"pdftoppm", "-r", "300", "-singlefile", "-png", "-W", "1200", "-H", "700", pdf, out / "page"});
    ASSERT_EQ(raster.Status, 0) << raster.Err;
    ExpectReads(out / "page.png", "2001234000017");
}
