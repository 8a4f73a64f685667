// Our small MFC-style layer over Win32: one include for a program's classes.
#pragma once

#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/wnd.h"
