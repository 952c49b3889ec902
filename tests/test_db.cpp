// Data access: the SQLite query data set (navigation, fields of each kind,
// errors), data sources and field data links (notifications), and
// destruction of data sets, sources and links in every order.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/Db.h"

using namespace kdx;
namespace fs = std::filesystem;

namespace {

void Exec(sqlite3* Db, const char* Sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(Db, Sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "") << "\n" << Sql;
}

// A database file in a fresh temporary directory, built once per program.
class DbFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "kdx-db-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Dir = pattern;
        Path = (fs::path(Dir) / "items.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
        Exec(db,
             "CREATE TABLE items(id INTEGER, price REAL, name TEXT, code VARCHAR(20), note CLOB, remark MEMO,"
             "                   body LONGTEXT, image BLOB);"
             "INSERT INTO items VALUES (1, 2.5, 'Alpha', 'A-1', 'first note', 'memo one', 'long', X'00FF41');"
             // 8-bit text bytes, an empty memo, a zero-length blob.
             "INSERT INTO items VALUES (2, 1.0, CAST(X'4772FCDF65' AS TEXT), NULL, '', NULL, NULL, X'');"
             "INSERT INTO items VALUES (3, NULL, NULL, '0042', NULL, 'm', '', NULL);"
             "INSERT INTO items VALUES (9223372036854775807, 1e20, 'Delta', '', 'n', NULL, NULL, X'01');"
             "CREATE TABLE empty(id INTEGER);"
             "CREATE TABLE kinds(a BLOB, b LONGBLOB, c MEMO, d CLOB, e NCLOB, f LONGTEXT, g LONG VARCHAR,"
             "                   h TEXT, i VARCHAR(20), j INTEGER, k REAL, l NUMERIC, m, n LONG);"
             "INSERT INTO kinds VALUES (X'01', X'02', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 7, 1.5, 3, 'm', 5);");
        sqlite3_close(db);
    }
    static void TearDownTestSuite() { fs::remove_all(Dir); }

    static std::unique_ptr<TSQLiteQuery> Query(const std::string& Sql, TComponent* Owner = nullptr) {
        auto q = std::make_unique<TSQLiteQuery>(Owner);
        q->SetDatabaseName(Path);
        q->SetSQL(Sql);
        return q;
    }

    static inline std::string Dir;
    static inline std::string Path;
};

class DbNavigation : public DbFile {};
class DbFields : public DbFile {};
class DbErrors : public DbFile {};
class DbLinks : public DbFile {};
class DbLifetime : public DbFile {};

// A field data link that records the field's display text at each data
// change ("<none>" when the link has no field).
struct Recorder {
    TFieldDataLink Link;
    std::vector<std::string> Seen;
    explicit Recorder(const std::string& FieldName = "name") {
        Link.SetFieldName(FieldName);
        Link.OnDataChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &Link);
            Seen.push_back(Link.Field() ? Link.Field()->DisplayText() : "<none>");
        };
    }
};

// ---------------------------------------------------------------- navigation

TEST_F(DbNavigation, MovesBothWaysAndNotifiesOnlyWhenTheRecordChanges) {
    auto q = Query("SELECT id FROM items ORDER BY id");
    TDataSource src(nullptr);
    src.SetDataSet(q.get());
    Recorder r("ID");
    r.Link.SetDataSource(&src);
    q->Open();
    ASSERT_EQ(q->RecordCount(), 4);
    EXPECT_FALSE(q->IsEmpty());

    const char* const big = "9223372036854775807";
    struct Step {
        const char* Action;
        int RecNo;
        bool Bof, Eof;
        std::string Id;
        size_t Notified;  // data changes the step causes
    };
    const Step steps[] = {
        {"Open", 1, true, false, "1", 1},     {"Next", 2, false, false, "2", 1}, {"Next", 3, false, false, "3", 1},
        {"Next", 4, false, false, big, 1},    {"Next", 4, false, true, big, 0},  {"Next", 4, false, true, big, 0},
        {"Prior", 3, false, false, "3", 1},   {"First", 1, true, false, "1", 1}, {"Prior", 1, true, false, "1", 0},
        {"Next", 2, false, false, "2", 1},    {"Last", 4, false, true, big, 1},  {"Last", 4, false, true, big, 1},
        {"Prior", 3, false, false, "3", 1},   {"Prior", 2, false, false, "2", 1}, {"Prior", 1, false, false, "1", 1},
        {"Prior", 1, true, false, "1", 0},    {"First", 1, true, false, "1", 1},
    };
    const std::map<std::string, std::function<void()>> actions = {
        {"Open", [] {}},
        {"Next", [&] { q->Next(); }},
        {"Prior", [&] { q->Prior(); }},
        {"First", [&] { q->First(); }},
        {"Last", [&] { q->Last(); }},
    };
    size_t seen = 0;
    int index = 0;
    for (const Step& s : steps) {
        actions.at(s.Action)();
        SCOPED_TRACE(std::to_string(index++) + ": " + s.Action);
        EXPECT_EQ(q->RecNo(), s.RecNo);
        EXPECT_EQ(q->Bof(), s.Bof);
        EXPECT_EQ(q->Eof(), s.Eof);
        EXPECT_EQ(q->FieldByName("id")->DisplayText(), s.Id);
        EXPECT_EQ(r.Seen.size() - seen, s.Notified);
        if (s.Notified) {
            EXPECT_EQ(r.Seen.back(), s.Id);
        }
        seen = r.Seen.size();
    }
}

