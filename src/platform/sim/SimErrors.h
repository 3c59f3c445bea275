// What the simulated platform throws. Messages are UTF-8 so that a failing test prints them readably.
#pragma once
#include <stdexcept>
#include <string>

namespace kp::sim {

// GBK (code page 936) bytes as UTF-8, for messages; a byte sequence that is not GBK shows as '?'.
std::string GbkToUtf8(const std::string& gbk);
// UTF-8 as GBK; a character GBK lacks shows as '?'.
std::string Utf8ToGbk(const std::string& utf8);

// The program waits for user input the test never scripted (a modal dialog nothing can end, a message box
// or pop-up menu without an answer), or a modal loop ran past its time cap.
class UnscriptedWait : public std::runtime_error {
public:
    explicit UnscriptedWait(const std::string& utf8) : std::runtime_error(utf8) {}
};

// A test or the program used the simulated platform in a way the real one would refuse: a click on a
// disabled or hidden control, a control id the dialog does not have, a menu item not in the menu, a tray
// callback without an icon.
class SimError : public std::logic_error {
public:
    explicit SimError(const std::string& utf8) : std::logic_error(utf8) {}
};

}  // namespace kp::sim
