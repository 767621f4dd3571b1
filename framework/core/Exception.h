#pragma once
// The toolkit's failures. Every failure the program reports is an Exception (or derived) whose
// message is CP932 text; the application's event loop reports it once.
#include <string>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    // Message from the string table, "%s" placeholders replaced in order by args.
    Exception(unsigned stringId, std::initializer_list<std::string> args = {});
    ~Exception() override;

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Declares an exception kind that only differs from its base by its type.
#define ZA2_EXCEPTION_KIND(Name, Base) \
    class Name : public Base {         \
    public:                            \
        using Base::Base;              \
    }

// The silent failure: it ends the current action but is never reported.
class EAbort : public Exception {
public:
    EAbort();
};

ZA2_EXCEPTION_KIND(EConvertError, Exception);    // text that is no date, time or number
ZA2_EXCEPTION_KIND(EAssignError, Exception);     // an object that cannot take another's value
ZA2_EXCEPTION_KIND(EStreamError, Exception);
ZA2_EXCEPTION_KIND(EReadError, EStreamError);    // a stream ended before the bytes asked for
ZA2_EXCEPTION_KIND(EWriteError, EStreamError);   // a stream took fewer bytes than given
ZA2_EXCEPTION_KIND(EFCreateError, EStreamError); // a file that cannot be created or replaced
ZA2_EXCEPTION_KIND(EFOpenError, EStreamError);
ZA2_EXCEPTION_KIND(EOutOfStreamMemory, EStreamError);
ZA2_EXCEPTION_KIND(EResNotFound, Exception);
ZA2_EXCEPTION_KIND(EInvalidGraphic, Exception);
ZA2_EXCEPTION_KIND(EInvalidOperation, Exception);
ZA2_EXCEPTION_KIND(EOutOfResources, Exception);  // GDI or USER could not make an object
ZA2_EXCEPTION_KIND(ERegistryException, Exception);
ZA2_EXCEPTION_KIND(ELayoutError, Exception);     // a window layout that cannot be built

// Raises the stream read / write errors with the toolkit's messages.
[[noreturn]] void RaiseReadError();
[[noreturn]] void RaiseWriteError();