TEST_F(DbNavigation, LoopsVisitEveryRecordOnceInEachDirection) {
    auto q = Query("SELECT id FROM items WHERE id < 10 ORDER BY id");
    q->Open();
    std::string forward, backward;
    for (q->First(); !q->Eof(); q->Next()) forward += q->Fields(0)->AsString();
    for (q->Last(); !q->Bof(); q->Prior()) backward += q->Fields(0)->AsString();
    EXPECT_EQ(forward, "123");
    EXPECT_EQ(backward, "321");
}

TEST_F(DbNavigation, EmptyResult) {
    auto q = Query("SELECT id FROM empty");
    q->Open();
    EXPECT_TRUE(q->Active());
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_EQ(q->RecordCount(), 0);
    EXPECT_EQ(q->FieldCount(), 1);
    for (auto move : {&TDataSet::First, &TDataSet::Next, &TDataSet::Prior, &TDataSet::Last}) {
        (q.get()->*move)();
        EXPECT_TRUE(q->Bof() && q->Eof());
        EXPECT_EQ(q->RecNo(), 0);
        EXPECT_TRUE(q->Fields(0)->IsNull());
        EXPECT_EQ(q->Fields(0)->DisplayText(), "");
    }
}

TEST_F(DbNavigation, ClosedDataSetAnswersEmptyAndRefusesToMove) {
    auto q = Query("SELECT id FROM items");
    for (int round = 0; round < 2; ++round) {  // never opened, then opened and closed
        EXPECT_FALSE(q->Active());
        EXPECT_EQ(q->State(), TDataSetState::dsInactive);
        EXPECT_TRUE(q->Bof() && q->Eof() && q->IsEmpty());
        EXPECT_EQ(q->RecNo(), 0);
        EXPECT_EQ(q->RecordCount(), 0);
        EXPECT_EQ(q->FieldCount(), 0);
        EXPECT_EQ(q->FindField("id"), nullptr);
        for (auto move : {&TDataSet::First, &TDataSet::Next, &TDataSet::Prior, &TDataSet::Last}) {
            try {
                (q.get()->*move)();
                ADD_FAILURE() << "moved on a closed data set";
            } catch (const EDatabaseError& e) {
                EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
            }
        }
        q->SetActive(true);
        EXPECT_EQ(q->State(), TDataSetState::dsBrowse);
        EXPECT_EQ(q->RecNo(), 1);
        q->SetActive(false);
    }
}

TEST_F(DbNavigation, QueryPropertiesAndReopening) {
    auto q = Query("SELECT id FROM items ORDER BY id");
    q->Open();
    q->Next();
    q->Open();  // already open: stays where it is
    EXPECT_EQ(q->RecNo(), 2);
    EXPECT_THROW(q->SetDatabaseName(Path + "x"), EDatabaseError);
    EXPECT_EQ(q->DatabaseName(), Path);
    q->SetSQL("SELECT name FROM items ORDER BY id");  // closes
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(q->SQL(), "SELECT name FROM items ORDER BY id");
    q->Open();
    EXPECT_EQ(q->RecNo(), 1);
    EXPECT_EQ(q->Fields(0)->FieldName(), "name");
    EXPECT_EQ(q->FindField("id"), nullptr);
}

