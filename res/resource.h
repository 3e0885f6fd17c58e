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

#define IDD_NETWORK 2600
#define IDC_NET_RECEIVE 2601
#define IDC_NET_RECEIVE_PORT 2602
#define IDC_NET_FORWARD 2603
#define IDC_NET_HOST 2604
#define IDC_NET_FORWARD_PORT 2605
#define IDC_NET_UDP 2606
#define IDC_NET_TCP 2607
