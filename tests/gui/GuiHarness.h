#pragma once
// A small library for testing windows for real under Wine and a virtual X display: real
// messages and input into real windows, a message pump that lets timers fire, an event log that
// records in one sequence what the pump dispatched and what the tested windows reported, screen
// captures saved as PNG files, and comparison of captures with stored references.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gui {

// ---- Event log ----

struct Event {
    enum Kind { Timer, Command };
    Kind kind;
    HWND window;   // Timer: the window whose timer fired. Command: the window that received it.
    UINT_PTR id;   // Timer: timer id. Command: control id (low word of wParam).
    WORD code;     // Command: notification code (high word of wParam).
    LPARAM lParam; // Command: lParam.
};

// Everything recorded since the last Clear, in order.
class EventLog {
public:
    void Clear() { events_.clear(); }
    void Add(const Event& event) { events_.push_back(event); }
    const std::vector<Event>& events() const { return events_; }
    // Commands with control id `id` (any id when negative).
    std::vector<Event> Commands(int id = -1) const;
    // Index of the first timer event of (window, id) in the log, or -1.
    int TimerIndex(HWND window, UINT_PTR id) const;
    // Index of the n-th (0-based) command with control id `id`, or -1.
    int CommandIndex(int id, int n = 0) const;

private:
    std::vector<Event> events_;
};

EventLog& Log();

// ---- Pumping ----

// Dispatches every message already waiting (timers fire only if they are due).
void Pump();
// Pumps until `done` answers true or a safety limit passes (a guard against hanging, not a
// measurement); returns the last answer of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMilliseconds = 10000);
// Pumps until the timer `id` of `window` has fired at least once more than before the call.
bool PumpPastTimer(HWND window, UINT_PTR id, DWORD limitMilliseconds = 10000);

// ---- A parent window that records what its children report ----

// A top-level window of the skin's background at (x, y) of the screen whose WM_COMMAND
// messages go to the event log. The class is registered on first use.
HWND CreateTestParent(const char* title, int x, int y, int width, int height);
// One such window shared by all tests of a program (showing and destroying top-level windows
// is slow under Wine without a window manager); ClearTestParent empties it between tests.
HWND SharedTestParent();
// Destroys the children of `parent` and the windows it owns (tooltips, for instance).
void ClearTestParent(HWND parent);

// ---- Input ----

// Posts the messages a real mouse produces, in client coordinates of `window`, and pumps them.
void MouseDown(HWND window, int x, int y);
void MouseMove(HWND window, int x, int y, bool leftButton);
void MouseUp(HWND window, int x, int y);
void Click(HWND window, int x, int y);
void DoubleClick(HWND window, int x, int y);
void RightClick(HWND window, int x, int y);
// Replaces the text of an edit control as a user would: select all, type `text` key by key.
void TypeText(HWND edit, const char* text);
// A key press (down and up) into the window that has the focus. With a dialog given, the keys
// go through the dialog's keyboard handling first, as in the dialog's own message loop (Enter
// and Escape become OK and Cancel there).
void PressKey(WORD virtualKey, HWND dialog = nullptr);

// ---- Real input ----
// Input as a user's mouse and keyboard make it (SendInput): the cursor really moves, and the
// system decides which window gets each message, honouring the capture, sending WM_SETCURSOR
// and making double clicks. Points are client coordinates of `window`, whose top-level window
// is brought to the foreground first. A single click never becomes a double click by accident:
// a press at the place of the last one waits until the double-click time has passed.

// Moves the cursor there (the buttons keep their state, so this drags while one is held).
void PointerMove(HWND window, int x, int y);
void PointerDown(HWND window, int x, int y, bool right = false);
void PointerUp(HWND window, int x, int y, bool right = false);
void PointerClick(HWND window, int x, int y, bool right = false);
void PointerDoubleClick(HWND window, int x, int y);
// Press at the first point, move in `steps` steps to the second, release there. The points are
// both in client coordinates of `window`; `to` gives the second point another window's.
void PointerDrag(HWND window, int x0, int y0, int x1, int y1, bool right = false, int steps = 4, HWND to = nullptr);
// Moves the cursor to the bottom right corner of the screens, away from every window a test
// makes, so that nothing shows a hover state it did not ask for.
void ParkPointer();
// A key held down or let go (Ctrl during a drag, for instance).
void KeyState(WORD virtualKey, bool down);

// Runs `action` with the first visible window of this thread whose title is `title`, as soon as
// it appears (for modal dialogs, which run their own message loop). Returns at once; the action
// runs from a timer inside whatever loop pumps next.
void WhenWindowAppears(const char* title, std::function<void(HWND)> action);
// True once the action given to the last WhenWindowAppears has run.
bool WindowActionDone();

// ---- Images ----

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // rows top first, red, green, blue
    uint8_t* at(int x, int y) { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
    const uint8_t* at(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// Copies what the screen shows of `window` (its whole window rectangle) after repainting it.
Image CaptureWindow(HWND window);
bool WritePng(const std::string& path, const Image& image);
bool ReadPng(const std::string& path, Image* image);

// Where screenshots go: $VORTIFLUX_SCREENSHOTS, else "screenshots" in the working folder.
std::string ScreenshotFolder();
// Where references are kept (the source tree's tests/gui/references).
std::string ReferenceFolder();

struct Comparison {
    bool matches = false;
    std::string message;
};

// Compares `image` with `expected` by the rule of CheckScreenshot.
Comparison CompareImages(const std::string& name, const Image& image, const Image& expected, int channelTolerance = 8,
                         int pixelAllowance = 0);

// Saves `image` as <ScreenshotFolder>/<name>.png and compares it with <ReferenceFolder>/<name>.png:
// it matches when no channel of any pixel differs by more than `channelTolerance`, or when at
// most `pixelAllowance` pixels do (font rasterisation may move a few edge pixels). With
// VORTIFLUX_UPDATE_REFERENCES=1 in the environment a missing or different reference is
// (re)written instead and the comparison passes.
Comparison CheckScreenshot(const std::string& name, const Image& image, int channelTolerance = 8,
                           int pixelAllowance = 0);

} // namespace gui
