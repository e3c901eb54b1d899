// The setup dialog's resources: template 101 with its control ids, and bitmap 109.
#pragma once

#include "platform/dialog/dialog_template.h"

constexpr int IDD_SETUP = 101;
constexpr int IDB_SETUP_PICTURE = 109;

// Controls of the setup dialog.
constexpr int IDC_RUN_DEMO = 1;
constexpr int IDC_CANCEL = 2;
constexpr int IDC_RES_640X480 = 1000;
constexpr int IDC_RES_800X600 = 1001;
constexpr int IDC_ENGINE_CREDIT = 1008;
constexpr int IDC_RESOLUTION_GROUP = 1009;
constexpr int IDC_RES_1024X768 = 1010;
constexpr int IDC_RES_640X400 = 1011;
constexpr int IDC_OPTIONS_GROUP = 1016;
constexpr int IDC_HIGH_PRIORITY = 1017;
constexpr int IDC_ZBUFFER_32 = 1018;
constexpr int IDC_ANTIALIAS = 1019;
constexpr int IDC_RES_1280X1024 = 1020;
constexpr int IDC_COLOURS_32 = 1024;
constexpr int IDC_FULLSCREEN = 1026;

// The dialog template with the given resource number; an empty template (no caption, no
// controls, size 0) for unknown numbers.
platform::DialogTemplate LoadDialogTemplate(int id);
// The bitmap with the given resource number; an empty picture (no pixels) for unknown numbers.
platform::DialogBitmap LoadBitmapResource(int id);
