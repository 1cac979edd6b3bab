// Control ids of the settings dialog (dialog resource IDD_SETTINGS).
// Plain #defines: the resource compiler reads this file too.
#pragma once

// Tool-panel check boxes: id = IDC_TOOL_CHECK_FIRST + index into toolButtons.
#define IDC_TOOL_CHECK_FIRST 1003
#define IDC_TOOL_CHECK_LAST 1022
// The drawing-tool entry has no tool behind it; its check box is disabled.
#define IDC_TOOL_CHECK_DRAW 1019

// Tool-panel corner radios: id = IDC_CORNER_BASE + toolPanelCorner (1-4).
#define IDC_CORNER_BASE 1022
#define IDC_CORNER_ABOVE_LEFT 1023
#define IDC_CORNER_ABOVE_RIGHT 1024
#define IDC_CORNER_BELOW_LEFT 1025
#define IDC_CORNER_BELOW_RIGHT 1026

#define IDC_TOOL_PANEL_VISIBLE 1027

// JPEG quality values, in level order: high, standard, medium, low.
#define IDC_QUALITY_HIGH 1028
#define IDC_QUALITY_STANDARD 1029
#define IDC_QUALITY_MEDIUM 1030
#define IDC_QUALITY_LOW 1031

#define IDC_GRID_SIZE 1032
#define IDC_ZOOM_WIDTH 1033
#define IDC_ZOOM_FACTOR 1034
#define IDC_ZOOM_SNAP 1035
#define IDC_MINIMIZE_AFTER_COPY 1036
#define IDC_SAVE_NUMBER 1037
#define IDC_NUMBER_DIGITS 1038
#define IDC_BASE_NAME 1039
#define IDC_SAVE_FOLDER 1040
#define IDC_BROWSE_FOLDER 1041
#define IDC_DRAW_SHADOW 1042
#define IDC_OVERWRITE_EXISTING 1043
#define IDC_RESET_NUMBER 1044
#define IDC_AUTO_SELECT 1045
#define IDC_VERSION_TEXT 1046
// The global hotkey (a standard hotkey control), kept in the extension block.
#define IDC_HOTKEY 1047
