#include "platform/classes/Classes.h"

#include <algorithm>
#include <strings.h>

namespace kdx {

namespace {
void Erase(std::vector<TComponent*>& List, TComponent* Item) {
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}
}  // namespace

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        if (AOwner->FComponentState & csDesigning) FComponentState |= csDesigning;
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    // Those that asked to hear of this component's end hear it first.
    const std::vector<TComponent*> notifies = std::move(FFreeNotifies);
    FFreeNotifies.clear();
    for (TComponent* c : notifies) {
        Erase(c->FFreeNotifies, this);
        c->Notification(this, TOperation::opRemove);
    }
    // Then everything it owns, last created first.
    while (!FComponents.empty()) delete FComponents.back();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::string& Value) { FName = Value; }

TComponent* TComponent::FindComponent(std::string_view AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.size() == AName.size() && strncasecmp(c->FName.data(), AName.data(), AName.size()) == 0)
            return c;
    return nullptr;
}

void TComponent::SetDesigning(bool Value) {
    if (Value)
        FComponentState |= csDesigning;
    else
        FComponentState &= ~static_cast<uint32_t>(csDesigning);
    for (TComponent* c : FComponents) c->SetDesigning(Value);
}

void TComponent::BeginLoading() { FComponentState |= csLoading; }

void TComponent::Loaded() { FComponentState &= ~static_cast<uint32_t>(csLoading); }

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    // Both sides keep the link, so that whichever goes first unhooks it.
    if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
        AComponent->FFreeNotifies.end())
        AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    Erase(FFreeNotifies, AComponent);
    Erase(AComponent->FFreeNotifies, this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    Erase(FComponents, AComponent);
    AComponent->FOwner = nullptr;
    Notification(AComponent, TOperation::opRemove);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Copy: a handler may add or remove components.
    const std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned)
        if (c != AComponent) c->Notification(AComponent, Operation);
}

}  // namespace kdx
