#pragma once
// Data access: data sets with their fields (plain, memo and blob kinds), data
// sources, data links (the field link of data-aware controls), and a data set
// that runs an SQL query on an SQLite database file.
//
// Notifications run data set -> data sources -> data links: every change of
// the current record, and the data set opening or closing, reaches every
// attached link. Each side unhooks the other when it is destroyed, so the
// three kinds of object may be destroyed in any order.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Classes.h"

namespace kdx {

class TDataSet;
class TDataSource;
class TDataLink;

// Every error of the data-access layer (database, SQL, fields, state).
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
};

enum class TDataSetState : uint8_t { dsInactive, dsBrowse };

// What a data set tells its data sources (and they their links).
enum class TDataEvent : uint8_t {
    deFieldChange,    // the value of one field of the current record changed
    deRecordChange,   // the current record's values changed
    deDataSetChange,  // the records were re-read (First, Last)
    deDataSetScroll,  // another record became current (Next, Prior)
    deLayoutChange,   // the fields changed
    deUpdateState,    // the data set opened or closed
};

// One stored value: NULL, or its bytes (text, the text form of a number, or
// the raw content of a blob).
struct TFieldValue {
    bool Null = true;
    std::string Data;
};

// A column of a data set; it reads the data set's current record. Fields
// belong to their data set, exist while it is open, and are destroyed when
// it closes.
class TField : public TObject {
public:
    TField(std::string AFieldName, TFieldType ADataType);

    TDataSet* DataSet() const { return FDataSet; }
    const std::string& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    // Position in the data set's field list (0-based).
    int Index() const { return FIndex; }
    virtual bool IsBlob() const { return false; }

    // True for NULL, and when there is no current record.
    bool IsNull() const;
    // The stored bytes; "" for NULL.
    std::string AsString() const;
    // The text shown for the value: "" for NULL, otherwise the stored text.
    virtual std::string DisplayText() const;

protected:
    // The value in the current record, or nullptr when there is none.
    const TFieldValue* CurrentValue() const;

private:
    friend class TDataSet;
    TDataSet* FDataSet = nullptr;
    int FIndex = -1;
    std::string FFieldName;
    TFieldType FDataType;
};

// A field holding a binary large object. Its display text names its kind:
// "(BLOB)" when it holds data, "(Blob)" when it is NULL or empty; AsString
// gives the bytes.
class TBlobField : public TField {
public:
    explicit TBlobField(std::string AFieldName, TFieldType ADataType = TFieldType::ftBlob);
    bool IsBlob() const override { return true; }
    std::string DisplayText() const override;

protected:
    // The kind's name as shown for a NULL or empty value, e.g. "(Blob)".
    virtual std::string KindName() const { return "(Blob)"; }
};

// A field holding long text: display text "(MEMO)" / "(Memo)".
class TMemoField : public TBlobField {
public:
    explicit TMemoField(std::string AFieldName);

protected:
    std::string KindName() const override { return "(Memo)"; }
};

// A set of records with a current record, fields, and the data sources that
// present it. The records are kept in memory; a concrete data set fills them
// in InternalOpen through AddField and AppendRecord.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    void Open();
    void Close();
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TDataSetState State() const { return FActive ? TDataSetState::dsBrowse : TDataSetState::dsInactive; }

    // Navigation; each throws EDatabaseError on a closed data set. First and
    // Last always re-read the record; Next and Prior notify only when they
    // move, and otherwise set Eof / Bof.
    void First();
    void Next();
    void Prior();
    void Last();
    // Eof: a Next found no further record (or there are none); Bof: at the
    // first record after Open/First, or a Prior found no earlier one. Both
    // are true on a closed or empty data set.
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    // The current record's number from 1; 0 when closed or empty.
    int RecNo() const;
    int RecordCount() const { return static_cast<int>(FRecords.size()); }
    bool IsEmpty() const { return FRecords.empty(); }

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int Index) const;
    // The field of that name (letter case ignored), or nullptr.
    TField* FindField(std::string_view FieldName) const;
    // The same, throwing EDatabaseError "Field 'X' not found" when missing.
    TField* FieldByName(std::string_view FieldName) const;

    int DataSourceCount() const { return static_cast<int>(FDataSources.size()); }

