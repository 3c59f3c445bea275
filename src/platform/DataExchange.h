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
    // Validation after the exchange of field `id`, on save only, as the class library does it: the value
    // has already been stored in the member when the check fails. A failure is answered with a message
    // box, gives the field the focus and fails the exchange.
    void MinMaxInt(int id, int value, int lower, int upper);
    // At most `chars` characters (a double-byte character counts as one).
    void MaxChars(int id, const std::string& value, int chars);
    void Check(int id, int& value);
    void ComboIndex(int id, int& value);

private:
    void Fail(int id, const std::string& message);
    IWindow& m_window;
    bool m_save;
    bool m_failed = false;
};

}  // namespace kp
