#pragma once
// Everything the program's windows and threads need from the framework.
#include "Accessible.h"
#include "AfxString.h"
#include "Controls.h"
#include "Dialog.h"
#include "Gdi.h"
#include "MsgBox.h"
#include "Resource.h"
#include "Thread.h"
#include "WinApp.h"
#include "Wnd.h"
