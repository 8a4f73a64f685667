// The end-to-end test harness: everything a test needs to install a program in
// a fresh folder, start it, drive its windows and check what it did.
#pragma once

#include "harness/capture.h"
#include "harness/files.h"
#include "harness/process.h"
#include "harness/profile.h"
#include "harness/sandbox.h"
#include "harness/ui.h"
#include "harness/wait.h"
