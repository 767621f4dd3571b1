#include "framework/core/Persistent.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

void TPersistent::Assign(TPersistent* source)
{
    if (!source)
        AssignError(nullptr);
    source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest)
{
    dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    throw EAssignError(SCannotAssign, {source ? source->ClassName() : "nil", ClassName()});
}
