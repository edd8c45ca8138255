#pragma once
// The main dialog's skin bitmaps (resource ids of resources/Skin.rc) and the pixel geometry of
// its layout, named where the code uses them. Sizes are pixels of the dialog's client area.

namespace layout {

// A control's place and size.
struct Box {
    int x, y, width, height;
};

// ---- Top bar ----

constexpr int kTopBarHeight = 46;
constexpr int kTopBarLeftWidth = 472;   // the left piece, with the product's title
constexpr int kTopBarRightWidth = 99;   // the right end
constexpr int kTopBarTileWidth = 4;     // the tile repeated between them
constexpr int kBitmapTopBarLeft = 230;  // 472 x 46
constexpr int kBitmapTopBarRight = 215; // 99 x 46
constexpr int kBitmapTopBarTile = 214;  // 4 x 46

// The manual button (its bitmaps show a help label); its x follows the right edge.
constexpr Box kManualButton = {646, 17, 42, 17};
constexpr int kManualButtonFromRight = 69;
constexpr int kBitmapManual = 228;
constexpr int kBitmapManualHot = 227;

// The product page button (the product's initials; with the new-version badge when a newer
// version is known).
constexpr Box kProductButton = {21, 13, 33, 25};
constexpr int kBitmapInitials = 226;
constexpr int kBitmapInitialsHot = 217;
constexpr int kBitmapInitialsBadge = 225;
constexpr int kBitmapInitialsBadgeHot = 224;

// The About button (the product's title on the bar).
constexpr Box kAboutButton = {80, 11, 303, 30};
constexpr int kBitmapTitle = 232;
constexpr int kBitmapTitleHot = 231;

// ---- Panes and parameter panel ----

constexpr int kPanelGap = 5;      // between the navigator and the parameter panel below it
constexpr int kMainPaneGap = 10;  // from the panel's width to the main pane's left edge
constexpr int kMainPaneShift = 5; // the main pane's left edge after the first layout
constexpr int kMainPaneRightMargin = 21;
constexpr int kMainPaneBottomMargin = 79;

// ---- Bottom row, centred under the main pane ----

constexpr int kButtonRowFromBottom = 37;
constexpr int kButtonHeight = 22;
constexpr int kOkFromCentre = 91;
constexpr int kCancelFromCentre = -180;
constexpr int kOkCancelWidth = 89;
constexpr int kZoomInFromCentre = 28;
constexpr int kZoomOutFromCentre = -57;
constexpr int kZoomButtonWidth = 29;

// The zoom label: its size by resolution (96, 120, any other), its bottom above the client's.
constexpr int kZoomLabelWidth96 = 30, kZoomLabelHeight96 = 12;
constexpr int kZoomLabelWidth120 = 34, kZoomLabelHeight120 = 14;
constexpr int kZoomLabelWidthOther = 38, kZoomLabelHeightOther = 16;
constexpr int kZoomLabelFromBottom = 21;

// The progress bar: indented on both sides under the main pane.
constexpr int kProgressIndent = 24;
constexpr int kProgressFromBottom = 57;
constexpr int kProgressHeight = 10;

// ---- Smallest window (outer size) by resolution ----

constexpr int kMinimumWidthBelow120 = 990, kMinimumHeightBelow120 = 703;
constexpr int kMinimumWidthBelow144 = 1060, kMinimumHeightBelow144 = 828;
constexpr int kMinimumWidthFrom144 = 1190, kMinimumHeightFrom144 = 985;

} // namespace layout
