#pragma once
// Visual controls without a GUI toolkit: TControl (bounds, parent, style,
// invalidation), TCustomControl (its own canvas and Paint), a window host that
// turns invalidations into Paint calls on raster surfaces, and Screen.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Graphics.h"
#include "platform/surfaces/RasterCanvas.h"

namespace kdx {

// Control style flags (a set).
enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1,
    csCaptureMouse = 2,
    csClickEvents = 4,
    csOpaque = 8,
    csDoubleClicks = 16,
};
using TControlStyle = uint32_t;

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using TShiftState = uint32_t;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

constexpr TColor clBtnFace = RGB(0xF0, 0xF0, 0xF0);

class TWindowHost;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    // A change of size repaints the control (negative sizes count as 0).
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

    TWindowHost* Parent() const { return FParent; }
    void SetParent(TWindowHost* Value);
    // A control has a window while it sits on a host.
    bool HandleAllocated() const { return FParent != nullptr; }

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }

    // Marks the control for painting; a control without a window has nothing
    // to repaint. Refresh paints at once.
    void Invalidate();
    void Refresh();

    // Mouse input from the host; the default raises OnMouseDown.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    TMouseEvent OnMouseDown;
    TNotifyEvent OnClick;

protected:
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;

private:
    friend class TWindowHost;
    virtual void PaintWindow(TColor EraseColor) = 0;

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TWindowHost* FParent = nullptr;
};

// A control that paints itself on its own canvas in Paint.
class TCustomControl : public TControl {
public:
    explicit TCustomControl(TComponent* AOwner);

    // The control's window surface, Width x Height pixels once painted.
    TCanvas& Canvas() { return FCanvas; }
    const RasterCanvas& Surface() const { return FCanvas; }
    int PaintCount() const { return FPaintCount; }

protected:
    virtual void Paint() {}

private:
    void PaintWindow(TColor EraseColor) override;

    RasterCanvas FCanvas{0, 0};
    int FPaintCount = 0;
};

// The window of a form: its controls' invalidations become Paint calls when
// messages are processed, and the whole form can be captured as an image.
class TWindowHost : public TComponent {
public:
    explicit TWindowHost(TComponent* AOwner);
    ~TWindowHost() override;

    TColor Color = clBtnFace;
    int ClientWidth = 400;
    int ClientHeight = 300;

    const std::vector<TControl*>& Controls() const { return FControls; }
    // Paints every invalid control (a paint that resizes a control makes it
    // invalid again); returns the number of paints made.
    int ProcessMessages();
    // Paints Control now.
    void PaintControl(TControl* Control);
    // The form with its controls at their positions.
    void PaintTo(RasterCanvas& Target);
    bool SavePng(const std::string& Path, std::string* Error = nullptr);

private:
    friend class TControl;
    void AddControl(TControl* Control);
    void RemoveControl(TControl* Control);
    void InvalidateControl(TControl* Control);

    std::vector<TControl*> FControls;
    std::vector<TControl*> FInvalid;
};

// The screen: its resolution for scaling printed output.
class TScreen {
public:
    int PixelsPerInch = 96;
};
extern TScreen Screen;

}  // namespace kdx
