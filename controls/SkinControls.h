#pragma once
// The skinned control library: the plug-in's own window classes, each drawn from bitmaps and
// owning one object per window (stored in the window's GWLP_USERDATA), and the operations with
// which the dialogs configure them after the dialog template has created them.
//
// Controls report user actions to their parent with WM_COMMAND (control id in the low word,
// notification code in the high word). Buttons post it; value controls and the link send it,
// so that the parent reads the new value at once.

#include <windows.h>

#include <cstdint>

// ---- Framework ------------------------------------------------------------------------------

// Registers every skinned window class for `module` (right before a dialog that uses them) and
// creates the shared background brush; UnregisterSkinClasses undoes it right after the dialog.
void RegisterSkinClasses(HINSTANCE module);
void UnregisterSkinClasses(HINSTANCE module);

// The object of a control window if the window is of class `className` (compared exactly, case
// included) and has one; null otherwise.
void* GetControlObject(HWND window, const char* className);

// A balloon tooltip over the whole client area of `window`. `text` (and `title`) must stay
// valid as long as the window exists.
void AddTooltip(HWND window, const char* text, const char* title = nullptr);

// The window procedure of "Preview Contaner CPP" comes from the dialog code; until it is set
// the class behaves as a plain window.
void SetPreviewWindowProcedure(WNDPROC procedure);

// Base record of every skinned control; not polymorphic.
class TContaner {
public:
    TContaner();
    ~TContaner();
    TContaner(const TContaner&) = delete;
    TContaner& operator=(const TContaner&) = delete;
    // Replaces the owned caption with a copy of `caption` (null clears it).
    void SetText(const char* caption);

    char* text = nullptr;
    uint8_t flag = 0;
    HWND window = nullptr;
    HBRUSH frameBrush = nullptr; // borrowed
    int32_t id = 0;
    COLORREF textColour = RGB(0, 0, 0);
    int32_t backgroundX = 0;
    int32_t backgroundY = 0;
    HFONT font = nullptr; // borrowed
    HBRUSH backgroundBrush;
    COLORREF colours[4]; // normal, hot, disabled, selected
    int32_t width = 0;
    int32_t height = 0;
    uint8_t visualState = 0; // buttons: 0 normal, 1 hot, 2 pressed
    uint8_t hotVariant = 0;
    uint8_t checked = 0; // toggle state; hover state of "Contaner CPP"
    uint8_t kind = 0;    // "Contaner CPP": 4 framed caption, 5 link caption
    uint8_t enabled = 1;
    int32_t trackMode = 0;
    int32_t selection = -1;
    uint8_t leftAlign = 0;
    HBITMAP backgroundBitmap = nullptr; // borrowed
};

// ---- Picture panel and bitmap buttons ("Control CPP", "Control Button CPP") -------------------

class TControl : public TContaner {
public:
    TControl() = default;
    ~TControl();
    uint8_t imageMode = 0;   // 0 nothing, 1 or 3 the bitmap `image`, 2 the pixel buffer
    HBITMAP image = nullptr; // owned
    BITMAPINFO pixelHeader = {};
    void* pixels = nullptr; // owned, whole pages
    size_t pixelBytes = 0;
};

class TControlButton : public TControl {
public:
    TControlButton();
    virtual ~TControlButton();
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    uint8_t useAltHot = 0;
    HBITMAP bitmaps[4] = {}; // normal, hot, pressed, disabled; owned

protected:
    void PaintFace(HBITMAP bitmap);
    HBITMAP BitmapForState() const;
    bool Inside(LPARAM lParam) const;
};

// A button that can play frame sequences while hovered. Constructing it from an existing button
// takes the button's window over and destroys the old object.
class TControlButtonAnimated : public TControlButton {
public:
    explicit TControlButtonAnimated(TControlButton* previous);
    ~TControlButtonAnimated() override;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    uint8_t phase = 0; // 0 looping the hover frames, 1 leaving, 2 playing the leave frames
    int32_t hoverFrameCount = 0;
    int32_t hoverFrame = 0;
    HBITMAP* hoverFrames = nullptr; // owned, with the frames
    int32_t leaveFrameCount = 0;
    int32_t leaveFrame = 0;
    HBITMAP* leaveFrames = nullptr; // owned, with the frames

private:
    void StopTimers();
};

// Loads bitmap resources from the module of the button's window into its four slots; an id of
// 0 leaves that slot as it is.
void SetButtonBitmaps(TControlButton* button, int normalId, int hotId, int pressedId, int disabledId);