// ---------------------------------------------------------------- fields

TEST_F(DbFields, DisplayTextAndValuesOfEveryKind) {
    auto q = Query("SELECT * FROM items ORDER BY id");
    q->Open();
    const std::string bytes("\0\xFF" "A", 3);
    struct Case {
        int RecNo;
        const char* Field;
        std::string Display, Value;
        bool Null;
    };
    const Case cases[] = {
        {1, "id", "1", "1", false},
        {4, "id", "9223372036854775807", "9223372036854775807", false},
        {1, "price", "2.5", "2.5", false},
        {2, "price", "1.0", "1.0", false},  // SQLite's text form of a real
        {4, "price", "1.0e+20", "1.0e+20", false},
        {3, "price", "", "", true},
        {1, "name", "Alpha", "Alpha", false},
        {2, "name", "Gr\xFC\xDF" "e", "Gr\xFC\xDF" "e", false},  // 8-bit bytes as stored
        {3, "name", "", "", true},
        {3, "code", "0042", "0042", false},  // text stays text
        {4, "code", "", "", false},          // empty, not NULL
        {1, "note", "(MEMO)", "first note", false},
        {2, "note", "(Memo)", "", false},
        {3, "note", "(Memo)", "", true},
        {1, "remark", "(MEMO)", "memo one", false},
        {2, "remark", "(Memo)", "", true},
        {1, "body", "(MEMO)", "long", false},
        {1, "image", "(BLOB)", bytes, false},
        {2, "image", "(Blob)", "", false},  // zero-length blob
        {3, "image", "(Blob)", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Field) + " in record " + std::to_string(c.RecNo));
        q->First();
        while (q->RecNo() < c.RecNo) q->Next();
        TField* f = q->FieldByName(c.Field);
        EXPECT_EQ(f->DisplayText(), c.Display);
        EXPECT_EQ(f->AsString(), c.Value);
        EXPECT_EQ(f->IsNull(), c.Null);
    }
}

