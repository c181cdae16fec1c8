// The configuration and About dialogs in-process, from the real resource script: the
// templates as built, and the dialog run modally the way the host runs it, driven by
// a thread timer that plays one step per tick inside the modal loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/background_job.h"
#include "app/settings.h"
#include "app/win32_configure_dialog.h"
#include "host/host_state.h"
#include "platform/user_store.h"
#include "host/win32_host.h"
#include "platform/trace.h"
#include "tests/unit/ms3d_writer.h"

namespace {

// ---- The templates, read from the module's resources ----

struct TemplateControl {
    int id;
    std::string className;
    std::string text;
    DWORD style;
    short x, y, width, height;
};

struct DialogTemplate {
    DWORD style = 0;
    short width = 0, height = 0;
    std::string caption, font;
    int pointSize = 0;
    std::vector<TemplateControl> controls;
};

// Reads a DLGTEMPLATE (the classic form windres writes), checking every read against
// the resource's size.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }

    WORD Word() {
        if (offset_ + 2 > size_) return Fail();
        WORD value = static_cast<WORD>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // A string or, after 0xFFFF, an ordinal shown as "#N".
    std::string StringOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; ok_ && c != 0; c = Word()) text += static_cast<char>(c);
        return text;
    }
    void AlignToDword() { offset_ = (offset_ + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { offset_ = offset_ + bytes <= size_ ? offset_ + bytes : (Fail(), size_); }

private:
    WORD Fail() {
        ok_ = false;
        return 0;
    }
    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

std::string ClassName(const std::string& stored) {
    if (stored == "#128") return "BUTTON";
    if (stored == "#130") return "STATIC";
    std::string upper = stored;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "MSCTLS_TRACKBAR32" ? "msctls_trackbar32" : stored;
}

DialogTemplate LoadTemplate(int id) {
    DialogTemplate result;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return result;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader reader(data, SizeofResource(nullptr, found));
    result.style = reader.Dword();
    reader.Dword();  // extended style
    const int count = reader.Word();
    reader.Word();  // x
    reader.Word();  // y
    result.width = static_cast<short>(reader.Word());
    result.height = static_cast<short>(reader.Word());
    reader.StringOrOrdinal();  // menu
    reader.StringOrOrdinal();  // class
    result.caption = reader.StringOrOrdinal();
    if (result.style & DS_SETFONT) {
        result.pointSize = reader.Word();
        result.font = reader.StringOrOrdinal();
    }
    for (int i = 0; i < count && reader.ok(); ++i) {
        reader.AlignToDword();
        TemplateControl control;
        control.style = reader.Dword();
        reader.Dword();
        control.x = static_cast<short>(reader.Word());
        control.y = static_cast<short>(reader.Word());
        control.width = static_cast<short>(reader.Word());
        control.height = static_cast<short>(reader.Word());
        control.id = reader.Word();
        control.className = ClassName(reader.StringOrOrdinal());
        control.text = reader.StringOrOrdinal();
        reader.Skip(reader.Word());  // creation data
        result.controls.push_back(control);
    }
    EXPECT_TRUE(reader.ok()) << "template " << id << " ends early";
    return result;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTrackbar = TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP | kChild;
constexpr DWORD kCaption = SS_LEFT | WS_GROUP | kChild;
constexpr DWORD kValue = SS_RIGHT | WS_GROUP | kChild;
constexpr DWORD kButton = WS_TABSTOP | kChild;
const char* const kTrackbarClass = "msctls_trackbar32";

void ExpectControls(const std::vector<TemplateControl>& actual, const std::vector<TemplateControl>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateControl& a = actual[i];
        const TemplateControl& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + e.text + "\"");
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.className, e.className);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.style, e.style);
        EXPECT_EQ(std::vector<short>({a.x, a.y, a.width, a.height}),
                  std::vector<short>({e.x, e.y, e.width, e.height}));
    }
}

