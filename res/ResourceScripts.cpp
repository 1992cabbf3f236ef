// Resource scripts and icons written from resource tables, so that both
// builds show the same dialogs and texts.
#include "ResourceScripts.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "framework/Messages.h"

namespace {

struct Named {
    DWORD value;
    const char* name;
};
#define NAMED(x) \
    { x, #x }

const Named kDialogStyles[] = {NAMED(DS_SETFONT), NAMED(DS_MODALFRAME), NAMED(DS_FIXEDSYS),
                               NAMED(DS_CENTER),  NAMED(WS_POPUP),      NAMED(WS_VISIBLE),
                               NAMED(WS_CAPTION), NAMED(WS_SYSMENU),    NAMED(WS_MINIMIZEBOX)};
const Named kExStyles[] = {NAMED(WS_EX_APPWINDOW), NAMED(WS_EX_CONTROLPARENT)};
const Named kControlStyles[] = {NAMED(WS_CHILD), NAMED(WS_VISIBLE), NAMED(WS_BORDER), NAMED(WS_GROUP),
                                NAMED(WS_TABSTOP)};
// The kinds of buttons and statics are values of the low bits, not flags.
const Named kButtonKinds[] = {NAMED(BS_PUSHBUTTON), NAMED(BS_DEFPUSHBUTTON), NAMED(BS_AUTOCHECKBOX)};
const Named kStaticKinds[] = {NAMED(SS_LEFT)};
const DWORD kKindMask = 0xF;

// What the script language adds by itself, so a template must hold it.
const DWORD kImpliedDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
const DWORD kImpliedControlStyle = WS_CHILD | WS_VISIBLE;

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

// Flags by name, the rest in figures.
std::string Flags(DWORD value, std::span<const Named> names) {
    std::string text;
    for (const Named& n : names)
        if (n.value && (value & n.value) == n.value) {
            text += (text.empty() ? "" : " | ") + std::string(n.name);
            value &= ~n.value;
        }
    if (value || text.empty()) text += (text.empty() ? "" : " | ") + Hex(value);
    return text;
}

std::string ControlStyle(const DLGITEMTEMPLATE& item) {
    const std::string cls = item.className;
    const std::span<const Named> kinds = cls == "button"   ? std::span<const Named>(kButtonKinds)
                                         : cls == "static" ? std::span<const Named>(kStaticKinds)
                                                           : std::span<const Named>();
    for (const Named& kind : kinds)
        if ((item.style & kKindMask) == kind.value)
            return Flags(item.style & ~kKindMask, kControlStyles) + " | " + kind.name;
    return Flags(item.style, kControlStyles);
}

std::string Quoted(const char* text) {
    std::string quoted = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"')
            quoted += "\"\"";
        else if (*c == '\\')
            quoted += "\\\\";
        else if (*c == '\n')
            quoted += "\\n";
        else
            quoted += *c;
    }
    return quoted + "\"";
}

// The names resource.h gives, by their prefix ("IDD_", "IDS_", "IDR_",
// "IDC_"), and the system's own control ids.
class IdNames {
public:
    explicit IdNames(const std::string& header) {
        std::ifstream in(header);
        const std::regex define(R"(#define\s+(ID[A-Z]_\w+)\s+(-?\d+)\s*)");
        std::smatch m;
        for (std::string line; std::getline(in, line);)
            if (std::regex_match(line, m, define)) names_[{m[1].str().substr(0, 4), std::stol(m[2])}] = m[1];
        names_[{"IDC_", IDOK}] = "IDOK";
        names_[{"IDC_", IDCANCEL}] = "IDCANCEL";
        names_[{"IDC_", IDC_STATIC}] = "IDC_STATIC";
    }
    bool Empty() const { return names_.size() <= 3; }
    std::string operator()(const char* prefix, long id) const {
        auto it = names_.find({prefix, id});
        return it != names_.end() ? it->second : std::to_string(id);
    }

private:
    std::map<std::pair<std::string, long>, std::string> names_;
};

bool WriteDialog(std::ostream& rc, const DLGTEMPLATE& t, const IdNames& ids) {
    if ((t.style & kImpliedDialogStyle) != kImpliedDialogStyle || !*t.caption || !t.fontFace) return false;
    rc << ids("IDD_", t.id) << " DIALOGEX " << t.x << ", " << t.y << ", " << t.cx << ", " << t.cy << "\n"
       << "STYLE " << Flags(t.style, kDialogStyles) << "\n";
    if (t.exStyle) rc << "EXSTYLE " << Flags(t.exStyle, kExStyles) << "\n";
    rc << "CAPTION " << Quoted(t.caption) << "\n"
       << "FONT " << t.pointSize << ", " << Quoted(t.fontFace) << ", 400, 0, 0x1\n"
       << "BEGIN\n";
    for (const DLGITEMTEMPLATE& i : t.items) {
        if ((i.style & kImpliedControlStyle) != kImpliedControlStyle) return false;
        rc << "    CONTROL " << Quoted(i.text) << ", " << ids("IDC_", i.id) << ", " << Quoted(i.className) << ", "
           << ControlStyle(i) << ", " << i.x << ", " << i.y << ", " << i.cx << ", " << i.cy << "\n";
    }
    rc << "END\n\n";
    return true;
}

void WriteVersion(std::ostream& rc, const ScriptModule& m) {
    rc << "VS_VERSION_INFO VERSIONINFO\n"
       << "FILEVERSION DERAVIZIZIVU_VERSION_NUMBERS\nPRODUCTVERSION DERAVIZIZIVU_VERSION_NUMBERS\n"
       << "FILEOS VOS_NT_WINDOWS32\n"
       << "FILETYPE " << (m.program ? "VFT_APP" : "VFT_DLL") << "\n"
       << "BEGIN\n    BLOCK \"StringFileInfo\"\n    BEGIN\n"
       << "        BLOCK \"" << (m.program ? "080404B0" : "040904B0") << "\"\n        BEGIN\n"
       << "            VALUE \"CompanyName\", \"Brindlecor\"\n"
       << "            VALUE \"FileDescription\", " << Quoted(m.description) << "\n"
       << "            VALUE \"FileVersion\", DERAVIZIZIVU_VERSION_TEXT\n"
       << "            VALUE \"OriginalFilename\", \"" << m.name << (m.program ? ".exe" : ".dll") << "\"\n"
       << "            VALUE \"ProductVersion\", DERAVIZIZIVU_VERSION_TEXT\n"
       << "        END\n    END\n"
       << "    BLOCK \"VarFileInfo\"\n    BEGIN\n"
       << "        VALUE \"Translation\", " << (m.program ? "0x0804" : "0x0409") << ", 1200\n"
       << "    END\nEND\n";
}

std::string IconFile(const ScriptModule& m, UINT id) {
    return std::string(m.name) + "-" + std::to_string(id) + ".ico";
}

// The script of one module; empty when a table holds what a script cannot say.
std::string Script(const ScriptModule& m, const IdNames& ids) {
    std::ostringstream rc;
    rc << "// Generated from " << m.table << " by " << m.writer << ": change the table, then\n"
       << "// build the target " << m.target << ". A test fails while the two differ.\n"
       << "#pragma code_page(65001)\n#include <winres.h>\n#include \"resource.h\"\n"
       << (m.description ? "#include \"Version.h\"\n\n" : "\n") << "LANGUAGE " << m.language << "\n\n";
    for (const DLGTEMPLATE& t : m.resources->dialogs)
        if (!WriteDialog(rc, t, ids)) return {};
    rc << "STRINGTABLE\nBEGIN\n";
    for (const STRINGRESOURCE& s : m.resources->strings)
        rc << "    " << ids("IDS_", s.id) << ", " << Quoted(s.text) << "\n";
    rc << "END\n\n";
    for (const ICONRESOURCE& i : m.resources->icons)
        rc << ids("IDR_", i.id) << " ICON " << Quoted(IconFile(m, i.id).c_str()) << "\n";
    if (m.manifest) rc << "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST " << Quoted(m.manifest) << "\n";
    rc << "\n";
    if (m.description) WriteVersion(rc, m);
    return rc.str();
}

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // rows from the top; alpha 0 is transparent
};

