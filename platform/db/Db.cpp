#include "platform/db/Db.h"

#include <algorithm>
#include <strings.h>

namespace kdx {

namespace {

bool SameText(std::string_view A, std::string_view B) {
    return A.size() == B.size() && strncasecmp(A.data(), B.data(), A.size()) == 0;
}

template <typename T>
bool Contains(const std::vector<T*>& List, const T* Item) {
    return std::find(List.begin(), List.end(), Item) != List.end();
}

template <typename T>
void Erase(std::vector<T*>& List, const T* Item) {
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}

}  // namespace

// ---------------------------------------------------------------- TField

TField::TField(std::string AFieldName, TFieldType ADataType)
    : FFieldName(std::move(AFieldName)), FDataType(ADataType) {}

const TFieldValue* TField::CurrentValue() const { return FDataSet ? FDataSet->CurrentValue(FIndex) : nullptr; }

bool TField::IsNull() const {
    const TFieldValue* v = CurrentValue();
    return !v || v->Null;
}

std::string TField::AsString() const {
    const TFieldValue* v = CurrentValue();
    return v && !v->Null ? v->Data : std::string();
}

std::string TField::DisplayText() const { return AsString(); }

TBlobField::TBlobField(std::string AFieldName, TFieldType ADataType) : TField(std::move(AFieldName), ADataType) {}

std::string TBlobField::DisplayText() const {
    // The kind's name, in capitals when there is content to see.
    std::string text = KindName();
    const TFieldValue* v = CurrentValue();
    if (v && !v->Null && !v->Data.empty())
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

TMemoField::TMemoField(std::string AFieldName) : TBlobField(std::move(AFieldName), TFieldType::ftMemo) {}

// ---------------------------------------------------------------- TDataSet

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    // The derived part is gone, so InternalClose is not called here; a
    // concrete data set that holds resources closes in its own destructor.
    if (FActive) CloseData();
    while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
}

void TDataSet::SetActive(bool Value) {
    if (Value)
        Open();
    else
        Close();
}

void TDataSet::Open() {
    if (FActive) return;
    FOpening = true;
    try {
        InternalOpen();
    } catch (...) {
        FOpening = false;
        FRecords.clear();
        FFields.clear();
        throw;
    }
    FOpening = false;
    FActive = true;
    FCurrent = FRecords.empty() ? -1 : 0;
    FBof = true;
    FEof = FRecords.empty();
    DataEvent(TDataEvent::deUpdateState, nullptr);
}

void TDataSet::Close() {
    if (!FActive) return;
    InternalClose();
    CloseData();
}

void TDataSet::CloseData() {
    FActive = false;
    FRecords.clear();
    FFields.clear();
    FCurrent = -1;
    FBof = FEof = true;
    DataEvent(TDataEvent::deUpdateState, nullptr);
}

void TDataSet::First() {
    CheckActive();
    FCurrent = FRecords.empty() ? -1 : 0;
    FBof = true;
    FEof = FRecords.empty();
    DataEvent(TDataEvent::deDataSetChange, nullptr);
}

void TDataSet::Last() {
    CheckActive();
    FCurrent = static_cast<int>(FRecords.size()) - 1;
    FEof = true;
    FBof = FRecords.empty();
    DataEvent(TDataEvent::deDataSetChange, nullptr);
}

void TDataSet::Next() {
    CheckActive();
    if (FEof) return;
    FBof = false;
    if (FCurrent + 1 < RecordCount()) {
        ++FCurrent;
        DataEvent(TDataEvent::deDataSetScroll, nullptr);
    } else {
        FEof = true;
    }
}

void TDataSet::Prior() {
    CheckActive();
    if (FBof) return;
    FEof = false;
    if (FCurrent > 0) {
        --FCurrent;
        DataEvent(TDataEvent::deDataSetScroll, nullptr);
    } else {
        FBof = true;
    }
}

int TDataSet::RecNo() const { return FActive && FCurrent >= 0 ? FCurrent + 1 : 0; }

TField* TDataSet::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount())
        throw EDatabaseError(ErrorText("Field index " + std::to_string(Index) + " out of range"));
    return FFields[static_cast<size_t>(Index)].get();
}

TField* TDataSet::FindField(std::string_view FieldName) const {
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), FieldName)) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(std::string_view FieldName) const {
    TField* f = FindField(FieldName);
    if (!f) throw EDatabaseError(ErrorText("Field '" + std::string(FieldName) + "' not found"));
    return f;
}

TField* TDataSet::AddField(std::unique_ptr<TField> Field) {
    if (!FOpening) throw EDatabaseError(ErrorText("Fields can only be added while the data set opens"));
    Field->FDataSet = this;
    Field->FIndex = FieldCount();
    FFields.push_back(std::move(Field));
    return FFields.back().get();
}

