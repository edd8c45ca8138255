#pragma once
// Resource and control ids of the preset list: the parameter panel's items, the name dialog
// (template 147 in presets/PresetName.rc) and the folder icons.

#define IDC_PRESET_LIST_BOX 1913
#define IDC_PRESET_DELETE_BUTTON 1092
#define IDC_PRESET_SAVE_BUTTON 1300
#define IDC_PRESET_FOLDER_TEXT 1093
#define IDD_PRESET_NAME 147
#define IDC_PRESET_NAME_EDIT 1358
#define IDB_PRESET_FOLDER 148
#define IDB_PRESET_FOLDER_UP 150
