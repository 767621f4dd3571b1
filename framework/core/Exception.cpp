#include "framework/core/Exception.h"

#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"

Exception::Exception(std::string message) : message_(std::move(message)) {}

Exception::Exception(unsigned stringId, std::initializer_list<std::string> args)
    : message_(FormatResText(stringId, args))
{
}

Exception::~Exception() = default;

EAbort::EAbort() : Exception(std::string()) {}

void RaiseReadError()
{
    throw EReadError(SReadError);
}

void RaiseWriteError()
{
    throw EWriteError(SWriteError);
}
