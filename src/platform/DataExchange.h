// Moves values between a dialog's members and its controls, in either direction.
#pragma once
#include <string>
#include "platform/Window.h"

namespace kp {

class DataExchange {
public:
    DataExchange(IWindow& window, bool saveAndValidate) : m_window(window), m_save(saveAndValidate) {}
    bool Saving() const { return m_save; }
    bool Failed() const { return m_failed; }

    void Text(int id, std::string& value);
    // A whole number in an edit field. On save, a field that is not a number is answered with a message
    // box, gets the focus, and fails the exchange.
    void Int(int id, int& value);
    void Check(int id, int& value);
    void ComboIndex(int id, int& value);

private:
    IWindow& m_window;
    bool m_save;
    bool m_failed = false;
};

}  // namespace kp
