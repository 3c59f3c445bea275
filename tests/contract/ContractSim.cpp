// The contract over the simulated platform, with the contract's own resource script.
#include "Contract.h"
#include "platform/sim/SimOs.h"

namespace contract {

namespace {

class SimPlatform : public Platform {
public:
    void SetOdd(kp::RegKey, const char* name, Odd odd) override {
        using namespace kp::sim;
        const uint32_t type = odd == Odd::Binary ? REG_BINARY : odd == Odd::ShortDword ? REG_DWORD : REG_EXPAND_SZ;
        m_os.Reg().SetRaw(kp::Hive::CurrentUser, kKey, name, type, std::string("a\0b\0\0\0", odd == Odd::ShortDword ? 2 : 6));
    }
    std::string Folder() override { return "C:\\contract"; }
    void MakeFolder(const std::string& path) override { m_os.Files().AddFolder(path); }
    void ExpectMessageBox() override { m_os.AnswerMessageBox(kp::IDOK, 60000); }
    // A simulated sheet ends with the test's script unless it is kept running.
    void KeepSheetRunning() override { m_os.KeepRunningUntil(m_os.Now() + 60000); }
    void PressApply(kp::Wnd&) override { m_os.Sheet()->ClickApply(); }
    int QuitCode() override { return m_os.QuitCode().value_or(-1); }

private:
    kp::sim::SimOs m_os{KESTOR_CONTRACT_RC};
};

}  // namespace

std::unique_ptr<Platform> MakePlatform() { return std::make_unique<SimPlatform>(); }

}  // namespace contract