TEST_F(DbFields, DeclaredTypeChoosesTheFieldClass) {
    auto q = Query("SELECT * FROM kinds");
    q->Open();
    enum Kind { Plain, Memo, Blob };
    struct Case {
        const char* Field;
        Kind Class;
        TFieldType Type;
    };
    const Case cases[] = {
        {"a", Blob, TFieldType::ftBlob},       {"b", Blob, TFieldType::ftBlob},       // BLOB, LONGBLOB
        {"c", Memo, TFieldType::ftMemo},       {"d", Memo, TFieldType::ftMemo},       // MEMO, CLOB
        {"e", Memo, TFieldType::ftMemo},       {"f", Memo, TFieldType::ftMemo},       // NCLOB, LONGTEXT
        {"g", Memo, TFieldType::ftMemo},                                              // LONG VARCHAR
        {"h", Plain, TFieldType::ftString},    {"i", Plain, TFieldType::ftString},    // TEXT, VARCHAR(20)
        {"j", Plain, TFieldType::ftInteger},   {"k", Plain, TFieldType::ftFloat},     // INTEGER, REAL
        {"l", Plain, TFieldType::ftInteger},   {"m", Plain, TFieldType::ftString},    // NUMERIC, none: by value
        {"n", Plain, TFieldType::ftInteger},                                          // LONG alone is no memo
    };
    ASSERT_EQ(q->FieldCount(), static_cast<int>(std::size(cases)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        TField* f = q->FieldByName(c.Field);
        const bool memo = dynamic_cast<TMemoField*>(f) != nullptr;
        const bool blob = dynamic_cast<TBlobField*>(f) != nullptr;  // memo fields are blob fields too
        EXPECT_EQ(memo, c.Class == Memo);
        EXPECT_EQ(blob, c.Class != Plain);
        EXPECT_EQ(f->IsBlob(), c.Class != Plain);
        EXPECT_EQ(f->DataType(), c.Type);
        EXPECT_EQ(f->DataSet(), q.get());
        EXPECT_EQ(q->Fields(f->Index()), f);
    }
}

TEST_F(DbFields, ExpressionColumnsArePlainFieldsTypedByValue) {
    auto q = Query("SELECT 1+1 AS two, 2.5*2 AS f, 'x'||'y' AS s, NULL AS n, X'4142' AS b");
    q->Open();
    struct Case {
        const char* Field;
        TFieldType Type;
        const char* Display;
    };
    const Case cases[] = {{"two", TFieldType::ftInteger, "2"}, {"f", TFieldType::ftFloat, "5.0"},
                          {"s", TFieldType::ftString, "xy"},   {"n", TFieldType::ftUnknown, ""},
                          {"b", TFieldType::ftBytes, "AB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        TField* f = q->FieldByName(c.Field);
        EXPECT_EQ(dynamic_cast<TBlobField*>(f), nullptr);
        EXPECT_EQ(f->DataType(), c.Type);
        EXPECT_EQ(f->DisplayText(), c.Display);
    }
}

TEST_F(DbFields, FindFieldAndFieldByName) {
    auto q = Query("SELECT id, name FROM items");
    q->Open();
    EXPECT_EQ(q->FindField("NAME"), q->Fields(1));
    EXPECT_EQ(q->FindField("Id"), q->Fields(0));
    EXPECT_EQ(q->FieldByName("nAmE"), q->Fields(1));
    EXPECT_EQ(q->FindField("nope"), nullptr);
    EXPECT_EQ(q->FindField(""), nullptr);
    const auto message = [&](std::string_view Name) {
        try {
            q->FieldByName(Name);
        } catch (const EDatabaseError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("nope"), "Field 'nope' not found");
    q->SetName("Query1");
    EXPECT_EQ(message("nope"), "Query1: Field 'nope' not found");
    EXPECT_THROW(q->Fields(2), EDatabaseError);
    EXPECT_THROW(q->Fields(-1), EDatabaseError);
}

// A data set of two fixed records whose field values can be announced as
// changed: the path of a single-field change.
class TwoRecords : public TDataSet {
public:
    using TDataSet::TDataSet;
    ~TwoRecords() override { Close(); }
    void Changed(TField* Field) { DataEvent(TDataEvent::deFieldChange, Field); }
    void AddFieldNow() { AddField(std::make_unique<TField>("late", TFieldType::ftString)); }
    bool BadRecord = false;

protected:
    void InternalOpen() override {
        AddField(std::make_unique<TField>("a", TFieldType::ftString));
        AddField(std::make_unique<TField>("b", TFieldType::ftString));
        AppendRecord({{false, "a1"}, {false, "b1"}});
        AppendRecord({{false, "a2"}, {true, ""}});
        if (BadRecord) AppendRecord({{false, "only one"}});
    }
};

TEST_F(DbFields, AbstractDataSetFilledByItsSubclass) {
    TwoRecords ds(nullptr);
    EXPECT_THROW(ds.AddFieldNow(), EDatabaseError);  // only while opening
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.Last();
    EXPECT_EQ(ds.FieldByName("A")->AsString(), "a2");
    EXPECT_TRUE(ds.FieldByName("b")->IsNull());
    EXPECT_THROW(ds.AddFieldNow(), EDatabaseError);
    ds.Close();
    ds.BadRecord = true;  // a record with too few values fails the Open
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 0);
}

// ---------------------------------------------------------------- errors

// What SQLite itself says about running Sql on the file at DbPath.
std::string SqliteSays(const std::string& DbPath, const std::string& Sql) {
    sqlite3* db = nullptr;
    std::string message;
    if (sqlite3_open_v2(DbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        message = sqlite3_errmsg(db);
    } else {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, Sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            message = sqlite3_errmsg(db);
        else if (sqlite3_step(stmt) != SQLITE_ROW)
            message = sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return message;
}

TEST_F(DbErrors, OpenFailuresCarryTheCauseAndTheContext) {
    const std::string missing = (fs::path(Dir) / "missing.db").string();
    const std::string text = (fs::path(Dir) / "plain.txt").string();
    std::ofstream(text) << "this is not a database file, just some text long enough to fill a header page\n";
    struct Case {
        std::string File, Sql;
        bool FromSqlite;  // the message includes SQLite's own error message
        std::vector<std::string> Parts;
    };
    const Case cases[] = {
        {missing, "SELECT 1", true, {"unable to open database file", missing}},
        {text, "SELECT * FROM items", true, {"file is not a database", text}},
        {Path, "SELEC id FROM items", true, {"syntax error", "SELEC id FROM items", Path}},
        {Path, "SELECT * FROM nothere", true, {"no such table: nothere", "SELECT * FROM nothere"}},
        {Path, "SELECT nocol FROM items", true, {"no such column: nocol"}},
        {Path, "INSERT INTO items(id) VALUES (5) RETURNING id", true, {"readonly database"}},
        {Path, "SELECT 1; SELECT 2", false, {"More than one statement", "SELECT 1; SELECT 2"}},
        {Path, "SELECT 1; nonsense", false, {"syntax error", "SELECT 1; nonsense"}},
        {Path, "CREATE TABLE t(x)", false, {"returns no result set"}},
        {Path, " -- nothing", false, {"No statement"}},
        {"", "SELECT 1", false, {"No database file name given"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File + ": " + c.Sql);
        TSQLiteQuery q(nullptr);
        q.SetDatabaseName(c.File);
        q.SetSQL(c.Sql);
        TDataSource src(nullptr);
        src.SetDataSet(&q);
        Recorder r;
        r.Link.SetDataSource(&src);
        std::string message;
        try {
            q.Open();
        } catch (const EDatabaseError& e) {
            message = e.what();
        }
        ASSERT_FALSE(message.empty()) << "no error";
        for (const std::string& part : c.Parts) EXPECT_NE(message.find(part), std::string::npos) << message;
        if (c.FromSqlite) {
            EXPECT_NE(message.find(SqliteSays(c.File, c.Sql)), std::string::npos) << message;
        }
        EXPECT_FALSE(q.Active());
        EXPECT_EQ(q.FieldCount(), 0);
        EXPECT_TRUE(r.Seen.empty());
        EXPECT_FALSE(r.Link.Active());
    }
    EXPECT_FALSE(fs::exists(missing));  // never created
    // After a failure the same data set opens once the cause is gone.
    TSQLiteQuery q(nullptr);
    q.SetDatabaseName(Path);
    q.SetSQL("SELECT * FROM nothere");
    EXPECT_THROW(q.Open(), EDatabaseError);
    q.SetSQL("SELECT name FROM items ORDER BY id");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsString(), "Alpha");
}

// ---------------------------------------------------------------- links

TEST_F(DbLinks, DataChangeOnEveryRecordAndFieldChangeOnlyWhileAttached) {
    auto q = Query("SELECT id, name FROM items ORDER BY id");
    TDataSource src(nullptr);
    Recorder r("name");
    struct Step {
        const char* What;
        std::function<void()> Do;
        std::vector<std::string> Adds;
        bool Active;
    };
    const std::string gruesse = "Gr\xFC\xDF" "e";
    const Step steps[] = {
        {"field name without source", [&] { r.Link.SetFieldName("id"); }, {}, false},
        {"source without data set", [&] { r.Link.SetDataSource(&src); }, {}, false},
        {"closed data set", [&] { src.SetDataSet(q.get()); }, {}, false},
        {"field name while inactive", [&] { r.Link.SetFieldName("name"); }, {}, false},
        {"open", [&] { q->Open(); }, {"Alpha"}, true},
        {"next", [&] { q->Next(); }, {gruesse}, true},
        {"other field", [&] { r.Link.SetFieldName("ID"); }, {"2"}, true},
        {"same field name", [&] { r.Link.SetFieldName("ID"); }, {}, true},
        {"missing field", [&] { r.Link.SetFieldName("nope"); }, {"<none>"}, true},
        {"back to name", [&] { r.Link.SetFieldName("name"); }, {gruesse}, true},
        {"last", [&] { q->Last(); }, {"Delta"}, true},
        {"next at the end", [&] { q->Next(); }, {}, true},
        {"prior", [&] { q->Prior(); }, {""}, true},
        {"first", [&] { q->First(); }, {"Alpha"}, true},
        {"close", [&] { q->Close(); }, {"<none>"}, false},
        {"reopen", [&] { q->Open(); }, {"Alpha"}, true},
        {"data set taken away", [&] { src.SetDataSet(nullptr); }, {"<none>"}, false},
        {"data set given back", [&] { src.SetDataSet(q.get()); }, {"Alpha"}, true},
        {"new query text closes", [&] { q->SetSQL("SELECT 'x' AS name"); }, {"<none>"}, false},
        {"open the new query", [&] { q->Open(); }, {"x"}, true},
        {"detach", [&] { r.Link.SetDataSource(nullptr); }, {"<none>"}, false},
        {"move after detaching", [&] { q->First(); }, {}, false},
        {"close after detaching", [&] { q->Close(); }, {}, false},
        {"open after detaching", [&] { q->Open(); }, {}, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.What);
        const size_t before = r.Seen.size();
        s.Do();
        EXPECT_EQ(std::vector<std::string>(r.Seen.begin() + static_cast<long>(before), r.Seen.end()), s.Adds);
        EXPECT_EQ(r.Link.Active(), s.Active);
        EXPECT_EQ(r.Link.Field() != nullptr, s.Active && r.Link.FieldName() != "nope");
    }
    EXPECT_EQ(r.Link.DataSource(), nullptr);
    EXPECT_EQ(r.Link.DataSet(), nullptr);
    EXPECT_EQ(src.DataLinkCount(), 0);
}

TEST_F(DbLinks, DataSourceEventAndLinkList) {
    auto q = Query("SELECT id FROM items ORDER BY id");
    TDataSource src(nullptr);
    std::vector<TField*> fields;
    src.OnDataChange = [&](TObject* Sender, TField* Field) {
        EXPECT_EQ(Sender, &src);
        fields.push_back(Field);
    };
    src.SetDataSet(q.get());
    EXPECT_EQ(q->DataSourceCount(), 1);
    EXPECT_EQ(src.State(), TDataSetState::dsInactive);
    q->Open();  // becoming active
    EXPECT_EQ(src.State(), TDataSetState::dsBrowse);
    q->Next();
    q->Last();
    q->Next();  // no move
    q->Close();
    EXPECT_EQ(fields, (std::vector<TField*>{nullptr, nullptr, nullptr}));

    Recorder a("id"), b("id");
    a.Link.SetDataSource(&src);
    b.Link.SetDataSource(&src);
    ASSERT_EQ(src.DataLinkCount(), 2);
    EXPECT_EQ(src.DataLinks(0), &a.Link);
    EXPECT_EQ(src.DataLinks(1), &b.Link);
    q->Open();
    EXPECT_EQ(a.Seen, std::vector<std::string>{"1"});
    EXPECT_EQ(b.Seen, std::vector<std::string>{"1"});
}

TEST_F(DbLinks, FieldChangeReachesLinksOfThatFieldOnly) {
    TwoRecords ds(nullptr);
    TDataSource src(nullptr);
    src.SetDataSet(&ds);
    std::vector<TField*> fields;
    src.OnDataChange = [&](TObject*, TField* Field) { fields.push_back(Field); };
    Recorder a("a"), b("b");
    a.Link.SetDataSource(&src);
    b.Link.SetDataSource(&src);
    ds.Changed(nullptr);  // closed: nobody hears it
    EXPECT_TRUE(fields.empty());
    ds.Open();
    fields.clear();
    a.Seen.clear();
    b.Seen.clear();
    ds.Changed(ds.FieldByName("a"));
    EXPECT_EQ(a.Seen, std::vector<std::string>{"a1"});
    EXPECT_TRUE(b.Seen.empty());
    EXPECT_EQ(fields, std::vector<TField*>{ds.FieldByName("a")});
    ds.Changed(nullptr);  // the whole record
    EXPECT_EQ(a.Seen.size(), 2u);
    EXPECT_EQ(b.Seen, std::vector<std::string>{"b1"});
}

TEST_F(DbLinks, MovingToAnotherSourceFollowsItsDataSet) {
    auto q1 = Query("SELECT name FROM items ORDER BY id");
    auto q2 = Query("SELECT 'other' AS NAME");
    TDataSource s1(nullptr), s2(nullptr), idle(nullptr);
    s1.SetDataSet(q1.get());
    s2.SetDataSet(q2.get());
    q1->Open();
    q2->Open();
    Recorder r;
    r.Link.SetDataSource(&s1);
    EXPECT_EQ(r.Seen, std::vector<std::string>{"Alpha"});
    r.Link.SetDataSource(&s2);  // leaves one active source, joins another
    EXPECT_EQ(r.Seen, (std::vector<std::string>{"Alpha", "<none>", "other"}));
    EXPECT_EQ(r.Link.Field()->DataSet(), q2.get());
    EXPECT_EQ(s1.DataLinkCount(), 0);
    r.Link.SetDataSource(&idle);  // a source without data set
    EXPECT_EQ(r.Seen.back(), "<none>");
    r.Link.SetDataSource(&idle);
    EXPECT_EQ(r.Seen.size(), 4u);
}

TEST_F(DbLinks, HandlerMayDestroyAnotherLink) {
    auto q = Query("SELECT id FROM items ORDER BY id");
    TDataSource src(nullptr);
    src.SetDataSet(q.get());
    auto first = std::make_unique<Recorder>("id");
    auto second = std::make_unique<Recorder>("id");
    first->Link.SetDataSource(&src);
    second->Link.SetDataSource(&src);
    first->Link.OnDataChange = [&](TObject*) { second.reset(); };
    q->Open();
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(src.DataLinkCount(), 1);
    q->Next();
    EXPECT_EQ(q->RecNo(), 2);
}

// ---------------------------------------------------------------- lifetime

// Data set, source and link, destroyed in all six orders; after each
// destruction the survivors hold no pointer to what went.
TEST_F(DbLifetime, AnyDestructionOrderLeavesNoDanglingPointer) {
    enum Part { DataSet, Source, Link };
    std::array<int, 3> order = {DataSet, Source, Link};
    do {
        SCOPED_TRACE(std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]));
        auto q = Query("SELECT name FROM items ORDER BY id");
        auto src = std::make_unique<TDataSource>(nullptr);
        auto r = std::make_unique<Recorder>();
        int sourceEvents = 0;
        src->OnDataChange = [&](TObject*, TField*) { ++sourceEvents; };
        src->SetDataSet(q.get());
        r->Link.SetDataSource(src.get());
        q->Open();
        ASSERT_EQ(r->Seen, std::vector<std::string>{"Alpha"});
        ASSERT_EQ(sourceEvents, 1);
        for (int part : order) {
            switch (part) {
                case DataSet: q.reset(); break;
                case Source: src.reset(); break;
                case Link: r.reset(); break;
            }
            if (src) {
                EXPECT_EQ(src->DataSet(), q.get());
                EXPECT_EQ(src->DataLinkCount(), r ? 1 : 0);
            }
            if (q) {
                EXPECT_EQ(q->DataSourceCount(), src ? 1 : 0);
            }
            if (r) {
                EXPECT_EQ(r->Link.DataSource(), src.get());
                EXPECT_EQ(r->Link.Active(), q && src);
                EXPECT_EQ(r->Link.Field() != nullptr, q && src);
                // Losing the data set or the source is a data change for the link.
                EXPECT_EQ(r->Seen.back(), q && src ? "Alpha" : "<none>");
                EXPECT_LE(r->Seen.size(), 2u);
            }
            EXPECT_EQ(sourceEvents, 1);  // closing is no event of the source
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(DbLifetime, OwnerTreeAndFreeNotification) {
    // Data set and source on one form, the link outside it.
    {
        auto form = std::make_unique<TComponent>(nullptr);
        auto* q = new TSQLiteQuery(form.get());
        q->SetDatabaseName(Path);
        q->SetSQL("SELECT name FROM items");
        auto* src = new TDataSource(form.get());
        src->SetDataSet(q);
        Recorder r;
        r.Link.SetDataSource(src);
        q->Open();
        form.reset();
        EXPECT_EQ(r.Link.DataSource(), nullptr);
        EXPECT_FALSE(r.Link.Active());
        EXPECT_EQ(r.Seen.back(), "<none>");
    }
    // Data set on another form than its source: the source hears of its end.
    {
        auto dataModule = std::make_unique<TComponent>(nullptr);
        auto form = std::make_unique<TComponent>(nullptr);
        auto* q = new TSQLiteQuery(dataModule.get());
        auto* src = new TDataSource(form.get());
        src->SetDataSet(q);
        dataModule.reset();
        EXPECT_EQ(src->DataSet(), nullptr);
    }
    // Removing the data set from the source's owner drops it as well.
    {
        TComponent form(nullptr);
        auto* src = new TDataSource(&form);
        auto* q = new TSQLiteQuery(&form);
        src->SetDataSet(q);
        form.RemoveComponent(q);
        EXPECT_EQ(src->DataSet(), nullptr);
        EXPECT_EQ(q->DataSourceCount(), 0);
        delete q;
    }
}

}  // namespace