protected:
    // Reads the fields and records; throws EDatabaseError on failure (what it
    // added so far is discarded and the data set stays closed).
    virtual void InternalOpen() = 0;
    // Releases what InternalOpen acquired beyond the fields and records.
    virtual void InternalClose() {}

    // For InternalOpen: append a field / a record with one value per field.
    TField* AddField(std::unique_ptr<TField> Field);
    void AppendRecord(std::vector<TFieldValue> Values);

    // Tells every data source (and through it every data link).
    void DataEvent(TDataEvent Event, TField* Info);

    void CheckActive() const;
    void CheckInactive() const;
    // An error message prefixed with the component's name, as "Name: Text".
    std::string ErrorText(const std::string& Text) const;

private:
    friend class TField;
    friend class TDataSource;

    const TFieldValue* CurrentValue(int FieldIndex) const;
    // Leaves the closed state and notifies; shared by Close and the destructor.
    void CloseData();

    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<std::vector<TFieldValue>> FRecords;
    std::vector<TDataSource*> FDataSources;
    bool FActive = false;
    bool FOpening = false;
    int FCurrent = -1;  // index of the current record, -1 when none
    bool FBof = true;
    bool FEof = true;
};

// A method pointer called with the data source and the field whose value
// changed, or nullptr when the whole record changed.
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

// Connects one data set with any number of data links.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ADataSet);
    TDataSetState State() const { return FState; }

    int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }
    TDataLink* DataLinks(int Index) const { return FDataLinks.at(static_cast<size_t>(Index)); }

    // Raised when the current record changes (Field nullptr), when a field's
    // value changes (that field), and when the data set becomes active.
    TDataChangeEvent OnDataChange;

    // Drops the data set when it is removed or destroyed.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent Event, TField* Info);
    void UpdateState();
    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);

    TDataSet* FDataSet = nullptr;
    TDataSetState FState = TDataSetState::dsInactive;
    std::vector<TDataLink*> FDataLinks;
};

// The link of a data-aware object to a data source; it is active while the
// source's data set is open. Derived links react through the virtual
// handlers below. A link is owned by whatever uses it (not a component).
class TDataLink : public TPersistent {
public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* ADataSource);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }

protected:
    virtual void ActiveChanged() {}
    virtual void RecordChanged(TField* /*Field*/) {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void LayoutChanged() { DataSetChanged(); }

private:
    friend class TDataSource;

    void DataEvent(TDataEvent Event, TField* Info);
    void UpdateState();

    TDataSource* FDataSource = nullptr;
    bool FActive = false;
};

// The link of a data-aware control to one field, by name.
class TFieldDataLink : public TDataLink {
public:
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);
    // The field of that name while the data set is open, else nullptr.
    TField* Field() const;

    // Called with this link whenever what the control shows may have
    // changed: the current record or the field's value changed, the data set
    // opened or closed, or the link changed field or data source while
    // active. Not called while the link is inactive, nor during its own
    // destruction.
    TNotifyEvent OnDataChange;

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* AField) override;

private:
    void DoDataChange();

    std::string FFieldName;
};

// A data set that runs one SQL query on an SQLite database file and keeps the
// result rows in memory. The file is opened read-only and never created.
// A column's declared type chooses its field class: one containing BLOB
// gives a TBlobField, one containing MEMO or CLOB, or LONG with TEXT or
// CHAR, a TMemoField; any other a plain TField.
class TSQLiteQuery : public TDataSet {
public:
    explicit TSQLiteQuery(TComponent* AOwner);
    ~TSQLiteQuery() override;

    const std::string& DatabaseName() const { return FDatabaseName; }
    // Throws EDatabaseError while the query is open.
    void SetDatabaseName(const std::string& Value);
    const std::string& SQL() const { return FSQL; }
    // Closes the query first when the text differs.
    void SetSQL(const std::string& Value);

protected:
    void InternalOpen() override;

private:
    std::string FDatabaseName;
    std::string FSQL;
};

}  // namespace kdx
