#pragma once
// The interface language: 1252 stands for English, taken from the English
// resource library; any other code page keeps the built-in Chinese
// resources. The dictionary application's own choice decides: its per-user
// configuration file first, then the language its installation recorded.
#include "framework/AfxString.h"
#include "platform/WinTypes.h"

// The interface code page chosen at start-up; 0 until it is chosen.
extern int g_nCodePage;

// Chooses the interface language once, before anything else is shown; for
// 1252 the English resource library becomes the only source of resources.
void SelectInterfaceLanguage();

// The code page in the configuration file's section "language", key
// "codepage"; 0 when there is no file, key or number.
int GetCodePageFromConfig();

// The full path of the configuration file "codepage.conf" in its folders
// below the roaming application-data folder, made when missing. False (and
// an empty path) when the folder is unknown or a folder cannot be made.
bool GetConfigFilePath(CString& strPath);

// 1252 for an installation in English (1033), 936 for one in Simplified
// Chinese (2052), else 0.
int GetCodePageFromRegistry();
