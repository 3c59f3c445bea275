// The contract over the real backend, and what only the real controls and services can show.
#include "Contract.h"
#include "platform/win32/Backend.h"
#include "resource.h"

namespace contract {

namespace {

class Win32Platform : public Platform {
public:
    Win32Platform() { kp::InstallOs(m_backend.Services()); }
    ~Win32Platform() override { RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KestorContract"); }
    void SetOdd(kp::RegKey key, const char* name, Odd odd) override {
        const BYTE bytes[6] = {'a', 0, 'b', 0, 0, 0};
        const DWORD type = odd == Odd::Binary ? REG_BINARY : odd == Odd::ShortDword ? REG_DWORD : REG_EXPAND_SZ;
        RegSetValueExW(reinterpret_cast<HKEY>(key), kp::win32::Wide(name).c_str(), 0, type, bytes,
                       odd == Odd::ShortDword ? 2 : 6);
    }
    std::string Folder() override { return kp::TheOs().system->CurrentDirectory() + "\\contract"; }
    void MakeFolder(const std::string& path) override { CreateDirectoryW(kp::win32::Wide(path).c_str(), nullptr); }
    void ExpectMessageBox() override {}
    void KeepSheetRunning() override {}
    void PressApply(kp::Wnd& sheet) override {
        HWND self = reinterpret_cast<HWND>(sheet.Window()->Ref());
        PostMessageW(GetDlgItem(self, kp::ID_APPLY_NOW), BM_CLICK, 0, 0);
    }
    int QuitCode() override {
        MSG quit;
        return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(quit.wParam) : -1;
    }
    void TestOwnServices() override;

private:
    kp::win32::Backend m_backend;
};

COLORREF PaintedPixel(HWND control) {
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, canvas);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF pixel = GetPixel(dc, 3, 3);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
}

// What only the real controls can show: the leftmost column keeps the centring asked for (the control
// makes a column inserted leftmost left-aligned), links are coloured and show the hand, bitmaps cover
// their control.
class PaintDialog : public kp::Dialog {
public:
    PaintDialog() : Dialog(IDD_PROBE) {}
    bool OnInitDialog() override {
        kp::IWindow& w = *Window();
        HWND self = reinterpret_cast<HWND>(w.Ref()), list = GetDlgItem(self, IDC_LIST);
        w.ListView(IDC_LIST).InsertColumn(0, "时间", 80, kp::ColumnAlign::Center);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH;
        CHECK(ListView_GetColumn(list, 0, &column) && (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER &&
              column.cx == 80 && Header_GetItemCount(ListView_GetHeader(list)) == 1);
        w.SetLinkStatic(IDC_LINK, true);
        HDC dc = CreateCompatibleDC(nullptr);
        auto colour = [&](int id) {
            return SendMessageW(self, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(GetDlgItem(self, id)));
        };
        CHECK(colour(IDC_LINK) == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)) &&
              GetTextColor(dc) == RGB(0, 0, 233) && GetBkMode(dc) == TRANSPARENT);
        CHECK(colour(IDC_PLAIN) != reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        DeleteDC(dc);
        HWND link = GetDlgItem(self, IDC_LINK);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        CHECK(GetCursor() == LoadCursorW(nullptr, IDC_HAND));
        CHECK(w.SetStaticBitmap(IDC_BITMAP, IDB_RED) && PaintedPixel(GetDlgItem(self, IDC_BITMAP)) == RGB(255, 0, 0));
        CHECK(!w.SetStaticBitmap(IDC_NOBITMAP, 999) &&
              PaintedPixel(GetDlgItem(self, IDC_NOBITMAP)) == GetSysColor(COLOR_BTNFACE));
        EndDialog(1);
        return true;
    }
};

// The real services the end-to-end stories do not reach: the named mutex, the version, the clock, and the
// code a failed start reports. (Processes ended and tracks played are the stories' own.)
void Win32Platform::TestOwnServices() {
    kp::Os& os = kp::TheOs();
    PaintDialog paint;
    CHECK(paint.DoModal() == 1);
    bool existed = true;
    CHECK(os.system->CreateNamedMutex("kestor-contract", existed) && !existed);
    CHECK(os.system->CreateNamedMutex("kestor-contract", existed) && existed);
    CHECK(os.system->Version() == GetVersion() && uint32_t(os.clock->MsSinceStart()) - os.clock->TickCount() < 1000u);
    CHECK(os.processes->Start(os.system->SystemDirectory() + "\\no-such-program.exe") == 2);
    CHECK(os.processes->OpenToEnd(0xFFFFFFF0) == 0);
}

}  // namespace

std::unique_ptr<Platform> MakePlatform() { return std::make_unique<Win32Platform>(); }

}  // namespace contract
