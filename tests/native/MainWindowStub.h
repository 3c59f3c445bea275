// A stand-in for the main window in tests of single dialogs: installed as the main window while it lives,
// it records the private messages the dialogs send it.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Os.h"
#include "platform/Wnd.h"

class MainWindowStub : public kp::Wnd {
public:
    MainWindowStub() { kp::TheOs().ui->SetMainWindow(this); }
    ~MainWindowStub() override { kp::TheOs().ui->SetMainWindow(nullptr); }
    bool OnMessage(unsigned msg, uintptr_t, intptr_t, intptr_t& result) override {
        messages.push_back(msg);
        result = 1;
        return true;
    }
    std::vector<unsigned> messages;
};