TEST(DialogTemplates, ConfigurationDialogIsBuiltAsDesigned) {
    DialogTemplate dialog = LoadTemplate(7001);
    EXPECT_EQ(dialog.caption, "Quillet Screensaver Config");
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(dialog.font, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.width, 522);
    EXPECT_EQ(dialog.height, 234);
    ExpectControls(dialog.controls, {
        {101, "STATIC", "#502", SS_BITMAP | kChild, 5, 5, 187, 51},
        {120, "BUTTON", "Centering", BS_GROUPBOX | kChild, 5, 60, 188, 111},
        {101, "STATIC", "Offset X Axis (degrees)", kCaption, 15, 80, 73, 8},
        {121, "STATIC", "XOFF", kValue, 160, 80, 25, 8},
        {122, kTrackbarClass, "X Offset", kTrackbar, 10, 90, 180, 14},
        {101, "STATIC", "Offset Y Axis (degrees)", kCaption, 15, 110, 74, 8},
        {123, "STATIC", "YOFF", kValue, 160, 110, 25, 8},
        {124, kTrackbarClass, "Y Offset", kTrackbar, 10, 120, 180, 14},
        {101, "STATIC", "Offset Z Axis (degrees)", kCaption, 15, 140, 93, 8},
        {125, "STATIC", "ZOFF", kValue, 160, 140, 25, 8},
        {126, kTrackbarClass, "Z Offset", kTrackbar, 10, 150, 180, 14},
        {130, "BUTTON", "Movement", BS_GROUPBOX | kChild, 200, 5, 318, 189},
        {101, "STATIC", "Movement Speed", kCaption, 210, 20, 75, 8},
        {131, "STATIC", "VEL", kValue, 355, 20, 25, 8},
        {132, kTrackbarClass, "Movement Speed", kTrackbar, 205, 30, 180, 14},
        {148, "BUTTON", "Motion Blur", BS_CHECKBOX | kButton, 395, 20, 75, 8},
        {149, "BUTTON", "Lighting", BS_CHECKBOX | kButton, 395, 32, 75, 8},
        {101, "STATIC", "Rotate X Axis (degrees)", kCaption, 210, 50, 75, 8},
        {133, "STATIC", "XROT", kValue, 355, 50, 25, 8},
        {134, kTrackbarClass, "X Rotation", kTrackbar, 205, 60, 180, 14},
        {101, "STATIC", "Rotate X Axis (speed)", kCaption, 395, 50, 75, 8},
        {140, "STATIC", "XROTS", kValue, 485, 50, 25, 8},
        {141, kTrackbarClass, "X Rotation Speed", kTrackbar, 390, 60, 125, 14},
        {101, "STATIC", "Rotate Y Axis (degrees)", kCaption, 210, 80, 75, 8},
        {135, "STATIC", "YROT", kValue, 355, 80, 25, 8},
        {136, kTrackbarClass, "Y Rotation", kTrackbar, 205, 95, 180, 14},
        {101, "STATIC", "Rotate Y Axis (speed)", kCaption, 395, 80, 75, 8},
        {142, "STATIC", "YROTS", kValue, 485, 80, 25, 8},
        {143, kTrackbarClass, "Y Rotation Speed", kTrackbar, 390, 95, 125, 14},
        {101, "STATIC", "Rotate Z Axis (degrees)", kCaption, 210, 115, 77, 8},
        {137, "STATIC", "ZROT", kValue, 355, 115, 25, 8},
        {138, kTrackbarClass, "Z Rotation", kTrackbar, 205, 130, 180, 14},
        {101, "STATIC", "Rotate Z Axis (speed)", kCaption, 395, 115, 75, 8},
        {144, "STATIC", "ZROTS", kValue, 485, 115, 25, 8},
        {145, kTrackbarClass, "Z Rotation Speed", kTrackbar, 390, 130, 125, 14},
        {101, "STATIC", "Scale", kCaption, 210, 150, 77, 8},
        {146, "STATIC", "SCALE", kValue, 355, 150, 25, 8},
        {147, kTrackbarClass, "Scale", kTrackbar, 205, 165, 180, 14},
        {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | kButton, 5, 178, 50, 14},
        {2, "BUTTON", "Cancel", BS_PUSHBUTTON | kButton, 60, 178, 50, 14},
        {150, "BUTTON", "Default", BS_PUSHBUTTON | kButton, 115, 178, 50, 14},
        {151, "BUTTON", "?", BS_PUSHBUTTON | kButton, 170, 178, 23, 14},
        // The user's own model: one row under everything else.
        {160, "STATIC", "Model:", kCaption, 7, 201, 25, 8},
        {161, "EDIT", "", ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP | kChild, 33, 199, 160, 12},
        {162, "BUTTON", "Browse...", BS_PUSHBUTTON | kButton, 200, 198, 50, 14},
        {163, "BUTTON", "Built-in", BS_PUSHBUTTON | kButton, 255, 198, 50, 14},
        {164, "STATIC", "", kCaption, 312, 201, 205, 8},
        {165, "STATIC", "Monitors:", kCaption, 7, 219, 35, 8},
        {166, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | kButton, 45, 217, 148, 60},
    });
}

