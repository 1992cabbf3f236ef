#include "Language.h"

int g_nCodePage = 0;

void SelectInterfaceLanguage() {
    // Only the built-in Chinese resources exist so far.
    if (g_nCodePage == 0) g_nCodePage = 936;
}
