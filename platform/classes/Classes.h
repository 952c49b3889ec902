#pragma once
// Base object classes of the component platform: TObject, TPersistent, the
// notify-event type, and TComponent with its owner tree and notifications.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kdx {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// A method pointer called with the object that raised the event.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Objects with published properties that can be assigned and streamed.
class TPersistent : public TObject {};

enum class TOperation : uint8_t { opInsert, opRemove };

// Component state flags (a set).
enum TComponentStateFlag : uint32_t {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
};
using TComponentState = uint32_t;

// A component belongs to its owner, which destroys it. Components that
// refer to one another learn of each other's removal through Notification:
// the owner tells all it owns, and FreeNotification reaches components that
// live elsewhere.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value);

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
    // The owned component of that name (letter case ignored), or nullptr.
    TComponent* FindComponent(std::string_view AName) const;

    TComponentState ComponentState() const { return FComponentState; }
    // Marks this component and everything it owns as shown in the designer.
    void SetDesigning(bool Value);
    // Loading from a stream: set csLoading, then Loaded clears it.
    void BeginLoading();
    virtual void Loaded();

    // AComponent will be told (opRemove) when this component is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    // Called when AComponent is inserted into or removed from the owner tree
    // (or, with FreeNotification, destroyed). The default passes the news on
    // to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState = 0;
};

}  // namespace kdx