TEST(DialogTemplates, AboutDialogHasNoSystemMenuAndFourLines) {
    DialogTemplate dialog = LoadTemplate(kAboutDialogId);
    EXPECT_EQ(dialog.caption, "About");
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(dialog.font, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.width, 198);
    EXPECT_EQ(dialog.height, 150);
    ASSERT_EQ(dialog.controls.size(), 3u);
    ExpectControls({dialog.controls[0], dialog.controls[2]}, {
        {101, "STATIC", "#502", SS_BITMAP | kChild, 5, 5, 187, 51},
        {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | kButton, 77, 130, 45, 14},
    });
    const TemplateControl& lines = dialog.controls[1];
    EXPECT_EQ(lines.id, 504);
    EXPECT_EQ(lines.className, "STATIC");
    EXPECT_EQ(lines.text, "\nVelmora Lodge Screensaver\n\n2026");
    // The four lines fit between the banner and the button.
    EXPECT_GE(lines.y, 5 + 51);
    EXPECT_LE(lines.y + lines.height, 130);
}

// The program's manifest asks for Common Controls 6, the version that draws buttons,
// check boxes and trackbars in the system's visual style. This program embeds the
// same manifest, so the library it loads must be that side-by-side assembly (Wine's
// copy reports 5.81 from DllGetVersion, so its folder is what tells).
TEST(DialogTemplates, TheManifestBringsCommonControlsSix) {
    HMODULE library = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(library, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(library, path, MAX_PATH), 0u);
    std::string folder = path;
    std::transform(folder.begin(), folder.end(), folder.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(folder.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}

// ---- The dialog at work ----

// Plays its steps inside the modal loop of the dialog, one per timer tick. A step that
// opens the About box runs the next steps from within the About box's loop.
struct DialogScript {
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    int idleTicks = 0;
};
DialogScript* Script;

HWND FindDialog(const char* caption) { return FindWindowA("#32770", caption); }
HWND ConfigDialog() { return FindDialog("Quillet Screensaver Config"); }

void CALLBACK PlayNextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (Script->next < Script->steps.size()) {
        Script->steps[Script->next++]();
    } else if (++Script->idleTicks > 100) {
        // The script ended without closing the dialog: close it with a code no button gives.
        if (HWND about = FindDialog("About")) EndDialog(about, 77);
        if (HWND dialog = ConfigDialog()) EndDialog(dialog, 99);
    }
}

int RunDialog(std::vector<std::function<void()>> steps) {
    DialogScript script{std::move(steps)};
    Script = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 15, PlayNextStep);
    int result = ShowConfigDialog(nullptr);
    KillTimer(nullptr, timer);
    Script = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "steps left unplayed";
    return result;
}

int Selection(int combo) { return static_cast<int>(SendDlgItemMessageA(ConfigDialog(), combo, CB_GETCURSEL, 0, 0)); }
int Position(int trackbar) { return static_cast<int>(SendDlgItemMessageA(ConfigDialog(), trackbar, TBM_GETPOS, 0, 0)); }
std::string Text(HWND dialog, int id) {
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
std::string Label(int trackbar) { return Text(ConfigDialog(), trackbar - 1); }
bool Checked(int box) { return IsDlgButtonChecked(ConfigDialog(), box) == BST_CHECKED; }
void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }
void Click(int id) { Click(ConfigDialog(), id); }
void Key(int trackbar, WPARAM key) {
    SendDlgItemMessageA(ConfigDialog(), trackbar, WM_KEYDOWN, key, 0);
    SendDlgItemMessageA(ConfigDialog(), trackbar, WM_KEYUP, key, 0);
}

std::map<std::string, DWORD> StoredValues() {
    std::map<std::string, DWORD> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    char name[64];
    for (DWORD i = 0;; ++i) {
        BYTE data[4096] = {};
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        DWORD number = ~0u;  // a value of another type (text) shows as all ones
        if (type == REG_DWORD) std::memcpy(&number, data, sizeof number);
        values[name] = number;
    }
    RegCloseKey(key);
    return values;
}