void TDataSet::AppendRecord(std::vector<TFieldValue> Values) {
    if (!FOpening) throw EDatabaseError(ErrorText("Records can only be added while the data set opens"));
    if (Values.size() != FFields.size())
        throw EDatabaseError(ErrorText("A record needs " + std::to_string(FFields.size()) + " values, not " +
                                       std::to_string(Values.size())));
    FRecords.push_back(std::move(Values));
}

const TFieldValue* TDataSet::CurrentValue(int FieldIndex) const {
    if (!FActive || FCurrent < 0 || FieldIndex < 0) return nullptr;
    const auto& record = FRecords[static_cast<size_t>(FCurrent)];
    return static_cast<size_t>(FieldIndex) < record.size() ? &record[static_cast<size_t>(FieldIndex)] : nullptr;
}

void TDataSet::DataEvent(TDataEvent Event, TField* Info) {
    // Copy: a handler may attach or detach data sources.
    const std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* s : sources) {
        if (!Contains(FDataSources, s)) continue;
        if (Event == TDataEvent::deUpdateState)
            s->UpdateState();
        else
            s->DataEvent(Event, Info);
    }
}

void TDataSet::CheckActive() const {
    if (!FActive) throw EDatabaseError(ErrorText("Cannot perform this operation on a closed dataset"));
}

void TDataSet::CheckInactive() const {
    if (FActive) throw EDatabaseError(ErrorText("Cannot perform this operation on an open dataset"));
}

std::string TDataSet::ErrorText(const std::string& Text) const {
    return Name().empty() ? Text : Name() + ": " + Text;
}

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    // No events of its own while it goes; its links hear that they lost it.
    OnDataChange = nullptr;
    SetDataSet(nullptr);
    while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) {
        Erase(FDataSet->FDataSources, this);
        RemoveFreeNotification(FDataSet);
    }
    FDataSet = ADataSet;
    if (FDataSet) {
        FDataSet->FDataSources.push_back(this);
        FDataSet->FreeNotification(this);
    }
    UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::UpdateState() {
    const TDataSetState state = FDataSet && FDataSet->Active() ? TDataSetState::dsBrowse : TDataSetState::dsInactive;
    if (state == FState) return;
    const TDataSetState prior = FState;
    FState = state;
    const std::vector<TDataLink*> links = FDataLinks;
    for (TDataLink* l : links)
        if (Contains(FDataLinks, l)) l->UpdateState();
    if (prior == TDataSetState::dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Info) {
    if (Event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == TDataSetState::dsInactive) return;
    const std::vector<TDataLink*> links = FDataLinks;
    for (TDataLink* l : links)
        if (Contains(FDataLinks, l)) l->DataEvent(Event, Info);
    if (OnDataChange) OnDataChange(this, Event == TDataEvent::deFieldChange ? Info : nullptr);
}

void TDataSource::AddDataLink(TDataLink* Link) {
    FDataLinks.push_back(Link);
    Link->FDataSource = this;
    Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
    Link->FDataSource = nullptr;
    Erase(FDataLinks, Link);
    Link->UpdateState();
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
    // Leave quietly: the derived part that would react is already gone.
    FActive = false;
    if (FDataSource) {
        Erase(FDataSource->FDataLinks, this);
        FDataSource = nullptr;
    }
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
    if (ADataSource == FDataSource) return;
    if (FDataSource) FDataSource->RemoveDataLink(this);
    if (ADataSource) ADataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::UpdateState() {
    const bool active = FDataSource && FDataSource->State() != TDataSetState::dsInactive;
    if (active == FActive) return;
    FActive = active;
    ActiveChanged();
}

void TDataLink::DataEvent(TDataEvent Event, TField* Info) {
    if (Event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive) return;
    switch (Event) {
        case TDataEvent::deFieldChange: RecordChanged(Info); break;
        case TDataEvent::deRecordChange: RecordChanged(nullptr); break;
        case TDataEvent::deDataSetChange: DataSetChanged(); break;
        case TDataEvent::deDataSetScroll: DataSetScrolled(); break;
        case TDataEvent::deLayoutChange: LayoutChanged(); break;
        case TDataEvent::deUpdateState: break;
    }
}

// ---------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const std::string& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    if (Active()) DoDataChange();
}

TField* TFieldDataLink::Field() const {
    // Looked up each time: fields live only while their data set is open.
    TDataSet* ds = DataSet();
    return Active() && ds && ds->Active() && !FFieldName.empty() ? ds->FindField(FFieldName) : nullptr;
}

void TFieldDataLink::ActiveChanged() { DoDataChange(); }

void TFieldDataLink::RecordChanged(TField* AField) {
    if (!AField || AField == Field()) DoDataChange();
}

void TFieldDataLink::DoDataChange() {
    if (OnDataChange) OnDataChange(this);
}

}  // namespace kdx
