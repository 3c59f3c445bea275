// What the program relies on from its platform, checked once for both backends: built natively over the
// simulated platform (kestor_contract) and with mingw over the real one (kbackend_tests.exe, run under
// Wine by the end-to-end suite). The registry, the files, the controls, a dialog and a property sheet
// driven by their own timers; then what a backend alone can show. Prints one line per failed check;
// exits with 1 when one failed.
#include <cstdio>
#include <string>
#include <vector>

#include "Contract.h"
#include "resource.h"

namespace contract {

namespace {
int g_checks = 0, g_failures = 0;
}  // namespace

void Check(bool ok, const char* what, int line) {
    ++g_checks;
    if (ok) return;
    ++g_failures;
    std::printf("FAILED line %d: %s\n", line, what);
    std::fflush(stdout);
}

namespace {

// What differs between the backends: how they are made, and how a test plants what the program never
// writes itself.

void TestRegistry(Platform& platform) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    CHECK(reg.Open(kp::Hive::CurrentUser, kKey, kp::Access::Read) == 0);
    const kp::RegKey key = reg.Create(kp::Hive::CurrentUser, kKey, kp::Access::Write);
    CHECK(key != 0);
    std::string text;
    uint32_t number = 0;
    // Sizes count GBK bytes, and the text must fit with its terminator: "中文值" is 6 bytes.
    CHECK(reg.SetString(key, "名字", "中文值"));
    CHECK(reg.QueryString(key, "名字", text, 7) && text == "中文值");
    text = "unchanged";
    CHECK(!reg.QueryString(key, "名字", text, 6) && text == "unchanged");
    const std::string longText(200, 'a');
    CHECK(reg.SetString(key, "long", longText) && !reg.QueryString(key, "long", text, 128));
    CHECK(reg.QueryString(key, "long", text, 201) && text == longText);
    CHECK(reg.SetDword(key, "n", 0x01020304) && reg.QueryDword(key, "n", number) && number == 0x01020304);
    // A value of another type or size reads as absent, and the variable keeps its default.
    number = 77;
    CHECK(!reg.QueryDword(key, "名字", number) && !reg.QueryString(key, "n", text, 64));
    platform.SetOdd(key, "bin", Odd::Binary);
    platform.SetOdd(key, "short", Odd::ShortDword);
    platform.SetOdd(key, "expand", Odd::ExpandString);
    CHECK(!reg.QueryDword(key, "bin", number) && !reg.QueryDword(key, "short", number) && number == 77);
    CHECK(!reg.QueryString(key, "bin", text, 64) && !reg.QueryString(key, "expand", text, 64));
    CHECK(reg.DeleteValue(key, "名字") && !reg.QueryString(key, "名字", text, 64) && !reg.DeleteValue(key, "名字"));
    reg.Close(key);
    // A key opened for reading refuses writes; names are found whatever their case.
    const kp::RegKey readOnly = reg.Open(kp::Hive::CurrentUser, "SOFTWARE\\kestorcontract", kp::Access::Read);
    CHECK(readOnly != 0 && reg.QueryDword(readOnly, "N", number) && number == 0x01020304);
    CHECK(!reg.SetDword(readOnly, "n", 5));
    reg.Close(readOnly);
}

void TestFiles(Platform& platform) {
    kp::IFiles& files = *kp::TheOs().files;
    const std::string folder = platform.Folder();
    platform.MakeFolder(folder);
    const std::string path = folder + "\\列表.ini";
    const std::string bytes("a\r\nb\0c\n", 7);
    CHECK(!files.Exists(path) && files.WriteReplace(path, bytes) && files.Exists(path));
    std::string read;
    CHECK(files.Read(path, read, 1024) && read == bytes);
    // A shorter content leaves nothing of the old one; a read stops at its limit.
    CHECK(files.WriteReplace(path, "xy") && files.Read(path, read, 1024) && read == "xy");
    CHECK(files.WriteReplace(path, std::string(100000, 'z')) && files.Read(path, read, 3) && read == "zzz");
    CHECK(files.Read(path, read, 1 << 20) && read.size() == 100000);
    CHECK(files.WriteReplace(path, "") && files.Read(path, read, 10) && read.empty());
    CHECK(!files.Read(folder + "\\missing.ini", read, 10) && !files.Exists(folder + "\\missing.ini"));

    // Listings: names as stored, "." and ".." left out, folders told apart, with or without the last
    // backslash. The second byte of 誠 has the value of a backslash.
    platform.MakeFolder(folder + "\\誠");
    CHECK(files.WriteReplace(folder + "\\誠\\a.MP3", "x"));
    std::vector<kp::FolderEntry> entries;
    CHECK(files.ListFolder(folder, entries) && entries.size() == 2);
    int found = 0;
    for (const kp::FolderEntry& e : entries) found += (e.name == "列表.ini" && !e.folder) + (e.name == "誠" && e.folder);
    CHECK(found == 2);
    CHECK(files.ListFolder(folder + "\\誠\\", entries) && entries.size() == 1 && entries[0].name == "a.MP3");
    CHECK(!files.ListFolder(folder + "\\missing", entries));
}

void TestControls(kp::IWindow& w) {
    w.SetText(IDC_EDIT, "中文");
    CHECK(w.GetText(IDC_EDIT) == "中文" && w.GetText(0) == "探针");
    w.SetCheck(IDC_CHECK, 1);
    CHECK(w.GetCheck(IDC_CHECK) == 1);
    w.EnableControl(IDC_PUSH, false);
    CHECK(!w.IsControlEnabled(IDC_PUSH));
    w.EnableControl(IDC_PUSH, true);
    CHECK(w.IsControlEnabled(IDC_PUSH));

    // A sorted list view places a row by its first column whatever index is asked for.
    kp::IListView& list = w.ListView(IDC_LIST);
    list.InsertColumn(0, "时间", 80, kp::ColumnAlign::Center);
    list.InsertColumn(1, "信息", 70, kp::ColumnAlign::Right);
    CHECK(list.InsertItem(0, "b") == 0 && list.InsertItem(0, "c") == 1 && list.InsertItem(9, "a") == 0);
    CHECK(list.GetItemCount() == 3 && list.GetItemText(0, 0) == "a" && list.GetItemText(2, 0) == "c");
    list.SetRedraw(false);
    CHECK(list.SetItemText(1, 1, "第二列") && list.GetItemText(1, 1) == "第二列" && list.GetItemText(0, 1).empty());
    list.SetRedraw(true);
    const std::string longText(1000, 'x');
    CHECK(list.SetItemText(2, 1, longText) && list.GetItemText(2, 1) == longText);
    CHECK(list.SetItemData(1, 0xDEADBEEF) && list.GetItemData(1) == 0xDEADBEEF && list.GetItemData(0) == 0);
    list.SetSelected(1, true);
    CHECK(list.GetNextSelected(-1) == 1 && list.GetNextSelected(1) == -1);
    list.SetSelected(1, false);
    CHECK(list.GetNextSelected(-1) == -1);
    CHECK(list.DeleteItem(0) && list.GetItemCount() == 2 && list.GetItemText(0, 0) == "b");
    list.DeleteAllItems();
    CHECK(list.GetItemCount() == 0);

    kp::IListBox& box = w.ListBox(IDC_LISTBOX);
    CHECK(box.AddString("乙") == 0 && box.InsertString(0, "甲") == 0 && box.InsertString(-1, "丙") == 2);
    CHECK(box.GetCount() == 3 && box.GetText(0) == "甲" && box.GetText(2) == "丙" && box.GetText(7).empty());
    CHECK(box.GetCurSel() == -1);
    box.SetCurSel(1);
    CHECK(box.GetCurSel() == 1 && box.DeleteString(0) && box.GetCount() == 2 && !box.DeleteString(5));
    box.ResetContent();
    CHECK(box.GetCount() == 0);

    kp::ICombo& combo = w.Combo(IDC_COMBO);
    combo.AddString("一小时");
    combo.AddString("两小时");
    combo.SetCurSel(1);
    CHECK(combo.GetCount() == 2 && combo.GetCurSel() == 1 && combo.GetLBText(1) == "两小时");
    combo.ResetContent();
    CHECK(combo.GetCount() == 0 && combo.GetCurSel() == -1);

    kp::IDateTime& date = w.DateTime(IDC_DATE);
    date.SetFormat("HH:mm:ss");
    kp::SysTime t{2026, 5, 0, 5, 9, 4, 3, 0};
    date.SetTime(t);
    const kp::SysTime got = date.GetTime();
    CHECK(got.wYear == 2026 && got.wMonth == 5 && got.wDay == 5 && got.wHour == 9 && got.wMinute == 4 &&
          got.wSecond == 3);
    kp::IUpDown& spin = w.UpDown(IDC_SPIN);
    spin.SetRange(0, 100000);
    spin.SetPos(70000);
    CHECK(spin.GetPos() == 70000);
    CHECK(w.SetStaticBitmap(IDC_BITMAP, IDB_RED) && !w.SetStaticBitmap(IDC_BITMAP, 999));
    CHECK(kp::TheOs().ui->LoadString(IDS_ABOUT) == "关于 Tovrel(&A)..." && kp::TheOs().ui->LoadString(IDS_ABOUT + 1).empty());
}

// A dialog that checks its controls, then runs on its own timer: a timer set again restarts, posted
// messages arrive in order with their parameters, a message sent to the main window returns the
// handler's result, and EndDialog's value is DoModal's.
class ProbeDialog : public kp::Dialog {
public:
    ProbeDialog() : Dialog(IDD_PROBE) {}
    int ticks = 0;
    std::vector<unsigned> messages;
    bool destroyed = false;

