// Resource ids of the installer.
#pragma once

#define IDD_SETUP 101
#define IDI_SETUP 128
#define IDS_SETUP_TITLE 500

// Controls of the setup dialog
#define IDC_BROWSE 3
#define IDC_INSTALL_FOLDER 1000
#define IDC_START_MENU 1001
#define IDC_DESKTOP 1002
