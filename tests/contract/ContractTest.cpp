// What the program relies on from its platform, checked once over the simulated backend (kestor_contract)
// and once over the real one under Wine (kbackend_tests.exe). Prints each failed check; exits 1 on one.
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

void TestRegistry(Platform& platform) {
    kp::IRegistry& reg = *kp::TheOs().registry;
    CHECK(reg.Open(kp::Hive::CurrentUser, kKey, kp::Access::Read) == 0);
    const kp::RegKey key = reg.Create(kp::Hive::CurrentUser, kKey, kp::Access::Write);
    std::string text = "unchanged";
    uint32_t n = 77;
    // Sizes count GBK bytes, and the text must fit with its terminator: "中文值" is 6 bytes.
    CHECK(key && reg.SetString(key, "名字", "中文值") && !reg.QueryString(key, "名字", text, 6) && text == "unchanged");
    CHECK(reg.QueryString(key, "名字", text, 7) && text == "中文值");
    CHECK(reg.SetString(key, "long", std::string(200, 'a')) && !reg.QueryString(key, "long", text, 128));
    CHECK(reg.QueryString(key, "long", text, 201) && text.size() == 200);
    // A value of another type or size reads as absent, and the variable keeps its default.
    CHECK(!reg.QueryDword(key, "名字", n) && reg.SetDword(key, "n", 0x01020304) && !reg.QueryString(key, "n", text, 64));
    platform.SetOdd(key, "bin", Odd::Binary);
    platform.SetOdd(key, "short", Odd::ShortDword);
    platform.SetOdd(key, "expand", Odd::ExpandString);
    CHECK(!reg.QueryDword(key, "bin", n) && !reg.QueryDword(key, "short", n) && n == 77);
    CHECK(!reg.QueryString(key, "bin", text, 64) && !reg.QueryString(key, "expand", text, 64));
    CHECK(reg.DeleteValue(key, "名字") && !reg.QueryString(key, "名字", text, 64) && !reg.DeleteValue(key, "名字"));
    reg.Close(key);
    // A key opened for reading refuses writes; names are found whatever their case.
    const kp::RegKey readOnly = reg.Open(kp::Hive::CurrentUser, "SOFTWARE\\kestorcontract", kp::Access::Read);
    CHECK(reg.QueryDword(readOnly, "N", n) && n == 0x01020304 && !reg.SetDword(readOnly, "n", 5));
    reg.Close(readOnly);
}

void TestFiles(Platform& platform) {
    kp::IFiles& files = *kp::TheOs().files;
    const std::string folder = platform.Folder();
    platform.MakeFolder(folder);
    const std::string path = folder + "\\列表.ini";
    const std::string bytes("a\r\nb\0c\n", 7);
    std::string read;
    CHECK(!files.Exists(path) && files.WriteReplace(path, bytes) && files.Read(path, read, 99) && read == bytes);
    // A shorter content leaves nothing of the old one; a read stops at its limit.
    CHECK(files.WriteReplace(path, "xy") && files.Read(path, read, 99) && read == "xy");
    CHECK(files.WriteReplace(path, std::string(100000, 'z')) && files.Read(path, read, 3) && read == "zzz");
    CHECK(files.Read(path, read, 1 << 20) && read.size() == 100000);
    CHECK(files.WriteReplace(path, "") && files.Read(path, read, 10) && read.empty() && files.Exists(path));
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
    w.EnableControl(IDC_PUSH, false);
    CHECK(w.GetCheck(IDC_CHECK) == 1 && !w.IsControlEnabled(IDC_PUSH));
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
    CHECK(list.GetNextSelected(-1) == -1 && list.DeleteItem(0) && list.GetItemText(0, 0) == "b");
    list.DeleteAllItems();
    CHECK(list.GetItemCount() == 0);

    kp::IListBox& box = w.ListBox(IDC_LISTBOX);
    CHECK(box.AddString("乙") == 0 && box.InsertString(0, "甲") == 0 && box.InsertString(-1, "丙") == 2);
    CHECK(box.GetText(0) == "甲" && box.GetText(2) == "丙" && box.GetText(7).empty() && box.GetCurSel() == -1);
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
    date.SetTime(kp::SysTime{2026, 5, 0, 5, 9, 4, 3, 0});
    const kp::SysTime t = date.GetTime();
    CHECK(t.wYear == 2026 && t.wMonth == 5 && t.wDay == 5 && t.wHour == 9 && t.wMinute == 4 && t.wSecond == 3);
    w.UpDown(IDC_SPIN).SetRange(0, 100000);
    w.UpDown(IDC_SPIN).SetPos(70000);
    CHECK(w.UpDown(IDC_SPIN).GetPos() == 70000);
    CHECK(w.SetStaticBitmap(IDC_BITMAP, IDB_RED) && !w.SetStaticBitmap(IDC_BITMAP, 999));
    CHECK(kp::TheOs().ui->LoadString(IDS_ABOUT) == "关于 Tovrel(&A)..." && kp::TheOs().ui->LoadString(301).empty());
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
        kp::IUi& ui = *kp::TheOs().ui;
        ui.SetMainWindow(this);
        CHECK(ui.SendToMain(kp::WM_USER + 110, 0, 0) == 1 && ui.SendToMain(kp::WM_USER + 120, 0, 0) == 1);
        ui.SetMainWindow(nullptr);
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
