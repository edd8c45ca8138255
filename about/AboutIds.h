#pragma once
// Resource ids of the About box (template 128 in about/About.rc).

#define IDD_ABOUT 128
#define IDC_ABOUT_VERSION 1033
#define IDC_ABOUT_LINK 1004
#define IDB_ABOUT_PICTURE 229