    bool OnInitDialog() override {
        TestControls(*Window());
        SetTimer(7, 50);
        return true;
    }
    void OnTimer(unsigned id) override {
        CHECK(id == 7);
        if (++ticks == 1) {
            SetTimer(7, 50);
            kp::TheOs().ui->PostMessage(*this, kp::WM_USER + 5, 7, 9);
            kp::TheOs().ui->PostMessage(*this, kp::WM_USER + 6, 0, 0);
            return;
        }
        KillTimer(7);
        kp::TheOs().ui->SetMainWindow(this);
        CHECK(kp::TheOs().ui->SendToMain(kp::WM_USER + 8, 0, 0) == 42);
        kp::TheOs().ui->SetMainWindow(nullptr);
        EndDialog(77);
    }
    bool OnMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) override {
        if (msg == kp::WM_USER + 5) CHECK(wp == 7 && lp == 9);
        messages.push_back(msg);
        result = 42;
        return true;
    }
    void OnDestroy() override { destroyed = true; }
};

class Page : public kp::PropertyPage {
public:
    explicit Page(int templateId) : PropertyPage(templateId) {}
    int inits = 0, applies = 0;
    bool OnInitDialog() override {
        ++inits;
        return PropertyPage::OnInitDialog();
    }
    bool OnApply() override {
        ++applies;
        return true;
    }
};

