#pragma once
// Base object classes of the component platform: TObject, TPersistent and
// the notify-event type every change notification uses.

#include <functional>

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

}  // namespace kdx
