#pragma once
// Helpers for tests of forms: an application object per test, a watchdog that ends a modal
// loop that would otherwise wait for ever, and window queries.
#include "framework/ui/Application.h"
#include "framework/ui/Form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class FormTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<TApplication> app_;
};

// While it lives, a modal loop still running after timeoutMs is ended (the application is
// told to terminate) and Fired() turns true.
class ModalWatchdog {
public:
    explicit ModalWatchdog(UINT timeoutMs = 10000);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;
    bool Fired() const;

private:
    UINT_PTR timer_;
};

std::string TextOf(HWND window);
SIZE ClientSizeOf(HWND window);
// The child window (any depth) with this window text, or nullptr.
HWND ChildWithText(HWND parent, const std::string& text);
