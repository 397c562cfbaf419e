// Resource ids of setup.exe: the icon, the dialog templates and their
// controls. Shared by the .rc files and the code.
#pragma once

#define IDR_MAINFRAME 128

#define IDD_DIR_PAGE 130
#define IDD_COPY_PAGE 131
#define IDD_END_PAGE 132
#define IDD_LAUNCHER 133
#define IDD_CHECK 134

// Control ids are per dialog: one number may name controls of different
// dialogs, and ids that scripts outside the program use stay as they are.
#define IDC_FOLDER_EDIT 1000
#define IDC_BROWSE 1001
#define IDC_PROGRESS 1002
#define IDC_INSTALL 1003
#define IDC_UNINSTALL 1004
#define IDC_START_GAME 1005
#define IDC_DIRECTX 1006
// The picture: a black rectangle in every template, turned into a bitmap
// static at initialisation.
#define IDC_PICTURE 1007
// Two dialogs, one number: the launcher's readme button, and the destination
// page's free-space text, which scripts outside the program find by it.
#define IDC_README 1008
#define IDC_SPACE_TEXT 1008
#define IDC_COPY_HEADING 1009
