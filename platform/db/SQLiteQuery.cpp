// TSQLiteQuery: runs one SQL query on an SQLite database file through the
// SQLite C API and hands the result to TDataSet as fields and records.

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "platform/db/Db.h"

namespace kdx {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* Db) const { sqlite3_close(Db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* Stmt) const { sqlite3_finalize(Stmt); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// How long a query waits for another connection's write lock.
constexpr int kBusyTimeoutMs = 2000;

std::string Upper(const char* Text) {
    std::string s = Text ? Text : "";
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool Has(const std::string& Text, const char* Part) { return Text.find(Part) != std::string::npos; }

enum class FieldClass { Plain, Memo, Blob };

// The field class a declared column type calls for.
FieldClass ClassOf(const std::string& Decl) {
    if (Has(Decl, "BLOB")) return FieldClass::Blob;
    if (Has(Decl, "MEMO") || Has(Decl, "CLOB") || (Has(Decl, "LONG") && (Has(Decl, "TEXT") || Has(Decl, "CHAR"))))
        return FieldClass::Memo;
    return FieldClass::Plain;
}

// The data type of a plain field: from the declared type by SQLite's
// affinity rules, or, where that says nothing definite (no declared type,
// NUMERIC affinity), from the storage class of the first non-NULL value.
TFieldType PlainTypeOf(const std::string& Decl, int FirstStorageClass) {
    if (Has(Decl, "INT")) return TFieldType::ftInteger;
    if (Has(Decl, "CHAR") || Has(Decl, "TEXT")) return TFieldType::ftString;
    if (Has(Decl, "REAL") || Has(Decl, "FLOA") || Has(Decl, "DOUB")) return TFieldType::ftFloat;
    switch (FirstStorageClass) {
        case SQLITE_INTEGER: return TFieldType::ftInteger;
        case SQLITE_FLOAT: return TFieldType::ftFloat;
        case SQLITE_TEXT: return TFieldType::ftString;
        case SQLITE_BLOB: return TFieldType::ftBytes;
        default: return TFieldType::ftUnknown;
    }
}

}  // namespace

TSQLiteQuery::TSQLiteQuery(TComponent* AOwner) : TDataSet(AOwner) {}

TSQLiteQuery::~TSQLiteQuery() { Close(); }

void TSQLiteQuery::SetDatabaseName(const std::string& Value) {
    if (Value == FDatabaseName) return;
    CheckInactive();
    FDatabaseName = Value;
}

void TSQLiteQuery::SetSQL(const std::string& Value) {
    if (Value == FSQL) return;
    Close();
    FSQL = Value;
}

void TSQLiteQuery::InternalOpen() {
    if (FDatabaseName.empty()) throw EDatabaseError(ErrorText("No database file name given"));

    // Read-only: a missing file is an error, never silently created.
    sqlite3* raw = nullptr;
    const int openRc = sqlite3_open_v2(FDatabaseName.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    DatabasePtr db(raw);
    if (openRc != SQLITE_OK)
        throw EDatabaseError(ErrorText("Cannot open database '" + FDatabaseName +
                                       "': " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(openRc))));
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);

    const auto sqlError = [&](const std::string& What) {
        return EDatabaseError(ErrorText(What + " in SQL \"" + FSQL + "\" on database '" + FDatabaseName + "'"));
    };

    // Compile the statement, and make sure nothing but blanks and comments
    // follows it: a second statement would otherwise be ignored unseen.
    const char* tail = nullptr;
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), FSQL.data(), static_cast<int>(FSQL.size()), &rawStmt, &tail) != SQLITE_OK)
        throw sqlError(sqlite3_errmsg(db.get()));
    StatementPtr stmt(rawStmt);
    if (!stmt) throw sqlError("No statement");
    const char* const end = FSQL.data() + FSQL.size();
    if (tail && tail < end) {
        sqlite3_stmt* rawRest = nullptr;
        const int rc = sqlite3_prepare_v2(db.get(), tail, static_cast<int>(end - tail), &rawRest, nullptr);
        StatementPtr rest(rawRest);
        if (rc != SQLITE_OK) throw sqlError(sqlite3_errmsg(db.get()));
        if (rest) throw sqlError("More than one statement");
    }

    const int columns = sqlite3_column_count(stmt.get());
    if (columns == 0) throw sqlError("The statement returns no result set");

    // Declared types are known after compiling; read them before stepping.
    std::vector<std::string> decls(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) decls[static_cast<size_t>(i)] = Upper(sqlite3_column_decltype(stmt.get(), i));

    std::vector<std::vector<TFieldValue>> rows;
    std::vector<int> firstClass(static_cast<size_t>(columns), SQLITE_NULL);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        std::vector<TFieldValue> row(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i) {
            TFieldValue& v = row[static_cast<size_t>(i)];
            const int type = sqlite3_column_type(stmt.get(), i);
            if (type == SQLITE_NULL) continue;
            v.Null = false;
            // Blobs as their raw bytes; numbers and text as SQLite's text
            // form (the pointer first, then its length, as SQLite requires).
            const void* data = type == SQLITE_BLOB ? sqlite3_column_blob(stmt.get(), i)
                                                   : static_cast<const void*>(sqlite3_column_text(stmt.get(), i));
            const int bytes = sqlite3_column_bytes(stmt.get(), i);
            if (data && bytes > 0) v.Data.assign(static_cast<const char*>(data), static_cast<size_t>(bytes));
            if (firstClass[static_cast<size_t>(i)] == SQLITE_NULL) firstClass[static_cast<size_t>(i)] = type;
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) throw sqlError(sqlite3_errmsg(db.get()));

    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt.get(), i);
        std::string fieldName = name ? name : "";
        const std::string& decl = decls[static_cast<size_t>(i)];
        switch (ClassOf(decl)) {
            case FieldClass::Blob: AddField(std::make_unique<TBlobField>(std::move(fieldName))); break;
            case FieldClass::Memo: AddField(std::make_unique<TMemoField>(std::move(fieldName))); break;
            case FieldClass::Plain:
                AddField(std::make_unique<TField>(std::move(fieldName),
                                                  PlainTypeOf(decl, firstClass[static_cast<size_t>(i)])));
                break;
        }
    }
    for (auto& row : rows) AppendRecord(std::move(row));
}

}  // namespace kdx
