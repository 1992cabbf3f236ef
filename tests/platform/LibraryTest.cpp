// Libraries loaded by name: the executable's folder first, then the system's
// search path.
#include <gtest/gtest.h>

#include <unistd.h>
#include <climits>
#include <initializer_list>
#include <string>

#include "platform/Library.h"

namespace {

const char kBeside[] = "deravizizivu_beside.dll";  // built beside this test program

// The working folder is not where a library is looked for: leave it elsewhere.
class ElsewhereScope {
public:
    ElsewhereScope() {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) m_previous = cwd;
        m_ok = chdir("/") == 0;
    }
    ~ElsewhereScope() {
        if (!m_previous.empty() && chdir(m_previous.c_str()) != 0) ADD_FAILURE() << "cannot return to " << m_previous;
    }
    ElsewhereScope(const ElsewhereScope&) = delete;
    ElsewhereScope& operator=(const ElsewhereScope&) = delete;
    bool ok() const { return m_ok; }

private:
    std::string m_previous;
    bool m_ok = false;
};

std::string ExecutableFolder() {
    char path[PATH_MAX] = {};
    if (readlink("/proc/self/exe", path, sizeof path - 1) <= 0) return {};
    std::string exe = path;
    return exe.substr(0, exe.rfind('/') + 1);
}

TEST(LoadLibrary, FindsABareNameBesideTheExecutable) {
    ElsewhereScope elsewhere;
    ASSERT_TRUE(elsewhere.ok());
    HMODULE beside = LoadLibraryA(kBeside);
    ASSERT_NE(beside, nullptr);
    const auto* mark = static_cast<const int*>(GetProcAddress(beside, "besideLibraryMark"));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(*mark, 0x5eed);
    EXPECT_EQ(LoadLibraryA((ExecutableFolder() + kBeside).c_str()), beside) << "the same library by its path";
    EXPECT_EQ(GetProcAddress(beside, "noSuchSymbol"), nullptr);
}

TEST(LoadLibrary, FallsBackToTheSystemsSearchPath) {
    HMODULE libc = LoadLibraryA("libc.so.6");
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(GetProcAddress(libc, "getpid"), nullptr);
}

TEST(LoadLibrary, AnswersNullForWhatIsNowhere) {
    for (const char* name : std::initializer_list<const char*>{"ViZadiveduri_NoSuch.dll",
                                                               "/nonexistent/deravizizivu_beside.dll", "", nullptr})
        EXPECT_EQ(LoadLibraryA(name), nullptr) << (name ? name : "(null)");
    EXPECT_EQ(GetProcAddress(nullptr, "getpid"), nullptr) << "a null handle is no library";
}

}  // namespace
