#include "app/TovrelApp.h"

#include "app/Settings.h"
#include "app/TovrelDlg.h"
#include "platform/Gbk.h"
#include "platform/Os.h"
#include "platform/Profile.h"

namespace kestor {

namespace {
const char* const kMutexName = "1";
}

bool CTovrelApp::InitInstance() {
    kp::Os& os = kp::TheOs();
    bool existed = false;
    os.system->CreateNamedMutex(kMutexName, existed);
    if (existed) {
        os.ui->MessageBox("应用程序已经在运行", kp::MB_OK);
        return false;
    }
    kp::Profile::SetRegistryKey(kRegistryCompany);

    CTovrelDlg sheet("Kestor", nullptr, 0);
    os.ui->SetMainWindow(&sheet);
    sheet.DoModal();
    os.ui->SetMainWindow(nullptr);
    return false;
}

int RunKestor() {
    static CTovrelApp theApp;
    theApp.InitInstance();
    return 0;
}

std::string LookUpName(int selector) {
    std::string name;
    switch (selector) {
    case 1:
        return kp::TheOs().system->ComputerName(name) ? name : std::string();
    case 2:
        return kp::TheOs().system->UserName(name) ? kp::MbsLower(name) : std::string();
    default:
        return "Error";
    }
}

}  // namespace kestor