// A sheet creates a page at its first activation; Apply goes to the pages marked modified; the program's
// private messages reach it even where their values are the sheet's own (WM_USER+110 is PSM_APPLY,
// WM_USER+120 PSM_SETTITLEW); a quit message posted while a message box is open ends the box and the sheet.
class Sheet : public kp::PropertySheet {
public:
    explicit Sheet(Platform& platform) : PropertySheet("测试表", 0), m_platform(platform) {
        AddPage(&a);
        AddPage(&b);
    }
    Page a{IDD_PAGE_A}, b{IDD_PAGE_B};
    int step = 0;
    bool boxReturned = false;
    std::vector<unsigned> messages;

    bool OnInitDialog() override {
        CHECK(a.IsCreated() && a.inits == 1 && !b.IsCreated() && GetActiveIndex() == 0);
        SetActivePage(1);
        CHECK(b.IsCreated() && b.inits == 1 && GetActiveIndex() == 1);
        SetActivePage(0);
        CHECK(GetActiveIndex() == 0 && a.inits == 1 && Window()->GetText(0) == "测试表");
        SetTimer(1, 50);
        return true;
    }
    void OnTimer(unsigned id) override {
        if (id == 2) {  // inside the message box's loop
            KillTimer(2);
            kp::TheOs().ui->PostQuit(18);
            return;
        }
        if (++step == 1) {
            CHECK(!Window()->IsControlEnabled(kp::ID_APPLY_NOW));
            b.SetModified(true);
            CHECK(Window()->IsControlEnabled(kp::ID_APPLY_NOW));
            m_platform.PressApply(*this);
            return;
        }
        CHECK(a.applies == 0 && b.applies == 1 && !b.IsModified() && !Window()->IsControlEnabled(kp::ID_APPLY_NOW));
        kp::TheOs().ui->SetMainWindow(this);
        CHECK(kp::TheOs().ui->SendToMain(kp::WM_USER + 110, 0, 0) == 1 && kp::TheOs().ui->SendToMain(kp::WM_USER + 120, 0, 0) == 1);
        kp::TheOs().ui->SetMainWindow(nullptr);
        CHECK(Window()->GetText(0) == "测试表" && b.applies == 1 && messages.size() == 2);
        KillTimer(1);
        SetTimer(2, 100);
        m_platform.ExpectMessageBox();
        kp::TheOs().ui->MessageBox("中文消息", kp::MB_OK);
        boxReturned = true;
    }

    bool OnMessage(unsigned msg, uintptr_t, intptr_t, intptr_t& result) override {
        if (msg != kp::WM_USER + 110 && msg != kp::WM_USER + 120) return false;
        messages.push_back(msg);
        result = 1;
        return true;
    }

private:
    Platform& m_platform;
};

void TestWindows(Platform& platform) {
    ProbeDialog dialog;
    CHECK(dialog.DoModal() == 77 && dialog.ticks == 2 && dialog.destroyed && !dialog.IsCreated());
    CHECK((dialog.messages == std::vector<unsigned>{kp::WM_USER + 5, kp::WM_USER + 6, kp::WM_USER + 8}));
    Sheet sheet(platform);
    platform.KeepSheetRunning();
    sheet.DoModal();
    CHECK(sheet.step == 2 && sheet.boxReturned && !sheet.IsCreated() && !sheet.a.IsCreated());
    CHECK(platform.QuitCode() == 18);
}


}  // namespace

}  // namespace contract

int main() {
    using namespace contract;
    const std::unique_ptr<Platform> platform = MakePlatform();
    TestRegistry(*platform);
    TestFiles(*platform);
    TestWindows(*platform);
    platform->TestOwnServices();
    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
