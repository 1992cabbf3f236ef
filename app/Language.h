#pragma once
#include "platform/WinTypes.h"

// The interface code page chosen at start-up; 0 until it is chosen.
extern int g_nCodePage;

// Chooses the interface language once, before anything else is shown.
void SelectInterfaceLanguage();
