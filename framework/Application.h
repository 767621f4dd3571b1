#pragma once
// The application object: title, the hidden application window that owns message boxes, the
// process-wide exception event and the standard report of failures.
// (Extended by the toolkit's forms: message loop, terminate, process-messages.)
#include "framework/Component.h"
#include "framework/Exception.h"

#include <windows.h>

#include <functional>
#include <string>

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    ZA2_CLASS_NAME(TApplication)

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // The hidden application window; created with the application object.
    HWND Handle() const { return handle_; }

    // Replaces the standard report while set (the progress dialog installs its own).
    const TExceptionEvent& OnException() const { return onException_; }
    void SetOnException(TExceptionEvent handler) { onException_ = std::move(handler); }

    // Reports a failure that reached the event loop: the exception event when set, otherwise
    // the standard report. Never throws.
    void HandleException(TObject* sender, const std::exception& e) noexcept;
    // The standard report: silent aborts show nothing; others a stop box with the whole text.
    void ShowException(const std::exception& e) noexcept;

private:
    std::string title_;
    HWND handle_ = nullptr;
    TExceptionEvent onException_;
};

// The one application object of the process, or nullptr before it exists.
extern TApplication* Application;