// ---- Mac-style slider ("Mac Slider CPP") -------------------------------------------------------

// The thumb's centre stays this many pixels inside either end of the slider, so that the whole
// thumb is always drawn clear of the border.
constexpr int kSliderInset = 8;

class TMacSlider : public TContaner {
public:
    TMacSlider() = default;
    virtual ~TMacSlider() = default;
    virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    uint8_t doubleClicked = 0;
    int16_t lastX = 0;
    int16_t lastY = 0;
    uint8_t blueOutline = 1;
    float value = 0.0f;
    float min = 0.0f;
    float max = 100.0f;
    float step = 1.0f;
    float markLow = 0.0f;
    float markHigh = 0.0f;
    uint8_t mode = 0; // 0 horizontal, 1 vertical, 2 hosting a trackbar
    uint8_t clampToMarks = 0;
    uint8_t notifyWhileDragging = 0;
    uint8_t embedded = 0;
    uint8_t lineStyle = 0;
    uint8_t snap = 0;
    uint8_t lastCode = 0;
    float snapValue = 0.0f;
    float snapRadius = 10.0f;
    int32_t valueLabelId = 0;
    int32_t upDownId = 0;
    int32_t trackbarId = 0;
    HWND trackbar = nullptr;

    // Value under the pointer position (x or y along the slider); the slider's range and marks
    // applied. A slider without a usable extent or range answers `min`.
    float ValueAt(int x, int y) const;
    // Pixel offset of the thumb along the slider for `value` (5 at the start).
    int ThumbPosition() const;

private:
    void Paint(HDC dc);
    void Notify(LPARAM code);
    void TakeValueAt(int x, int y);
    LRESULT OnTrackbar(WPARAM wParam);
};

void SetSliderValue(TMacSlider* slider, float v, bool keepUpDown);
void SetSliderRange(TMacSlider* slider, float lo, float hi);

// ---- Spin edit ("Spin Edit CPP", "Spin Edit CPP Hor") -----------------------------------------

class TSpinEdit : public TContaner {
public:
    TSpinEdit() = default;
    uint8_t rangeFollowsValue = 1;
    char name[64] = {};
    uint8_t horizontal = 0;
    uint8_t integerMode = 0;
    HWND edit = nullptr;
    HWND upDown = nullptr;
    HWND slider = nullptr;
    HWND label = nullptr;
    float value = 0.0f;
    float min = 0.0f;
    float max = 100.0f;
    float step = 1.0f;
    float absMax = 100.0f;
    float absMin = 0.0f;
    float defaultValue = 0.0f;
    TMacSlider* sliderObject = nullptr;
    uint8_t notifyAtOnce = 1;
    uint8_t timerPending = 0;
};

// Configures the spin edit `spinId` of `dialog` (see the parameter panel); null if that item is
// not a spin edit.
TSpinEdit* SetupSpinEdit(HWND dialog, int spinId, int labelId, float min, float max, float absMin, float absMax,
                         const char* name, const char* tooltip, bool integerMode, bool rangeFollowsValue,
                         bool notifyAtOnce, float defaultValue);
void SetSpinValue(TSpinEdit* spin, float v);
void SetSpinRange(TSpinEdit* spin, float lo, float hi);

// A number as the fields read what is typed: the standard conversion (text that is no number
// gives 0), and also "inf" or "infinity" with either sign, which not every runtime's conversion
// knows; "nan" gives NaN. The caller decides what a value beyond its range becomes.
float ReadTypedNumber(const char* text);

// Timer of the spin edit's delayed notification and its delay in milliseconds.
constexpr UINT_PTR kSpinNotifyTimer = 333;
constexpr UINT kSpinNotifyDelay = 500;
// Timer with which the slider and the rotor let a double click cancel a click's notification.
constexpr UINT_PTR kClickTimer = 1;
constexpr UINT kClickDelay = 200;

// ---- Rotor ("Rotor CPP") ---------------------------------------------------------------------

class TRotor : public TContaner {
public:
    TRotor() = default;
    ~TRotor();
    uint8_t doubleClicked = 0;
    float azimuth = 0.0f;    // degrees, counter-clockwise from the right
    float elevation = 90.0f; // degrees, 90 at the centre, 0 on the rim
    float rawAngle = 0.0f;
    float previousRawAngle = 0.0f;
    float defaultX = 0.0f;
    float defaultY = 0.0f;
    const char* name = nullptr; // borrowed
    uint8_t notifyWhileDragging = 0;
    uint8_t mode = 0;
    uint8_t integerMode = 0;
    uint8_t showPosition = 0;
    HWND field1 = nullptr;
    HWND field2 = nullptr;
    HWND field3 = nullptr;
    int32_t centreX = 0;
    int32_t centreY = 0;
    uint8_t pressed = 0; // the left button went down on the rotor and is still held
};