void Store(const std::map<std::string, DWORD>& values) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : values)
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

const std::map<std::string, DWORD> kDefaults = {
    {"xoff", 134}, {"yoff", 0},  {"zoff", 0},   {"vel", 20},    {"xrot", 0},   {"xrots", 1},    {"yrot", 0},
    {"yrots", 1},  {"zrot", 360}, {"zrots", 20}, {"scale", 100}, {"blur", 0},  {"lighting", 0},
    {"Monitors", 0},
};

// Kept from every thread: a model's summary is read on a thread of its own.
std::vector<std::string> Traces;
std::mutex TracesLock;
void KeepTrace(const char* message) {
    std::lock_guard<std::mutex> hold(TracesLock);
    Traces.emplace_back(message);
}

class ConfigureDialog : public ::testing::Test {
protected:
    void SetUp() override {
        HostState.instance = GetModuleHandleA(nullptr);
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
        previousSink = SetTraceSink(KeepTrace);
    }
    void TearDown() override {
        SetTraceSink(previousSink);
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    }
    // As at process start: the defaults overlaid by the stored values.
    void Start(const std::map<std::string, DWORD>& stored) {
        Store(stored);
        LoadSettings();
        Traces.clear();
    }
    TraceSink previousSink = nullptr;
};

TEST_F(ConfigureDialog, StoredValuesOutsideTheRangesShowClampedAndOkStoresThePositions) {
    Start({{"xoff", 400}, {"scale", 0}, {"xrots", 0}, {"blur", 2}, {"lighting", 1}});
    int result = RunDialog({
        [] {
            EXPECT_EQ(Position(122), 359);
            EXPECT_EQ(Label(122), "400") << "the label shows the stored number";
            EXPECT_EQ(Position(147), 1);
            EXPECT_EQ(Label(147), "0");
            EXPECT_EQ(Position(141), 1);
            EXPECT_EQ(Position(145), 20);
            EXPECT_EQ(Label(145), "20");
            EXPECT_EQ(Position(138), 360);
            EXPECT_FALSE(Checked(148)) << "blur 2 is not exactly 1";
            EXPECT_TRUE(Checked(149));
        },
        [] { Click(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    std::map<std::string, DWORD> expected = kDefaults;
    expected["xoff"] = 359;
    expected["scale"] = 1;
    expected["xrots"] = 1;
    expected["lighting"] = 1;
    EXPECT_EQ(StoredValues(), expected);
    EXPECT_EQ(Settings.xoff, 359);
    EXPECT_EQ(Settings.blur, 0);
    const std::vector<std::string> opening = {"ScreenSaverConfigureDialog:\tCaught a WM_INITDIALOG signal",
                                              "Setting values"};
    ASSERT_GE(Traces.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(Traces.begin(), Traces.begin() + 2), opening);
    EXPECT_NE(std::find(Traces.begin(), Traces.end(), "User hit OK"), Traces.end());
}

TEST_F(ConfigureDialog, DefaultThenCancelLeavesTheRegistryAsItWas) {
    const std::map<std::string, DWORD> stored = {{"vel", 77}, {"zrot", 90}, {"blur", 1}};
    Start(stored);
    int result = RunDialog({
        [] {
            EXPECT_EQ(Position(132), 77);
            EXPECT_TRUE(Checked(148));
        },
        [] { Click(150); },
        [] {
            EXPECT_EQ(Position(132), 20);
            EXPECT_EQ(Label(132), "20");
            EXPECT_EQ(Position(138), 360);
            EXPECT_EQ(Position(122), 134);
            EXPECT_FALSE(Checked(148));
        },
        [] { Click(IDCANCEL); },
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(StoredValues(), stored);
    EXPECT_NE(std::find(Traces.begin(), Traces.end(), "User hit the DEFAULT button"), Traces.end());
}

TEST_F(ConfigureDialog, TheMonitorsRowShowsTheStoredChoiceAndOkStoresTheOneMade) {
    Start({{"Monitors", 7}});
    int result = RunDialog({
        [] { EXPECT_EQ(Selection(166), 0) << "an unknown value shows as each monitor its own lodge"; },
        [] { SendDlgItemMessageA(ConfigDialog(), 166, CB_SETCURSEL, 2, 0); },
        [] { Click(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredValues()["Monitors"], 2u) << "main monitor only";
    EXPECT_EQ(Settings.monitors, 2);
    Start({{"Monitors", 1}});
    RunDialog({[] { EXPECT_EQ(Selection(166), 1); }, [] { Click(IDCANCEL); }});
}

TEST_F(ConfigureDialog, DefaultThenOkStoresExactlyTheDefaults) {
    Start({{"xoff", 5}, {"yoff", 6}, {"zoff", 7}, {"vel", 8}, {"xrot", 9}, {"xrots", 10}, {"yrot", 11},
           {"yrots", 12}, {"zrot", 13}, {"zrots", 14}, {"scale", 15}, {"blur", 1}, {"lighting", 1}});
    int result = RunDialog({[] { Click(150); }, [] { Click(IDOK); }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredValues(), kDefaults);
}

TEST_F(ConfigureDialog, ArrowKeysStepByOneAndPageKeysByFiveWithTheLabelFollowing) {
    Start({});
    int result = RunDialog({
        [] {
            Key(132, VK_RIGHT);
            EXPECT_EQ(Position(132), 21);
            EXPECT_EQ(Label(132), "21");
            Key(132, VK_NEXT);
            EXPECT_EQ(Position(132), 26);
            EXPECT_EQ(Label(132), "26");
            Key(132, VK_LEFT);
            EXPECT_EQ(Label(132), "25");
            Key(132, VK_PRIOR);
            EXPECT_EQ(Label(132), "20");
            Key(141, VK_PRIOR);  // X Rotation Speed starts at its lower end
            EXPECT_EQ(Label(141), "1");
            Key(141, VK_NEXT);
            EXPECT_EQ(Label(141), "6");
            Key(147, VK_NEXT);
            EXPECT_EQ(Label(147), "105");
            EXPECT_EQ(Settings.vel, 20) << "nothing changes before OK";
            EXPECT_EQ(Settings.scale, 100);
        },
        [] { Click(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Settings.xrots, 6);
    EXPECT_EQ(Settings.scale, 105);
    EXPECT_EQ(StoredValues().at("xrots"), 6u);
    EXPECT_NE(std::find(Traces.begin(), Traces.end(), "Caught some xrotation speed input"), Traces.end());
}

TEST_F(ConfigureDialog, ClickingACheckBoxTwiceRestoresItWithoutTouchingTheSettings) {
    Start({{"lighting", 1}});
    int result = RunDialog({
        [] {
            for (int box : {148, 149}) {
                const bool before = Checked(box);
                Click(box);
                EXPECT_NE(Checked(box), before) << box;
                EXPECT_EQ(Settings.blur, 0);
                EXPECT_EQ(Settings.lighting, 1);
                Click(box);
                EXPECT_EQ(Checked(box), before) << box;
            }
            EXPECT_EQ(StoredValues(), (std::map<std::string, DWORD>{{"lighting", 1}}));
        },
        [] { Click(IDCANCEL); },
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::count(Traces.begin(), Traces.end(), "User hit the motion blur checkbox..."), 2);
    EXPECT_EQ(std::count(Traces.begin(), Traces.end(), "User hit the lighting checkbox..."), 2);
}

TEST_F(ConfigureDialog, OnlyTheElevenTrackbarsUpdateALabel) {
    Start({});
    int result = RunDialog({
        [] {
            HWND dialog = ConfigDialog();
            EXPECT_FALSE(updateTrackbarLabel(dialog, GetDlgItem(dialog, IDOK)));
            EXPECT_FALSE(updateTrackbarLabel(dialog, nullptr));
            SendDlgItemMessageA(dialog, 126, TBM_SETPOS, TRUE, 42);  // no notification: label unchanged
            EXPECT_EQ(Label(126), "0");
            EXPECT_TRUE(updateTrackbarLabel(dialog, GetDlgItem(dialog, 126)));
            EXPECT_EQ(Label(126), "42");
        },
        [] { Click(IDCANCEL); },
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ConfigureDialog, AboutClosesWithOkEnterOrEscAndLeavesThePendingValues) {
    Start({});
    auto expectAboutOpen = [] {
        HWND about = FindDialog("About");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(Text(about, 504), "\nVelmora Lodge Screensaver\n\n2026");
        EXPECT_FALSE(GetWindowLongA(about, GWL_STYLE) & WS_SYSMENU);
    };
    int result = RunDialog({
        [] {
            Key(122, VK_RIGHT);
            Click(148);
        },
        [] { Click(151); },  // opens About; the next steps play inside its loop
        expectAboutOpen,
        [] { Click(FindDialog("About"), IDOK); },
        [] { EXPECT_EQ(FindDialog("About"), nullptr); },
        [] { Click(151); },
        expectAboutOpen,
        [] { PostMessageA(GetDlgItem(FindDialog("About"), IDOK), WM_KEYDOWN, VK_RETURN, 0); },
        [] { EXPECT_EQ(FindDialog("About"), nullptr); },
        [] { Click(151); },
        expectAboutOpen,
        [] { PostMessageA(GetDlgItem(FindDialog("About"), IDOK), WM_KEYDOWN, VK_ESCAPE, 0); },
        [] {
            EXPECT_EQ(FindDialog("About"), nullptr);
            EXPECT_EQ(Position(122), 135);
            EXPECT_EQ(Label(122), "135");
            EXPECT_TRUE(Checked(148));
        },
        [] { Click(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredValues().at("xoff"), 135u);
    EXPECT_EQ(StoredValues().at("blur"), 1u);
    EXPECT_EQ(std::count(Traces.begin(), Traces.end(), "ScreenSaverHelpDialog:\tCaught a WM_INITDIALOG signal"), 3);
}

TEST_F(ConfigureDialog, AboutIsOwnedByTheDialogWhateverIsInFront) {
    Start({});
    HWND other = CreateWindowExA(0, "STATIC", "in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    static HWND front;
    front = other;
    int result = RunDialog({
        [] {
            SetForegroundWindow(front);
            Click(151);
        },
        [] {
            HWND about = FindDialog("About");
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(GetWindow(about, GW_OWNER), ConfigDialog());
            EXPECT_FALSE(IsWindowEnabled(ConfigDialog())) << "the dialog waits for the About box";
        },
        [] { Click(FindDialog("About"), IDOK); },
        [] { Click(IDCANCEL); },
    });
    DestroyWindow(other);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ConfigureDialog, ASaveTheStoreRefusesIsSaidAndTheDialogStaysOpen) {
    Start({});
    // The store refuses "scale"; the values before it are written, those after it tried.
    UserValueWriteFilter previous = SetUserValueWriteFilter([](const char* name) { return std::string(name) != "scale"; });
    int result = RunDialog({
        [] { Click(IDOK); },  // the error box opens; the next steps play inside its loop
        [] {
            HWND box = FindDialog("Error");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(GetWindow(box, GW_OWNER), ConfigDialog());
            EXPECT_EQ(Text(box, 0xFFFF), "The settings could not be saved.");
            Click(box, IDOK);
        },
        [] {
            EXPECT_EQ(FindDialog("Error"), nullptr);
            EXPECT_NE(ConfigDialog(), nullptr) << "the dialog stays open";
        },
        [] { Click(IDCANCEL); },
    });
    SetUserValueWriteFilter(previous);
    EXPECT_EQ(result, IDCANCEL);
    std::map<std::string, DWORD> stored = StoredValues();
    EXPECT_EQ(stored.count("scale"), 0u);
    EXPECT_EQ(stored.count("xoff"), 1u) << "values already written stay";
    EXPECT_EQ(stored.count("lighting"), 1u);
}

// Each trackbar: its id, its range and the value it edits.
struct TrackbarRange {
    int id;
    int minimum, maximum;
    const char* value;
};
constexpr TrackbarRange kTrackbarRanges[] = {
    {122, 0, 359, "xoff"}, {124, 0, 359, "yoff"},   {126, 0, 359, "zoff"},   {132, 0, 100, "vel"},
    {134, 0, 360, "xrot"}, {141, 1, 300, "xrots"},  {136, 0, 360, "yrot"},   {143, 1, 300, "yrots"},
    {138, 0, 360, "zrot"}, {145, 1, 300, "zrots"},  {147, 1, 1000, "scale"},
};

TEST_F(ConfigureDialog, ValuesAtTheEndsOfTheirTypeShowClampedAndAreSavedClamped) {
    for (int32_t value : {0, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(value);
        std::map<std::string, DWORD> stored;
        for (const auto& [name, unused] : kDefaults) stored[name] = static_cast<DWORD>(value);
        Start(stored);
        int result = RunDialog({
            [value] {
                for (const TrackbarRange& trackbar : kTrackbarRanges) {
                    const int shown = value < trackbar.minimum ? trackbar.minimum
                                      : value > trackbar.maximum ? trackbar.maximum : value;
                    EXPECT_EQ(Position(trackbar.id), shown) << trackbar.value;
                    EXPECT_EQ(Label(trackbar.id), std::to_string(value)) << trackbar.value;
                }
                EXPECT_FALSE(Checked(148));
                EXPECT_FALSE(Checked(149));
            },
            [] { Click(IDOK); },
        });
        EXPECT_EQ(result, IDOK);
        std::map<std::string, DWORD> saved = StoredValues();
        for (const TrackbarRange& trackbar : kTrackbarRanges) {
            const int64_t clamped = std::min<int64_t>(std::max<int64_t>(value, trackbar.minimum), trackbar.maximum);
            EXPECT_EQ(saved[trackbar.value], static_cast<DWORD>(clamped)) << trackbar.value;
        }
        EXPECT_EQ(saved["blur"], 0u);
        EXPECT_EQ(saved["lighting"], 0u);
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    }
}

}  // namespace

// ---- The user's own model ----

std::wstring WideText(int id) {
    wchar_t text[260] = {};
    GetDlgItemTextW(ConfigDialog(), id, text, 260);
    return text;
}

// A step played again, tick after tick, until `ready` holds (for at most a minute).
std::function<void()> Until(std::function<bool()> ready) {
    return [ready, ticks = 0]() mutable {
        if (!ready() && ++ticks < 4000) --Script->next;
    };
}
// The model row's summary once reading the file has ended.
std::function<void()> UntilSummaryRead() {
    return Until([] { return WideText(164) != L"Reading..."; });
}

// The stored model file, or "(none)" when there is no such value.
std::wstring StoredModelFile() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VLG", 0, KEY_READ, &key) != ERROR_SUCCESS) return L"(none)";
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    const LONG result = RegQueryValueExW(key, L"ModelFile", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return L"(none)";
    return type == REG_SZ ? std::wstring(text) : L"(not text)";
}

void StoreModelFile(const std::wstring& path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VLG", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"ModelFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// A small MS3D model (one square) under a name outside any code page.
std::wstring WriteSquareModel() {
    MS3DWriter writer;
    writer.groups.push_back({writer.AddSquare(0, 0, 1, 1), 0});
    const std::vector<uint8_t> bytes = writer.Bytes();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"H\u00fctte \u043c\u043e\u0434\u0435\u043b\u044c.Ms3D";
    FILE* file = _wfopen(path.c_str(), L"wb");
    EXPECT_NE(file, nullptr);
    if (file) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    return path;
}

TEST_F(ConfigureDialog, TheModelRowShowsTheStoredFileAndOkOrCancelDecide) {
    const std::wstring model = WriteSquareModel();
    StoreModelFile(model);
    Start({});
    // Built-in, then Cancel: nothing is stored.
    RunDialog({
        UntilSummaryRead(),
        [] {
            EXPECT_EQ(WideText(161), L"H\u00fctte \u043c\u043e\u0434\u0435\u043b\u044c.Ms3D");
            EXPECT_EQ(WideText(164), L"2 triangles, 0 textures");
        },
        [] { Click(163); },
        [] {
            EXPECT_EQ(WideText(161), L"Built-in lodge");
            EXPECT_EQ(WideText(164), L"");
        },
        [] { Click(IDCANCEL); },
    });
    EXPECT_EQ(StoredModelFile(), model);
    // OK stores the file again as it was read (UTF-16 in, UTF-16 out); Default, then
    // OK, removes it.
    Start({});
    RunDialog({[] { Click(IDOK); }});
    EXPECT_EQ(StoredModelFile(), model);
    EXPECT_EQ(StoredValues().size(), kDefaults.size() + 1);
    Start({});
    RunDialog({[] { Click(IDC_DEFAULT); }, [] { EXPECT_EQ(WideText(161), L"Built-in lodge"); }, [] { Click(IDOK); }});
    EXPECT_EQ(StoredModelFile(), L"(none)");
    EXPECT_EQ(StoredValues(), kDefaults);
    _wremove(model.c_str());
}

// Browse opens the system's Open dialog owned by this one; the file chosen there shows
// with what reading it found, and OK stores it.
TEST_F(ConfigureDialog, BrowseChoosesAFileThroughTheOpenDialog) {
    static std::wstring model;
    model = WriteSquareModel();
    Start({});
    int result = RunDialog({
        [] { EXPECT_EQ(WideText(161), L"Built-in lodge"); },
        [] { PostMessageW(GetDlgItem(ConfigDialog(), 162), BM_CLICK, 0, 0); },
        [] {},  // the Open dialog comes up
        [] {
            HWND open = nullptr;
            for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));)
                if (w != ConfigDialog() && GetWindow(w, GW_OWNER) == ConfigDialog()) open = w;
            ASSERT_NE(open, nullptr) << "no Open dialog owned by the configuration dialog";
            // The file name field (a combo box, 0x47C, or an edit, 0x480) takes the path.
            if (!SetDlgItemTextW(open, 0x47C, model.c_str())) SetDlgItemTextW(open, 0x480, model.c_str());
            PostMessageW(open, WM_COMMAND, IDOK, 0);
        },
        [] {},
        UntilSummaryRead(),
        [] {
            EXPECT_EQ(WideText(161), L"H\u00fctte \u043c\u043e\u0434\u0435\u043b\u044c.Ms3D");
            EXPECT_EQ(WideText(164), L"2 triangles, 0 textures");
        },
        [] { Click(IDOK); },
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredModelFile(), model);
    _wremove(model.c_str());
}

// A flat grid of 2 x cells x cells triangles as an OBJ file in TEMP; its path.
std::wstring WriteGridModel(int cells) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"velmora grid.obj";
    FILE* file = _wfopen(path.c_str(), L"w");
    EXPECT_NE(file, nullptr);
    if (!file) return path;
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x) fprintf(file, "v %d %d 0\n", x, y);
    const int row = cells + 1;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int a = y * row + x + 1;
            fprintf(file, "f %d %d %d\nf %d %d %d\n", a, a + 1, a + row + 1, a, a + row + 1, a + row);
        }
    fclose(file);
    return path;
}

// A large file is read while the dialog goes on answering; a summary read for a file
// no longer chosen never shows.
TEST_F(ConfigureDialog, TheDialogAnswersWhileALargeModelIsReadAndShowsOnlyTheChosenFile) {
    const std::wstring model = WriteGridModel(600);
    StoreModelFile(model);
    Start({});
    static int ticksWhileReading;
    static DWORD opened, readMs;
    ticksWhileReading = 0;
    RunDialog({
        [] {
            opened = GetTickCount();
            EXPECT_EQ(WideText(164), L"Reading...");
        },
        Until([] {
            if (WideText(164) != L"Reading...") return true;
            ++ticksWhileReading;
            return false;
        }),
        [] {
            readMs = GetTickCount() - opened;
            EXPECT_EQ(WideText(164), L"720,000 triangles, 0 textures");
        },
        [] { Click(IDCANCEL); },
    });
    EXPECT_GT(ticksWhileReading, 3) << "the dialog's own loop ran while the file was read (" << readMs << " ms)";

    Start({});
    RunDialog({
        [] {
            opened = GetTickCount();
            EXPECT_EQ(WideText(164), L"Reading...");
            Click(163);  // Built-in, while the file is read
            EXPECT_EQ(WideText(161), L"Built-in lodge");
        },
        // Twice as long as the file took to read: its summary never comes.
        Until([] { return GetTickCount() - opened > 2 * readMs + 500; }),
        [] { EXPECT_EQ(WideText(164), L"") << "the file's summary came after Built-in: it is not shown"; },
        [] { Click(IDCANCEL); },
    });

    // Cancel while the file is read ends the dialog at once; the reading is left to end
    // on its own, and the program ends without the exit handlers it could meet.
    Start({});
    RunDialog({
        [] {
            opened = GetTickCount();
            EXPECT_EQ(WideText(164), L"Reading...");
            Click(IDCANCEL);
        },
    });
    EXPECT_LT(GetTickCount() - opened, readMs / 2 + 200) << "the dialog ended without waiting for the file";
    EXPECT_TRUE(AnyBackgroundJobAbandoned());
    Sleep(2 * readMs + 500);  // the file is let go before it is removed
    _wremove(model.c_str());
}
