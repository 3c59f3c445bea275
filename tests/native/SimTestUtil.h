// Helpers for tests over the simulated platform: readable GBK in failure messages, and checks that
// report the caller's line.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimOs.h"

namespace kp::sim::test {

// Where the program keeps its settings: the per-user profile section, the machine key, and the key
// of the programs started with Windows.
inline const char* const kProfile = "Software\\Kestor\\Kestor\\Setting\\Default";
inline const char* const kMachine = "SOFTWARE\\Kestor\\Setting\\Default";
inline const char* const kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// GBK text for a failure message.
inline std::string U8(const std::string& gbk) { return GbkToUtf8(gbk); }

// Two GBK strings are equal; a failure shows both as UTF-8.
inline ::testing::AssertionResult GbkEq(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected \"" << U8(expected) << "\"\n  actual \"" << U8(actual)
                                         << "\"";
}

// The texts of the message boxes shown so far, in order.
inline ::testing::AssertionResult MessageBoxTexts(const SimOs& os, const std::vector<std::string>& expected) {
    std::vector<std::string> actual;
    for (const auto& box : os.MessageBoxes()) actual.push_back(box.text);
    if (actual == expected) return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure() << "message boxes shown:";
    for (const auto& text : actual) result << "\n  \"" << U8(text) << "\"";
    result << "\nexpected:";
    for (const auto& text : expected) result << "\n  \"" << U8(text) << "\"";
    return result;
}

// `fn` throws an E whose message contains `part` (UTF-8).
template <typename E, typename F>
::testing::AssertionResult Throws(F&& fn, const std::string& part = std::string()) {
    try {
        fn();
    } catch (const E& e) {
        if (std::string(e.what()).find(part) != std::string::npos) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the message \"" << e.what() << "\" lacks \"" << part << "\"";
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "threw another exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "did not throw";
}

}  // namespace kp::sim::test