void SetRotorPosition(TRotor* rotor, float x, float y);
void SetRotorAngles(TRotor* rotor, float azimuth, float elevation);
// The position in the square -100 ... 100, y growing upwards.
void RotorPosition(const TRotor* rotor, float* x, float* y);
void UpdateRotorFields(TRotor* rotor);
// Angles for a pointer at (px, py) in client coordinates; `azimuth` is left unchanged when the
// pointer is on the centre's row.
void RotorAnglesAt(const TRotor* rotor, int px, int py, float* azimuth, float* elevation);

// ---- "Set value" dialog (template 15092) -------------------------------------------------------

// Runs the dialog modally, owned by the control; returns the dialog's result (1 OK, 2 Cancel).
INT_PTR SetValueDialog(TSpinEdit* spin);
INT_PTR SetValueDialog(TRotor* rotor);

// ---- Mac-style button ("MacStyleBtn") and link ("ContainerLinkC") ------------------------------

struct MacStyleBtnRecord {
    char* text;
    HWND window;
    int32_t id;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint8_t state; // 0 normal, 1 hot, 2 pressed, 3 default
    uint8_t isDefault;
    uint8_t enabled;
    uint8_t pressed; // the left button went down on the button and is still held
};

struct ContainerLinkRecord {
    char* text;
    HWND window;
    int32_t id;
    int32_t width;
    int32_t height;
    uint8_t kind;
    uint8_t active;
    uint8_t leftAlign;
    HFONT font;
    COLORREF customColour;
    uint8_t useCustomColour;
};

// Class set-up and tear-down with the fonts, bitmaps and cursor the two classes draw with; run
// by RegisterSkinClasses and by the About box around its dialog.
void SetUpMacStyleButtonClass(HINSTANCE module);
void TearDownMacStyleButtonClass(HINSTANCE module);
void SetUpContainerLinkClass(HINSTANCE module);
void TearDownContainerLinkClass(HINSTANCE module);

MacStyleBtnRecord* AttachMacStyleBtn(HWND dialog, int id, const char* text, bool isDefault);
ContainerLinkRecord* AttachContainerLink(HWND dialog, int id, const char* text, bool active, bool leftAlign);

// Fonts and cursor of the link class, shared with the link captions of "Contaner CPP".
HFONT LinkFont();
HFONT LinkCaptionFont();
HCURSOR LinkCursor();

// ---- Colour swatch ("Contaner Color CPP") ------------------------------------------------------

struct TColorSwatch : public TContaner {
    COLORREF colour = RGB(0, 0, 0);
    COLORREF customColours[16] = {};
    uint8_t hot = 0;
    HWND companion = nullptr;
};

// ---- Window procedures of the classes, for the registration -----------------------------------

LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);       // "Control CPP"
LRESULT CALLBACK ControlButtonWindowProc(HWND, UINT, WPARAM, LPARAM); // "Control Button CPP"
LRESULT CALLBACK ContanerWindowProc(HWND, UINT, WPARAM, LPARAM);      // "Contaner CPP"
LRESULT CALLBACK ColorSwatchWindowProc(HWND, UINT, WPARAM, LPARAM);   // "Contaner Color CPP"
LRESULT CALLBACK MacSliderWindowProc(HWND, UINT, WPARAM, LPARAM);     // "Mac Slider CPP"
LRESULT CALLBACK SpinEditWindowProc(HWND, UINT, WPARAM, LPARAM);      // "Spin Edit CPP"
LRESULT CALLBACK SpinEditHorWindowProc(HWND, UINT, WPARAM, LPARAM);   // "Spin Edit CPP Hor"
LRESULT CALLBACK RotorWindowProc(HWND, UINT, WPARAM, LPARAM);         // "Rotor CPP"
LRESULT CALLBACK MacStyleBtnWindowProc(HWND, UINT, WPARAM, LPARAM);   // "MacStyleBtn"
LRESULT CALLBACK ContainerLinkWindowProc(HWND, UINT, WPARAM, LPARAM); // "ContainerLinkC"
