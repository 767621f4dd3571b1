#pragma once
// The program's message loop and what every window needs of it: the hidden window that owns
// windows without a parent and the message boxes, the report of failures that reach the loop,
// and the message pump that a modal form runs. The application object (Application.h) is the
// one loop of the process; controls and forms reach it here, without knowing the application.
#include "framework/core/Component.h"
#include "framework/core/Exception.h"

#include <windows.h>

#include <functional>
#include <string>

class TForm;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

class TMessageLoop : public TComponent {
public:
    TMessageLoop();
    ~TMessageLoop() override;
    ZA2_CLASS_NAME(TMessageLoop)

    // The loop of the process, or nullptr before the application object exists.
    static TMessageLoop* Current();

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

    // The first form made with CreateForm; closing it ends the program.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Ends the message loops once the current message is handled.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Waits for the next message and handles it.
    void HandleMessage();
    // Handles the messages that are waiting, without waiting for more.
    void ProcessMessages();

protected:
    // A message before it is translated and dispatched; true when it was used up here.
    virtual bool PreTranslate(const MSG& /*message*/) { return false; }

    TForm* mainForm_ = nullptr;

private:
    void ProcessMessage(MSG& message);

    bool terminated_ = false;
    std::string title_;
    HWND handle_ = nullptr;
    TExceptionEvent onException_;
};
