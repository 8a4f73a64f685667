// Resource ids of the uninstaller.
#pragma once

#define IDD_UNINST 101
#define IDI_UNINST 128
#define IDS_UNINST_TITLE 500