// The XPM form the tables hold, with colours "#RRGGBB" or "None".
std::optional<Image> FromXpm(const char* const* xpm) {
    Image image;
    int colours = 0, cpp = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &image.width, &image.height, &colours, &cpp) != 4 || image.width <= 0 ||
        image.width > 256 || image.height <= 0 || image.height > 256 || colours <= 0 || cpp <= 0)
        return {};
    std::map<std::string, std::uint32_t> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string line = xpm[i];
        const std::size_t hash = line.find("c #");
        if (hash == std::string::npos && line.find("c None") == std::string::npos) return {};
        palette[line.substr(0, cpp)] =
            hash == std::string::npos ? 0u : 0xFF000000u | std::stoul(line.substr(hash + 3, 6), nullptr, 16);
    }
    for (int y = 0; y < image.height; ++y) {
        const std::string row = xpm[1 + colours + y];
        if (row.size() != static_cast<std::size_t>(image.width * cpp)) return {};
        for (int x = 0; x < image.width; ++x) {
            auto it = palette.find(row.substr(x * cpp, cpp));
            if (it == palette.end()) return {};
            image.argb.push_back(it->second);
        }
    }
    return image;
}

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An .ico file of the one image: its directory, then the image as a 32-bit
// bitmap of twice its height (colours, then the transparency mask), both
// from the bottom row up.
std::string Ico(const Image& image) {
    const int w = image.width, h = image.height, maskStride = (w + 31) / 32 * 4;
    std::string pixels, mask(static_cast<std::size_t>(maskStride * h), '\0');
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t argb = image.argb[static_cast<std::size_t>((h - 1 - row) * w + x)];
            Put32(pixels, argb);
            if (!(argb >> 24))
                mask[static_cast<std::size_t>(row * maskStride + x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
    const auto size = static_cast<std::uint32_t>(40 + pixels.size() + mask.size());
    std::string ico;
    for (unsigned v : {0, 1, 1}) Put16(ico, v);  // an icon file of one image
    ico += static_cast<char>(w % 256);           // 256 is written 0
    ico += static_cast<char>(h % 256);
    for (unsigned v : {0, 1, 32}) Put16(ico, v);  // no palette, one plane, 32 bits
    for (std::uint32_t v : {size, 22u}) Put32(ico, v);
    for (std::uint32_t v : {40u, std::uint32_t(w), std::uint32_t(2 * h)}) Put32(ico, v);
    for (unsigned v : {1, 32}) Put16(ico, v);
    for (std::uint32_t v : {0u, size - 40, 0u, 0u, 0u, 0u}) Put32(ico, v);
    return ico + pixels + mask;
}

std::string Icon(const char* const* xpm) {
    const std::optional<Image> image = FromXpm(xpm);
    return image ? Ico(*image) : std::string();
}

// Every file of one module, by name; empty when one cannot be written.
std::vector<std::pair<std::string, std::string>> Files(const ScriptModule& m, const IdNames& ids) {
    std::vector<std::pair<std::string, std::string>> files{{std::string(m.name) + ".rc", Script(m, ids)}};
    for (const ICONRESOURCE& i : m.resources->icons) files.emplace_back(IconFile(m, i.id), Icon(i.xpm));
    for (const auto& file : files)
        if (file.second.empty()) {
            std::cerr << m.name << ": the tables hold what " << file.first << " cannot say\n";
            return {};
        }
    return files;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Check(const std::string& folder, const ScriptModule& m, const IdNames& ids) {
    const auto files = Files(m, ids);
    if (files.empty()) return 1;
    int differing = 0;
    for (const auto& [name, content] : files)
        if (Read(folder + "/" + name) != content) {
            std::cerr << folder << "/" << name << " differs from the tables; build the target " << m.target << "\n";
            ++differing;
        }
    return differing ? 1 : 0;
}

int WriteAll(const std::string& folder, const IdNames& ids, std::span<const ScriptModule> modules) {
    for (const ScriptModule& m : modules) {
        const auto files = Files(m, ids);
        if (files.empty()) return 1;
        for (const auto& [name, content] : files)
            if (!(std::ofstream(folder + "/" + name, std::ios::binary) << content)) return 1;
    }
    return 0;
}

}  // namespace

int ResourceScriptsMain(int argc, char** argv, std::span<const ScriptModule> modules) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool check = args.size() == 3 && args[0] == "--check";
    if (!check && args.size() != 1) {
        std::cerr << "usage: " << argv[0] << " [--check] <folder> [<module>]\n";
        return 2;
    }
    const std::string folder = check ? args[1] : args[0];
    const IdNames ids(folder + "/resource.h");
    if (ids.Empty()) {
        std::cerr << folder << "/resource.h names no ids\n";
        return 2;
    }
    if (!check) return WriteAll(folder, ids, modules);
    for (const ScriptModule& m : modules)
        if (args[2] == m.name) return Check(folder, m, ids);
    std::cerr << "no module " << args[2] << "\n";
    return 2;
}
