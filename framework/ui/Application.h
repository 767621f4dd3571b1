#pragma once
// The application object: title, the hidden application window that owns message boxes, the
// process-wide exception event, the standard report of failures, the main form and the message
// loop.
#include "framework/core/Component.h"
#include "framework/core/Exception.h"

#include <windows.h>

#include <functional>
#include <string>

class TForm;

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

    // The first form made with CreateForm; closing it ends the program.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    // Makes a form owned by the application (destroyed with it).
    template <class T>
    T* CreateForm()
    {
        T* form = new T(this);
        if (!mainForm_)
            mainForm_ = form;
        return form;
    }

    // Shows the main form and handles messages until Terminate (or WM_QUIT).
    void Run();
    // Ends the message loops once the current message is handled.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Waits for the next message and handles it.
    void HandleMessage();
    // Handles the messages that are waiting, without waiting for more.
    void ProcessMessages();

private:
    void ProcessMessage(MSG& message);

    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string title_;
    HWND handle_ = nullptr;
    TExceptionEvent onException_;
};

// The one application object of the process, or nullptr before it exists.
extern TApplication* Application;
