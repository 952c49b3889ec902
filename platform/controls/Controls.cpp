#include "platform/controls/Controls.h"

#include <algorithm>

namespace kdx {

TScreen Screen;

// ---- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() { SetParent(nullptr); }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (resized) Invalidate();
}

void TControl::SetParent(TWindowHost* Value) {
    if (Value == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    FParent = Value;
    if (FParent) {
        FParent->AddControl(this);
        Invalidate();
    }
}

void TControl::Invalidate() {
    if (FParent) FParent->InvalidateControl(this);
}

void TControl::Refresh() {
    if (FParent) FParent->PaintControl(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

// ---- TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TControl(AOwner) {}

void TCustomControl::PaintWindow(TColor EraseColor) {
    // The window surface follows the control's size; a control that is not
    // opaque gets its background erased before it paints.
    if (FCanvas.Width() != Width() || FCanvas.Height() != Height())
        FCanvas.Resize(Width(), Height(), EraseColor);
    else if (!(FControlStyle & csOpaque))
        FCanvas.Clear(EraseColor);
    ++FPaintCount;
    Paint();
}

// ---- TWindowHost

TWindowHost::TWindowHost(TComponent* AOwner) : TComponent(AOwner) {}

TWindowHost::~TWindowHost() {
    // Controls owned elsewhere lose their window with the host.
    const std::vector<TControl*> controls = FControls;
    for (TControl* c : controls) c->SetParent(nullptr);
}

void TWindowHost::AddControl(TControl* Control) { FControls.push_back(Control); }

void TWindowHost::RemoveControl(TControl* Control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
    FInvalid.erase(std::remove(FInvalid.begin(), FInvalid.end(), Control), FInvalid.end());
}

void TWindowHost::InvalidateControl(TControl* Control) {
    if (std::find(FInvalid.begin(), FInvalid.end(), Control) == FInvalid.end()) FInvalid.push_back(Control);
}

void TWindowHost::PaintControl(TControl* Control) {
    FInvalid.erase(std::remove(FInvalid.begin(), FInvalid.end(), Control), FInvalid.end());
    Control->PaintWindow(Color);
}

int TWindowHost::ProcessMessages() {
    // A control that keeps invalidating itself in Paint would loop forever on
    // a real message queue too; stop after a generous number of rounds.
    constexpr int kMaxPaints = 1000;
    int paints = 0;
    while (!FInvalid.empty() && paints < kMaxPaints) {
        PaintControl(FInvalid.front());
        ++paints;
    }
    return paints;
}

void TWindowHost::PaintTo(RasterCanvas& Target) {
    Target.Resize(ClientWidth, ClientHeight, Color);
    for (TControl* c : FControls) {
        if (auto* custom = dynamic_cast<TCustomControl*>(c)) Target.Draw(c->Left(), c->Top(), custom->Surface());
    }
}

bool TWindowHost::SavePng(const std::string& Path, std::string* Error) {
    ProcessMessages();
    RasterCanvas image(ClientWidth, ClientHeight, Color);
    PaintTo(image);
    return image.SavePng(Path, Error);
}

}  // namespace kdx
