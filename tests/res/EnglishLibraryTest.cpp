// The English resource library, as the program finds it beside itself: the
// same resources under the same ids, in English, in dialogs of the same
// sizes whose texts fit their controls.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/DeRavizizivuApp.h"
#include "app/Language.h"
#include "framework/Dialog.h"
#include "framework/Resource.h"
#include "platform/CommandLine.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TarnwickConfig.h"
#include "tests/support/WindowContent.h"

using namespace testsupport;

namespace {

// The library in force, chosen as at start-up; null when it did not load.
const AFX_RESOURCE_MODULE* English() {
    static TarnwickConfig tarnwick;
    if (g_nCodePage == 0) {
        tarnwick.WriteConfig("[language]\ncodepage=1252\n");
        SelectInterfaceLanguage();
    }
    HINSTANCE module = AfxGetResourceHandle();
    return module == AfxGetInstanceHandle() ? nullptr : module;
}

const AFX_RESOURCE_MODULE& Chinese() {
    return afxProgramResources;
}

template <class Resources>
std::set<UINT> Ids(const Resources& resources) {
    std::set<UINT> ids;
    for (const auto& r : resources) ids.insert(r.id);
    return ids;
}

const DLGTEMPLATE* Find(std::span<const DLGTEMPLATE> dialogs, UINT id) {
    for (const DLGTEMPLATE& t : dialogs)
        if (t.id == id) return &t;
    return nullptr;
}

bool IsEnglish(const char* text) {
    if (!text || !*text) return false;
    for (const char* c = text; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80) return false;
    return true;
}

TEST(EnglishLibrary, HoldsTheProgramsIdsAndNothingElse) {
    const AFX_RESOURCE_MODULE* english = English();
    ASSERT_NE(english, nullptr) << "the library beside the program was not loaded";
    EXPECT_EQ(Ids(english->dialogs), Ids(Chinese().dialogs));
    EXPECT_EQ(Ids(english->strings), Ids(Chinese().strings));
    EXPECT_EQ(Ids(english->icons), Ids(Chinese().icons));
}

TEST(EnglishLibrary, TextsAreEnglishAndDifferFromTheBuiltInOnes) {
    const AFX_RESOURCE_MODULE* english = English();
    ASSERT_NE(english, nullptr);
    for (const STRINGRESOURCE& s : english->strings) EXPECT_TRUE(IsEnglish(s.text)) << s.id;
    for (const DLGTEMPLATE& t : english->dialogs) {
        const DLGTEMPLATE* zh = Find(Chinese().dialogs, t.id);
        ASSERT_NE(zh, nullptr);
        EXPECT_TRUE(IsEnglish(t.caption)) << t.id;
        EXPECT_STRNE(t.caption, zh->caption);
        for (const DLGITEMTEMPLATE& item : t.items)
            if (*item.text) {
                EXPECT_TRUE(IsEnglish(item.text)) << t.id << "/" << item.id << " " << item.text;
            }
    }
}

// What the program relies on: the dialog's size, frame and font, and its
// controls by id, class and style. Places and widths may differ.
TEST(EnglishLibrary, DialogsKeepTheirSizesFramesAndControls) {
    const AFX_RESOURCE_MODULE* english = English();
    ASSERT_NE(english, nullptr);
    using Control = std::tuple<int, std::string, DWORD>;
    for (const DLGTEMPLATE& zh : Chinese().dialogs) {
        const DLGTEMPLATE* en = Find(english->dialogs, zh.id);
        ASSERT_NE(en, nullptr) << zh.id;
        EXPECT_EQ(std::tie(en->cx, en->cy, en->style, en->exStyle, en->pointSize),
                  std::tie(zh.cx, zh.cy, zh.style, zh.exStyle, zh.pointSize))
            << zh.id;
        EXPECT_STREQ(en->fontFace, zh.fontFace);
        std::vector<Control> zhControls, enControls;
        for (const DLGITEMTEMPLATE& i : zh.items) zhControls.emplace_back(i.id, i.className, i.style);
        for (const DLGITEMTEMPLATE& i : en->items) {
            enControls.emplace_back(i.id, i.className, i.style);
            EXPECT_TRUE(i.x >= 0 && i.y >= 0 && i.x + i.cx <= en->cx && i.y + i.cy <= en->cy) << zh.id << "/" << i.id;
        }
        EXPECT_EQ(enControls, zhControls) << zh.id;
    }
}

TEST(EnglishLibrary, TextsFitTheirControls) {
    const AFX_RESOURCE_MODULE* english = English();
    ASSERT_NE(english, nullptr);
    for (const DLGTEMPLATE& t : english->dialogs) {
        int checked = 0;
        WhenShown(t.caption, [&](HWND w) {
            // The width each text needs, with the room its control's kind takes.
            for (const TextRoom& room : TextRooms(w)) {
                ++checked;
                EXPECT_LE(room.neededWidth, room.width) << t.id << ": " << Text(room.text).Utf8();
                EXPECT_LE(room.lineHeight, room.height + 2) << t.id;
            }
            PressKey(w, VK_ESCAPE);
        });
        CDialog dlg(t.id);
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_GT(checked, 0) << t.id;
    }
}

TEST(EnglishLibrary, TheMessageForAnEmptyKeyIsItsString) {
    const AFX_RESOURCE_MODULE* english = English();
    ASSERT_NE(english, nullptr);
    std::vector<const char*> args{"DeRavizizivu", "-a", "-b", "-", "-e", "-1"};
    SetProcessCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    std::wstring text;
    WhenShown(AfxGetAppName(), [&](HWND box) {
        text += LabelTexts(box);
        PressKey(box, VK_RETURN);
    });
    EXPECT_FALSE(theApp.InitInstance());
    CString expected;
    ASSERT_TRUE(expected.LoadString(131));
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(IsEnglish(AfxFindString(131)));
}

}  // namespace
