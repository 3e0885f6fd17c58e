#pragma once

// Resource identifiers shared by Dravik.rc and the code that loads them.
#define IDI_DRAVIK 1

#define IDB_CLEAR 101
#define IDB_IMPORT 102
#define IDB_EXPORT 103
#define IDB_MARK 104
#define IDB_INFO 105

#define IDD_ABOUT 200
#define IDC_ABOUT_ICON 201
#define IDC_ABOUT_NAME 202
#define IDC_ABOUT_MAKER 203
#define IDC_ABOUT_VERSION 204
